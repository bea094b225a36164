#pragma once

#include <QByteArray>
#include <QString>

// Writing and setting aside the program's own files.
namespace AtomicFile {

// Writes `bytes` to a temporary file beside `path` and renames it into place.
// On failure the old file (if any) is untouched and `error` says why.
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Renames an unreadable file out of the way instead of overwriting it:
// "library.dat" becomes "library.dat.unreadable-20261211-110800" (a counter is
// added when that name is taken). Returns the new path, or an empty string
// when the rename failed.
QString moveAside(const QString& path);

} // namespace AtomicFile
