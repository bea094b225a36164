#pragma once

#include "library/LibraryRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The library file ("library.dat"): an XML property list whose root
// dictionary holds "name" and "type" (strings) and the index trees
// "journalList" and "authorList" (dict -> dict -> dict -> array of
// {"ID": string, "type": string}).
//
// The reader streams straight into a LibraryRecord and is strict: anything
// that is not that shape gives no value and a one-line reason. Unknown extra
// keys at the root are skipped when their values are well-formed property-list
// values. Every document it accepts is one PropertyList::fromData accepts too,
// and the writer's output is byte for byte what PropertyList::toData writes
// for the same tree.
namespace LibraryFile {

std::optional<LibraryRecord> fromData(const QByteArray& xml, QString* error = nullptr);
std::optional<LibraryRecord> readFile(const QString& path, QString* error = nullptr);

QByteArray toData(const LibraryRecord& record);
// Atomic: the old file stays as it was when the write fails.
bool writeFile(const QString& path, const LibraryRecord& record, QString* error = nullptr);

} // namespace LibraryFile
