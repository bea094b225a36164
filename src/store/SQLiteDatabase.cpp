#include "store/SQLiteDatabase.h"

#include "platform/Log.h"
#include "store/StoreLog.h"

#include <QFile>

#include <sqlite3.h>

namespace {

const QByteArray sqlite2Header =
    QByteArrayLiteral("** This file contains an SQLite 2.1 database **");

// Finalizes a prepared statement when it goes out of scope.
struct Statement
{
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

QString cellText(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return QString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const int length = sqlite3_column_bytes(statement, column);
    if (text == nullptr || length == 0)
        return QStringLiteral(""); // empty, but not null: only SQL NULL reads as null
    return QString::fromUtf8(text, length);
}

// True when `tail` holds no further statement (only blanks or comments).
bool isOnlyTrailingText(sqlite3* db, const char* tail)
{
    Statement next;
    if (sqlite3_prepare_v2(db, tail, -1, &next.handle, nullptr) != SQLITE_OK)
        return false;
    return next.handle == nullptr;
}

} // namespace

QString ResultTable::cell(int row, int column) const
{
    if (row < 0 || column < 0 || column >= columns || row >= rowCount())
        return QString();
    return cells.at(qsizetype(row) * columns + column);
}

SQLiteDatabase::SQLiteDatabase(QString path) : filePath(std::move(path)) {}

SQLiteDatabase::~SQLiteDatabase()
{
    close();
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
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        error = QString::fromUtf8(connection ? sqlite3_errmsg(connection) : sqlite3_errstr(rc));
        qCDebug(lcStore) << "cannot open" << filePath << error;
        sqlite3_close(connection);
        return false;
    }
    db = connection;
    return true;
}

void SQLiteDatabase::close()
{
    if (db == nullptr)
        return;
    sqlite3_close(db);
    db = nullptr;
}

std::optional<ResultTable> SQLiteDatabase::run(const QString& statement, const QStringList& values)
{
    error.clear();
    if (db == nullptr) {
        error = QStringLiteral("no open connection");
        return std::nullopt;
    }
    const auto fail = [&]() -> std::optional<ResultTable> {
        if (error.isEmpty())
            error = QString::fromUtf8(sqlite3_errmsg(db));
        qCDebug(lcStore) << "statement failed:" << statement << error;
        return std::nullopt;
    };

    const QByteArray text = statement.toUtf8();
    Statement prepared;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &prepared.handle, &tail) !=
        SQLITE_OK)
        return fail();
    ResultTable table;
    if (prepared.handle == nullptr) // blanks or comments only
        return table;
    if (!isOnlyTrailingText(db, tail)) {
        error = QStringLiteral("more than one statement");
        return fail();
    }
    if (sqlite3_bind_parameter_count(prepared.handle) != values.size()) {
        error = QStringLiteral("%1 values for %2 parameters")
                    .arg(values.size())
                    .arg(sqlite3_bind_parameter_count(prepared.handle));
        return fail();
    }
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray value = values.at(i).toUtf8();
        if (sqlite3_bind_text(prepared.handle, i + 1, value.constData(), int(value.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            return fail();
    }

    table.columns = sqlite3_column_count(prepared.handle);
    for (;;) {
        const int rc = sqlite3_step(prepared.handle);
        if (rc == SQLITE_DONE)
            return table;
        if (rc != SQLITE_ROW)
            return fail();
        for (int column = 0; column < table.columns; ++column)
            table.cells.append(cellText(prepared.handle, column));
    }
}
