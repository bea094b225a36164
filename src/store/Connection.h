#pragma once

#include "store/SQLiteDatabase.h"
#include "store/accessDB.h"

// Holds the store's connection for one operation: opens it unless a
// transaction bracket holds it already, and closes only what it opened.
class accessDB::Connection final
{
public:
    explicit Connection(SQLiteDatabase* database)
        : database(database),
          openedHere(database != nullptr && !database->isOpen() && database->open())
    {
    }
    ~Connection()
    {
        if (openedHere)
            database->close();
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
    SQLiteDatabase* database;
    bool openedHere;
};
