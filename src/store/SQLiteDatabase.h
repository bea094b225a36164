#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class PreparedStatements;
struct sqlite3;
struct sqlite3_stmt;

// The rows one statement gave, every cell as text.
class ResultTable
{
public:
    int rowCount() const { return columns == 0 ? 0 : int(cells.size() / columns); }
    int columnCount() const { return columns; }
    // The cell's text; a null QString for an SQL NULL or an index out of range.
    // An empty text is an empty, non-null QString.
    QString cell(int row, int column) const;

private:
    friend class SQLiteDatabase;
    int columns = 0;
    QList<QString> cells; // row-major
};

// The current row of a statement while it steps. Valid only inside the call
// that receives it: the next step overwrites it.
class ResultRow final
{
public:
    int columnCount() const { return columns; }
    // As ResultTable::cell.
    QString cell(int column) const;
    // The cell's UTF-8 bytes without a copy; a view with a null data pointer
    // for SQL NULL or an index out of range, an empty one for empty text.
    QByteArrayView utf8(int column) const;

private:
    friend class SQLiteDatabase;
    ResultRow(sqlite3_stmt* statement, int columns) : statement(statement), columns(columns) {}
    sqlite3_stmt* statement;
    int columns;
};

// A thin handle on one SQLite 3 database file.
//
// Statements carry no values in their text: every value is a bound parameter
// ("?" or "?1"), bound as TEXT, so a value can never change a statement. The
// column affinity of the table decides how the text is stored.
//
// The connection stays open until close(); each statement text is prepared
// once per connection and reused. Statements are reset after every run, so
// outside an explicit transaction each write commits as its statement ends.
class SQLiteDatabase final
{
public:
    // Remembers the path; touches no file.
    explicit SQLiteDatabase(QString path);
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    // Opens the file, creating it when missing. True when a connection is
    // open afterwards (also when it was open already). A file in the SQLite 2
    // format is refused with a log line and never touched.
    bool open();
    // Closes the connection when one is open; the file is released.
    void close();
    bool isOpen() const { return db != nullptr; }
    // True while a transaction begun with "begin;" is still open.
    bool inTransaction() const;

    // Runs exactly one statement to its end with `values` bound in order.
    // No value when no connection is open, the statement fails, the number of
    // values does not match its parameters, or the text holds a further
    // statement after the first. A null QString is bound as empty text.
    std::optional<ResultTable> run(const QString& statement, const QStringList& values = {});

    // Runs a statement as run() does, but hands each row to `onRow` as it is
    // stepped instead of collecting a table. False where run() gives no
    // value; rows handed out before a failure stay handed out. `onRow` may
    // run further statements on this connection.
    using RowHandler = std::function<void(const ResultRow&)>;
    bool forEachRow(const QString& statement, const QStringList& values, const RowHandler& onRow);

    // Runs a statement without result rows once per set of values, prepared
    // only once (bulk inserts). Stops at the first failure and answers false.
    bool runRepeated(const QString& statement, const QList<QStringList>& valueSets);

    // True when the file begins with the SQLite 2 header text.
    static bool isSQLite2File(const QString& path);

    QString path() const { return filePath; }
    // The SQLite error text of the last failure, or empty.
    QString lastError() const { return error; }

private:
    // The common step: takes the prepared statement and runs it once per set
    // of values; `columns` receives its column count once it is prepared.
    bool execute(const QString& statement, const QList<QStringList>& valueSets, int& columns,
                 const RowHandler& onRow);

    QString filePath;
    sqlite3* db = nullptr;
    std::unique_ptr<PreparedStatements> statements; // of the open connection
    QString error;
};
