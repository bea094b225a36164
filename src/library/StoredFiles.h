#pragma once

#include <QString>

#include <functional>

// Helpers shared by the library and favorites files.
namespace StoredFiles {

// "<preferenceDir>/<fileName>" with the folder as the user defaults name it
// now; empty (and logged) when no preference folder is set.
QString pathInPreferenceDir(const QString& fileName);

// Writes "<preferenceDir>/<fileName>" through `writer`, logging a failure.
// Refuses (and logs) when there is no preference folder, or when the path is
// `keptUnreadable`: an unreadable file that could not be moved aside there.
bool write(const QString& fileName, const QString& keptUnreadable,
           const std::function<bool(const QString& path, QString* why)>& writer);

// What the user is told about one kind of file.
struct Part
{
    QString fileKind;   // "library file"
    QString freshStart; // "an empty library"
};

// Deals with a file of ours that exists but cannot be read: renames it out
// of the way (never deletes or overwrites it), logs a line and tells the user
// once which file it was, where it was kept and that this part starts fresh.
// Returns false when the file could not be moved; the caller must then not
// write over it during this run.
bool setAsideUnreadable(const QString& path, const QString& reason, const Part& part);

} // namespace StoredFiles
