#pragma once

#include "store/SQLiteDatabase.h"
#include "store/accessDB.h"

// The store's connection for one operation. The connection stays open for
// the store's lifetime; one that could not be opened yet (or was refused) is
// tried again here, and without it every statement fails.
class accessDB::Connection final
{
public:
    explicit Connection(SQLiteDatabase* database)
        : database(database != nullptr && (database->isOpen() || database->open()) ? database
                                                                                   : nullptr)
    {
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // No value without a connection, as for a failed statement.
    std::optional<ResultTable> run(const QString& statement, const QStringList& values = {})
    {
        if (database == nullptr)
            return std::nullopt;
        return database->run(statement, values);
    }

    // Rows one by one, as SQLiteDatabase::forEachRow; false without a connection.
    bool forEachRow(const QString& statement, const QStringList& values,
                    const SQLiteDatabase::RowHandler& onRow)
    {
        return database != nullptr && database->forEachRow(statement, values, onRow);
    }

    bool runRepeated(const QString& statement, const QList<QStringList>& valueSets)
    {
        return database != nullptr && database->runRepeated(statement, valueSets);
    }

private:
    SQLiteDatabase* database; // null without a connection
};
