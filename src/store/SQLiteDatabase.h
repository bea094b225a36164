#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

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

// A thin handle on one SQLite 3 database file.
//
// Statements carry no values in their text: every value is a bound parameter
// ("?" or "?1"), bound as TEXT, so a value can never change a statement. The
// column affinity of the table decides how the text is stored.
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
    // Closes the connection when one is open.
    void close();
    bool isOpen() const { return db != nullptr; }

    // Runs exactly one statement to its end with `values` bound in order.
    // No value when no connection is open, the statement fails, the number of
    // values does not match its parameters, or the text holds a further
    // statement after the first. A null QString is bound as empty text.
    std::optional<ResultTable> run(const QString& statement, const QStringList& values = {});

    // True when the file begins with the SQLite 2 header text.
    static bool isSQLite2File(const QString& path);

    QString path() const { return filePath; }
    // The SQLite error text of the last failure, or empty.
    QString lastError() const { return error; }

private:
    QString filePath;
    sqlite3* db = nullptr;
    QString error;
};
