#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The prepared statements of one connection, kept by their text so that a
// statement run again is not parsed again.
//
// A statement is handed out as a Lease and is reset (bindings cleared) when
// the lease ends, so an idle statement never holds a read transaction open.
// The same text asked for while its statement is still stepping (a receiver
// that re-enters the store) gets a statement of its own, finalized after use.
class PreparedStatements final
{
public:
    class Lease;

    explicit PreparedStatements(sqlite3* db) : db(db) {}
    ~PreparedStatements() { clear(); }
    PreparedStatements(const PreparedStatements&) = delete;
    PreparedStatements& operator=(const PreparedStatements&) = delete;

    // The statement of `text` (UTF-8, exactly one statement). A lease without
    // a statement when the text holds only blanks or comments; no lease when
    // it does not prepare or holds a further statement, with `error` set.
    std::unique_ptr<Lease> take(const QByteArray& text, QString& error);

    // Forgets every statement: idle ones are finalized now, ones still
    // stepping when their lease ends.
    void clear() { cache.clear(); }

private:
    struct Entry;

    std::shared_ptr<Entry> prepare(const QByteArray& text, QString& error) const;
    void makeRoom();

    sqlite3* db;
    QHash<QByteArray, std::shared_ptr<Entry>> cache;
    quint64 clock = 0; // for least-recently-used eviction
};

class PreparedStatements::Lease final
{
public:
    explicit Lease(std::shared_ptr<Entry> entry);
    ~Lease();
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    // Null for a text without a statement.
    sqlite3_stmt* handle() const;

private:
    std::shared_ptr<Entry> entry;
};
