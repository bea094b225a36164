#pragma once

#include "store/Connection.h"
#include "store/accessDB.h"

// A list of article keys in a temporary table of the connection, so that a
// query can name any number of keys. Duplicates are dropped.
//
// The tables live as long as the connection and are reused: each level of
// nesting has its own (a receiver may run a key-list query of its own while
// an outer query is still delivering rows from its table), and the table is
// emptied again when the object goes.
class accessDB::KeyTable final
{
public:
    KeyTable(int& depth, Connection& connection, const QList<ArticleKey>& keys);
    ~KeyTable();
    KeyTable(const KeyTable&) = delete;
    KeyTable& operator=(const KeyTable&) = delete;

    // False when the keys could not be stored; the query then fails.
    bool isLoaded() const { return loaded; }
    // A condition on the rows of articles: their (idtype, id) is in the table.
    QString clause() const;
    // What follows "SELECT <columns> FROM articles" to keep only the rows of
    // the keys. For a short list the articles are looked up key by key
    // through their id index; for a list of a good part of the library one
    // pass over the table, probing the key table, is several times faster.
    // Both give the same rows.
    QString rowsOfKeys() const;

private:
    bool load(const QList<ArticleKey>& keys);
    bool isLongList(qsizetype keyCount);

    int& depth;
    Connection& connection;
    QString name;
    bool loaded = false;
    bool longList = false;
};
