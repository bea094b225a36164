#include "AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace AtomicFile {

bool write(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString moveAside(const QString& path)
{
    const QString stem = path + ".unreadable-" +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFile::exists(target); ++n)
        target = stem + "-" + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace AtomicFile
