#pragma once

#include "TempHome.h"
#include "library/LibraryFile.h"
#include "library/LibraryRecord.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QVariantMap>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// A temporary home whose preference folder exists and is the one the user
// defaults name.
class PreferenceFolder
{
public:
    PreferenceFolder() : dir(home.defaultPreferenceDir())
    {
        QDir().mkpath(dir);
        UserDefaults::standard().setObject(dir, QStringLiteral("preferenceDir"));
    }

    QString path(const QString& name) const { return dir + u'/' + name; }

    QByteArray bytes(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    // Files set aside from `name` ("name.unreadable-...").
    QStringList setAside(const QString& name) const
    {
        return QDir(dir).entryList({name + ".unreadable-*"}, QDir::Files);
    }

    TempHome home;
    QString dir;
};

// Sets or clears the file system's immutable flag, which makes even root's
// renames of the file fail. False where the file system or the user cannot.
inline bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// One line per year list, "initial/name/year: type ID, type ID", in the
// tree's order: compact to compare and readable in a failure message.
inline QStringList linesOf(const IndexTree& tree)
{
    QStringList lines;
    for (auto initial = tree.cbegin(); initial != tree.cend(); ++initial) {
        for (auto name = initial->cbegin(); name != initial->cend(); ++name) {
            for (auto year = name->cbegin(); year != name->cend(); ++year) {
                QStringList keys;
                for (const ArticleKey& key : *year)
                    keys.append(key.type + u' ' + key.ID);
                lines.append(initial.key() + u'/' + name.key() + u'/' + year.key() + u": " +
                             keys.join(QStringLiteral(", ")));
            }
        }
    }
    return lines;
}

// A whole record as lines: its name and type, then each tree's lines.
inline QStringList linesOf(const LibraryRecord& record)
{
    QStringList lines{"name " + record.name, "type " + record.type};
    for (const QString& line : linesOf(record.journalList))
        lines.append("journalList " + line);
    for (const QString& line : linesOf(record.authorList))
        lines.append("authorList " + line);
    return lines;
}

// The library file at `path` as lines, or the reason it cannot be read.
inline QStringList fileLines(const QString& path)
{
    QString error;
    const auto record = LibraryFile::readFile(path, &error);
    return record ? linesOf(*record) : QStringList{"unreadable: " + error};
}

// The generic property-list tree of a library record.
inline QVariant variantOf(const IndexTree& tree)
{
    QVariantMap initials;
    for (auto initial = tree.cbegin(); initial != tree.cend(); ++initial) {
        QVariantMap names;
        for (auto name = initial->cbegin(); name != initial->cend(); ++name) {
            QVariantMap years;
            for (auto year = name->cbegin(); year != name->cend(); ++year) {
                QVariantList keys;
                for (const ArticleKey& key : *year)
                    keys.append(key.toVariant());
                years.insert(year.key(), keys);
            }
            names.insert(name.key(), years);
        }
        initials.insert(initial.key(), names);
    }
    return initials;
}

inline QVariant variantOf(const LibraryRecord& record)
{
    return QVariantMap{{QStringLiteral("name"), record.name},
                       {QStringLiteral("type"), record.type},
                       {QStringLiteral("journalList"), variantOf(record.journalList)},
                       {QStringLiteral("authorList"), variantOf(record.authorList)}};
}

inline ArticleKey pmid(const QString& id)
{
    return ArticleKey{QStringLiteral("pmid"), id};
}
