#pragma once

#include <QList>
#include <QString>

// Changes the generator makes to articles.db directly through SQLite, outside
// the store, where the store has no operation for them.
namespace DatabaseTouchUp {

// The store finds the next OlvaneID by ordering every row by its number, a
// pass over the whole table for each insert: fine for an import of a few
// dozen articles, hours for a library of 100,000 built in one go. While the
// generator imports, an index on that ordering turns the pass into one
// lookup; it is dropped again afterwards, so the schema ends up exactly as the
// program makes it.
bool addNumberingIndex(const QString& databasePath, QString* error);
bool dropNumberingIndex(const QString& databasePath, QString* error);

// Sets "submitdate" and "lastaccess" of the row with OlvaneID n to
// stamps[n - 1], so that the library looks imported over years instead of in
// one second. False, with the reason in `error`, when it could not, or when
// not every stamped row was found.
bool stampImportTimes(const QString& databasePath, const QStringList& stamps, QString* error);

} // namespace DatabaseTouchUp
