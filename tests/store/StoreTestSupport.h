#pragma once

// Shared by the store tests: a preference folder in the temporary home, user
// entries, and rows of articles.db read over a connection of their own.

#include "TempHome.h"
#include "store/SQLiteDatabase.h"
#include "store/UserArticleEntry.h"

#include <QDir>
#include <QMap>
#include <QStringList>
#include <QTest>

using RawRow = QMap<QString, QString>;

inline const QStringList articleColumns = {
    "OlvaneID", "mark",   "author", "title",    "journal", "year",       "volume",     "number",
    "pages",    "idtype", "id",     "filepath", "memo",    "submitdate", "lastaccess", "abstract"};

inline QString makePreferenceDir(const TempHome& home)
{
    const QString dir = home.defaultPreferenceDir();
    QDir().mkpath(dir);
    return dir;
}

// Rows matching `where`, each column by name; the column's SQL type is under
// "typeof(<column>)" so tests can tell empty text from NULL.
inline QList<RawRow> rawRows(const QString& dbPath, const QString& where = QStringLiteral("1"),
                             const QStringList& values = {})
{
    QStringList selected = articleColumns;
    for (const QString& column : articleColumns)
        selected << QStringLiteral("typeof(%1)").arg(column);
    SQLiteDatabase db(dbPath);
    QList<RawRow> rows;
    if (!db.open())
        return rows;
    const auto table = db.run(QStringLiteral("SELECT %1 FROM articles WHERE %2 ORDER BY rowid")
                                  .arg(selected.join(QStringLiteral(", ")), where),
                              values);
    for (int row = 0; table && row < table->rowCount(); ++row) {
        RawRow raw;
        for (int column = 0; column < selected.size(); ++column)
            raw.insert(selected.at(column), table->cell(row, column));
        rows.append(raw);
    }
    return rows;
}

inline int rawCount(const QString& dbPath)
{
    return int(rawRows(dbPath).size());
}

inline UserArticleEntry userEntry(int uniqueID, const QString& type, const QString& id,
                                  const QString& title = QStringLiteral("A title"))
{
    UserArticleEntry entry;
    entry.uniqueID = QString::number(uniqueID);
    entry.authors = QStringLiteral("Smith, JA");
    entry.title = title;
    entry.journal = QStringLiteral("J Test");
    entry.year = QStringLiteral("2001");
    entry.volume = QStringLiteral("12");
    entry.number = QStringLiteral("3");
    entry.pages = QStringLiteral("1-9");
    entry.type = type;
    entry.id = id;
    entry.PDFpath = QStringLiteral("none");
    entry.memo = QStringLiteral("");
    entry.abstract = QStringLiteral("");
    return entry;
}
