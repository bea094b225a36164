#include "DatabaseTouchUp.h"

#include <QStringList>

#include <sqlite3.h>

#include <memory>

namespace {

struct CloseDatabase
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

bool fail(sqlite3* db, const QString& what, QString* error)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

bool exec(sqlite3* db, const char* sql, QString* error)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ||
           fail(db, QString::fromUtf8(sql), error);
}

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return Statement(statement);
}

Database openDatabase(const QString& path, QString* error)
{
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    if (opened != SQLITE_OK) {
        fail(raw, QStringLiteral("cannot open ") + path, error);
        return nullptr;
    }
    return db;
}

} // namespace

bool DatabaseTouchUp::stampImportTimes(const QString& databasePath, const QStringList& stamps,
                                       QString* error)
{
    const Database db = openDatabase(databasePath, error);
    if (!db)
        return false;

    // OlvaneID has no index: the stamps go into a keyed temporary table and
    // one pass over the articles picks them up.
    if (!exec(db.get(), "BEGIN", error) ||
        !exec(db.get(), "CREATE TEMP TABLE stamps (number INTEGER PRIMARY KEY, stamp TEXT)", error))
        return false;
    const Statement insert = prepare(db.get(), "INSERT INTO stamps VALUES (?1, ?2)");
    if (!insert)
        return fail(db.get(), QStringLiteral("prepare"), error);
    for (qsizetype i = 0; i < stamps.size(); ++i) {
        const QByteArray stamp = stamps.at(i).toUtf8();
        sqlite3_bind_int64(insert.get(), 1, i + 1);
        sqlite3_bind_text(insert.get(), 2, stamp.constData(), int(stamp.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            return fail(db.get(), QStringLiteral("stamp insert"), error);
        sqlite3_reset(insert.get());
    }
    if (!exec(db.get(),
              "UPDATE articles SET submitdate = s.stamp, lastaccess = s.stamp FROM stamps AS s "
              "WHERE s.number = CAST(articles.OlvaneID AS INTEGER)",
              error))
        return false;
    const int changed = sqlite3_changes(db.get());
    if (changed != stamps.size()) {
        if (error)
            *error = QStringLiteral("%1 rows stamped, %2 expected").arg(changed).arg(stamps.size());
        exec(db.get(), "ROLLBACK", nullptr);
        return false;
    }
    return exec(db.get(), "DROP TABLE stamps", error) && exec(db.get(), "COMMIT", error);
}
