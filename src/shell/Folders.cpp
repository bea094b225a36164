#include "Folders.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

QString settlePreferenceDir(UserDefaults& defaults)
{
    QString folder = defaults.stringForKey("preferenceDir");
    if (folder.isNull()) {
        folder = QDir::homePath() + "/Documents/Olvane";
        defaults.setObject(folder, "preferenceDir");
    }
    return folder;
}

Folders settleFolders(UserDefaults& defaults)
{
    Folders folders;
    folders.preferenceDir = settlePreferenceDir(defaults);

    folders.cacheDir = defaults.stringForKey("cacheDir");
    if (folders.cacheDir.isNull()) {
        folders.cacheDir = folders.preferenceDir + "/cache";
        defaults.setObject(folders.cacheDir, "cacheDir");
    }
    createFoldersAlong(folders.cacheDir);

    folders.paperFolder = defaults.stringForKey("paperFolder");
    if (folders.paperFolder.isNull()) {
        folders.paperFolder = folders.preferenceDir + "/Olvane paper";
        defaults.setObject(folders.paperFolder, "paperFolder");
    }
    createFoldersAlong(folders.paperFolder + "/User");
    return folders;
}

void createFoldersAlong(const QString& path)
{
    // Errors are left to the readers and writers of each folder, which
    // report what they cannot do.
    const QStringList components = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString accumulated;
    for (const QString& component : components) {
        accumulated += QLatin1Char('/') + component;
        if (!QFileInfo::exists(accumulated))
            QDir().mkdir(accumulated);
    }
}
