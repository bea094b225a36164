#pragma once

#include "store/Connection.h"
#include "store/accessDB.h"

// A list of article keys in a temporary table of the connection, so that a
// query can name any number of keys. Duplicates are dropped.
//
// Each level of nesting has its own table: a receiver may run a key-list
// query of its own while an outer query is still delivering rows from its
// table. The table is emptied again when the object goes.
class accessDB::KeyTable final
{
public:
    KeyTable(int& depth, Connection& connection, const QList<ArticleKey>& keys);
    ~KeyTable();
    KeyTable(const KeyTable&) = delete;
    KeyTable& operator=(const KeyTable&) = delete;

    // False when the keys could not be stored; the query then fails.
    bool isLoaded() const { return loaded; }
    // Matches the rows whose (idtype, id) is in the table.
    QString clause() const;

private:
    bool load(const QList<ArticleKey>& keys);

    int& depth;
    Connection& connection;
    QString name;
    bool loaded = false;
};
