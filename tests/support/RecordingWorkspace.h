#pragma once

#include "platform/Workspace.h"

#include <QList>
#include <QUrl>

#include <memory>

// Records every address the program asks the desktop to open.
class RecordingWorkspace : public Workspace
{
public:
    explicit RecordingWorkspace(std::shared_ptr<QList<QUrl>> opened) : opened(std::move(opened)) {}
    bool openUrl(const QUrl& url) override
    {
        opened->append(url);
        return true;
    }

private:
    std::shared_ptr<QList<QUrl>> opened;
};
