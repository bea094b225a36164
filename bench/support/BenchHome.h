#pragma once

#include "platform/UserDefaults.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A temporary home for a benchmark run: HOME and the XDG folders point into
// it, so the user's own settings and library are never touched.
class BenchHome
{
public:
    BenchHome()
    {
        qputenv("HOME", dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_STATE_HOME", (dir.path() + QStringLiteral("/.local/state")).toUtf8());
        QDir().mkpath(preferenceDir());
        UserDefaults::resetStandard();
    }

    QString preferenceDir() const { return dir.path() + QStringLiteral("/Documents/Olvane"); }

    // Settings naming the home's preference folder and the generated cache.
    void nameFolders(const QString& cacheDir) const
    {
        UserDefaults& defaults = UserDefaults::standard();
        defaults.setObject(preferenceDir(), QStringLiteral("preferenceDir"));
        defaults.setObject(cacheDir, QStringLiteral("cacheDir"));
        defaults.setObject(QString(preferenceDir() + QStringLiteral("/Olvane paper")),
                           QStringLiteral("paperFolder"));
        defaults.synchronize();
    }

private:
    QTemporaryDir dir;
};
