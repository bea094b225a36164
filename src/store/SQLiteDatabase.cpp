#include "store/SQLiteDatabase.h"

#include "platform/Log.h"
#include "store/PreparedStatements.h"
#include "store/StoreLog.h"

#include <QFile>

#include <vector>

#include <sqlite3.h>

namespace {

const QByteArray sqlite2Header =
    QByteArrayLiteral("** This file contains an SQLite 2.1 database **");

} // namespace

QString ResultTable::cell(int row, int column) const
{
    if (row < 0 || column < 0 || column >= columns || row >= rowCount())
        return QString();
    return cells.at(qsizetype(row) * columns + column);
}

QByteArrayView ResultRow::utf8(int column) const
{
    if (column < 0 || column >= columns)
        return {};
    // Text first, then its length: the order SQLite asks for. A null pointer
    // means SQL NULL; empty text gives a valid pointer.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text == nullptr)
        return {};
    return QByteArrayView(text, sqlite3_column_bytes(statement, column));
}

QString ResultRow::cell(int column) const
{
    const QByteArrayView text = utf8(column);
    if (text.data() == nullptr)
        return QString(); // SQL NULL or no such column
    if (text.isEmpty())
        return QStringLiteral(""); // empty, but not null: only SQL NULL reads as null
    return QString::fromUtf8(text);
}

SQLiteDatabase::SQLiteDatabase(QString path) : filePath(std::move(path)) {}

SQLiteDatabase::~SQLiteDatabase()
{
    close();
}

bool SQLiteDatabase::inTransaction() const
{
    return db != nullptr && sqlite3_get_autocommit(db) == 0;
}

bool SQLiteDatabase::isSQLite2File(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(sqlite2Header.size()) == sqlite2Header;
}

bool SQLiteDatabase::open()
{
    if (db != nullptr)
        return true;
    error.clear();
    if (isSQLite2File(filePath)) {
        error = QStringLiteral("file is an SQLite 2 database");
        Log::message(QStringLiteral("%1 is an SQLite 2 database and is not opened").arg(filePath));
        return false;
    }
    const QByteArray name = QFile::encodeName(filePath);
    sqlite3* connection = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &connection,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE |
                                       SQLITE_OPEN_NOMUTEX, // one thread per connection
                                   nullptr);
    if (rc != SQLITE_OK) {
        error = QString::fromUtf8(connection ? sqlite3_errmsg(connection) : sqlite3_errstr(rc));
        qCDebug(lcStore) << "cannot open" << filePath << error;
        sqlite3_close(connection);
        return false;
    }
    db = connection;
    statements = std::make_unique<PreparedStatements>(db);
    // Temporary tables (the store's key lists) and sorts stay in memory
    // instead of spilling to temporary files.
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);
    return true;
}

void SQLiteDatabase::close()
{
    if (db == nullptr)
        return;
    // A statement still stepping (a receiver that destroyed the store while
    // the query that called it reads on) keeps the connection alive until it
    // ends; every other statement goes now, so the file is released.
    statements.reset();
    sqlite3_close_v2(db);
    db = nullptr;
}

std::optional<ResultTable> SQLiteDatabase::run(const QString& statement, const QStringList& values)
{
    ResultTable table;
    const bool ran = execute(statement, {values}, table.columns, [&table](const ResultRow& row) {
        for (int column = 0; column < row.columnCount(); ++column)
            table.cells.append(row.cell(column));
    });
    if (!ran)
        return std::nullopt;
    return table;
}

bool SQLiteDatabase::forEachRow(const QString& statement, const QStringList& values,
                                const RowHandler& onRow)
{
    int columns = 0;
    return execute(statement, {values}, columns, onRow);
}

bool SQLiteDatabase::runRepeated(const QString& statement, const QList<QStringList>& valueSets)
{
    int columns = 0;
    return execute(statement, valueSets, columns, [](const ResultRow&) {});
}

bool SQLiteDatabase::execute(const QString& statement, const QList<QStringList>& valueSets,
                             int& columns, const RowHandler& onRow)
{
    error.clear();
    if (db == nullptr) {
        error = QStringLiteral("no open connection");
        return false;
    }
    const auto fail = [&] {
        if (error.isEmpty())
            error = QString::fromUtf8(sqlite3_errmsg(db));
        qCDebug(lcStore) << "statement failed:" << statement << error;
        return false;
    };

    // Bound values; declared first, so they outlive the statement's use.
    std::vector<QByteArray> bound;
    const auto prepared = statements->take(statement.toUtf8(), error);
    if (!prepared)
        return fail();
    sqlite3_stmt* const handle = prepared->handle();
    if (handle == nullptr) // blanks or comments only
        return true;
    columns = sqlite3_column_count(handle);
    const ResultRow row(handle, columns);

    for (const QStringList& values : valueSets) {
        if (sqlite3_bind_parameter_count(handle) != values.size()) {
            error = QStringLiteral("%1 values for %2 parameters")
                        .arg(values.size())
                        .arg(sqlite3_bind_parameter_count(handle));
            return fail();
        }
        // The bytes stay alive until the statement has run, so SQLite binds
        // them without a copy of its own.
        bound.resize(values.size());
        for (int i = 0; i < values.size(); ++i) {
            bound[i] = values.at(i).toUtf8();
            if (sqlite3_bind_text(handle, i + 1, bound[i].constData(), int(bound[i].size()),
                                  SQLITE_STATIC) != SQLITE_OK)
                return fail();
        }
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(handle)) == SQLITE_ROW)
            onRow(row);
        if (rc != SQLITE_DONE)
            return fail();
        sqlite3_reset(handle);
    }
    return true;
}
