#include "library/StoredFiles.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"

namespace StoredFiles {

QString pathInPreferenceDir(const QString& fileName)
{
    const QString folder = UserDefaults::standard().stringForKey(QStringLiteral("preferenceDir"));
    if (folder.isEmpty()) {
        Log::message(QStringLiteral("no preference folder is set; %1 is not used").arg(fileName));
        return QString();
    }
    return folder + u'/' + fileName;
}

bool write(const QString& fileName, const QString& keptUnreadable,
           const std::function<bool(const QString& path, QString* why)>& writer)
{
    const QString path = pathInPreferenceDir(fileName);
    if (path.isEmpty())
        return false;
    if (path == keptUnreadable) {
        Log::message(
            QStringLiteral("%1 is not written: the unreadable file there was kept").arg(path));
        return false;
    }
    QString why;
    if (!writer(path, &why)) {
        Log::message(QStringLiteral("fail to write %1: %2").arg(path, why));
        return false;
    }
    return true;
}

bool setAsideUnreadable(const QString& path, const QString& reason, const Part& part)
{
    const QString keptAs = AtomicFile::moveAside(path);
    Alert alert;
    alert.style = Alert::Style::Warning;
    alert.message = QStringLiteral("Olvane could not read its %1").arg(part.fileKind);
    if (!keptAs.isEmpty()) {
        Log::message(
            QStringLiteral("%1 is unreadable (%2); moved aside to %3").arg(path, reason, keptAs));
        alert.informativeText =
            QStringLiteral("The file \"%1\" could not be read (%2). It was kept unchanged as "
                           "\"%3\". Olvane starts with %4.")
                .arg(path, reason, keptAs, part.freshStart);
    } else {
        Log::message(QStringLiteral("%1 is unreadable (%2) and could not be moved aside; "
                                    "it is not written during this run")
                         .arg(path, reason));
        alert.informativeText =
            QStringLiteral("The file \"%1\" could not be read (%2), and it could not be moved "
                           "aside either. Olvane starts with %3 and leaves that file alone while "
                           "it runs, so changes made now are not saved. Move the file away "
                           "before the next start.")
                .arg(path, reason, part.freshStart);
    }
    Panels::shared().runAlert(alert);
    return !keptAs.isEmpty();
}

} // namespace StoredFiles
