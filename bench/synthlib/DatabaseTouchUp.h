#pragma once

#include <QList>
#include <QString>

// Changes the generator makes to articles.db directly through SQLite, outside
// the store, where the store has no operation for them.
namespace DatabaseTouchUp {

// Sets "submitdate" and "lastaccess" of the row with OlvaneID n to
// stamps[n - 1], so that the library looks imported over years instead of in
// one second. False, with the reason in `error`, when it could not, or when
// not every stamped row was found.
bool stampImportTimes(const QString& databasePath, const QStringList& stamps, QString* error);

} // namespace DatabaseTouchUp
