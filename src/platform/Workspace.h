#pragma once

#include <QString>
#include <QUrl>

#include <memory>

// Opening files and addresses with the user's default application.
class Workspace
{
public:
    virtual ~Workspace() = default;
    virtual bool openUrl(const QUrl& url) = 0;
    bool openFile(const QString& path) { return openUrl(QUrl::fromLocalFile(path)); }

    // The installed implementation; until one is installed, requests are
    // logged and refused.
    static Workspace& shared();
    static std::unique_ptr<Workspace> install(std::unique_ptr<Workspace> workspace);
};
