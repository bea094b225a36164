// The read side of the store: records of key lists, searches, lists, columns.
#include "platform/UserDefaults.h"
#include "store/Connection.h"
#include "store/StoreText.h"
#include "store/accessDB.h"

#include <QSet>

#include <utility>

namespace {

const QString recordColumns =
    QStringLiteral("SELECT OlvaneID,mark,author,title,journal,year,volume,number,pages,idtype,id,"
                   "filepath,submitdate,memo FROM articles WHERE ");

// Matches the rows whose (idtype, id) is in the connection's key table. The
// key table's `id` has the same INTEGER affinity as articles.id, so a key
// compares as it would in "idtype = '<type>' AND id = '<ID>'".
const QString keyListClause =
    QStringLiteral(" (idtype, id) IN (SELECT idtype, id FROM temp.articlekeys) ");

const QString liveRows = QStringLiteral("NOT idtype LIKE ('delete%')");

// Keys per INSERT while filling the key table: well under SQLite's limits on
// parameters and statement size.
constexpr int keysPerInsert = 200;

// The library search: the ID always, then one column per search flag.
const std::pair<const char*, const char*> searchFlags[] = {
    {"searchAuthor", "author"}, {"searchTitle", "title"},   {"searchAbstract", "abstract"},
    {"searchMemo", "memo"},     {"searchNumber", "number"}, {"searchVolume", "volume"},
    {"searchPage", "pages"},    {"searchYear", "year"},     {"searchJournal", "journal"},
};

QString wordClauses()
{
    const QString contains = QStringLiteral(" LIKE ('%' || ?1 || '%') ");
    QString clauses = QStringLiteral(" ( id") + contains;
    const UserDefaults& defaults = UserDefaults::standard();
    for (const auto& [flag, column] : searchFlags) {
        if (defaults.boolForKey(QString::fromLatin1(flag)))
            clauses += QStringLiteral("OR ") + QString::fromLatin1(column) + contains;
    }
    return clauses + QStringLiteral(" ) ");
}

QString insertKeysStatement(int count)
{
    QString statement = QStringLiteral("INSERT OR IGNORE INTO temp.articlekeys VALUES (?, ?)");
    for (int i = 1; i < count; ++i)
        statement += QStringLiteral(", (?, ?)");
    return statement;
}

} // namespace

bool accessDB::loadKeyList(Connection& connection, const QList<ArticleKey>& keys)
{
    connection.run(QStringLiteral("DROP TABLE IF EXISTS temp.articlekeys"));
    if (!connection.run(QStringLiteral(
            "CREATE TEMP TABLE articlekeys (idtype TEXT, id INTEGER, PRIMARY KEY (idtype, id))")))
        return false;
    for (qsizetype start = 0; start < keys.size(); start += keysPerInsert) {
        const int count = int(std::min<qsizetype>(keysPerInsert, keys.size() - start));
        QStringList values;
        values.reserve(2 * count);
        for (qsizetype i = start; i < start + count; ++i)
            values << keys.at(i).type << keys.at(i).ID;
        if (!connection.run(insertKeysStatement(count), values))
            return false;
    }
    return true;
}

QList<ArticleKey> accessDB::keysFromRows(const ResultTable& table, int typeColumn, int idColumn,
                                         int limit)
{
    QList<ArticleKey> keys;
    const int rows = limit < 0 ? table.rowCount() : std::min(limit, table.rowCount());
    keys.reserve(rows);
    for (int row = 0; row < rows; ++row)
        keys.append(ArticleKey{table.cell(row, typeColumn), table.cell(row, idColumn)});
    return keys;
}

ArticleRecord accessDB::recordFromRow(const ResultTable& table, int row)
{
    ArticleRecord record;
    QString* const cells[] = {&record.OlvaneID,   &record.mark, &record.authors, &record.title,
                              &record.journal,    &record.year, &record.volume,  &record.number,
                              &record.pages,      &record.type, &record.ID,      &record.filepath,
                              &record.submitDate, &record.memo};
    for (int column = 0; column < int(std::size(cells)); ++column)
        *cells[column] = table.cell(row, column);
    return record;
}

QList<ArticleRecord> accessDB::articleInformationOfArticleIDs(const QList<ArticleKey>& keys)
{
    QList<ArticleRecord> records;
    if (keys.isEmpty())
        return records;
    Connection connection(_database.get());
    if (!loadKeyList(connection, keys))
        return records;
    const auto table = connection.run(recordColumns + keyListClause);
    if (!table)
        return records;
    records.reserve(table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row)
        records.append(recordFromRow(*table, row));
    return records;
}

std::optional<QList<ArticleKey>> accessDB::searchArticleIDs(const QString& word)
{
    if (word.isEmpty())
        return std::nullopt;
    Connection connection(_database.get());
    const auto table = connection.run(QStringLiteral("SELECT id,idtype FROM articles WHERE ") +
                                          liveRows + QStringLiteral(" AND ") + wordClauses(),
                                      {word});
    return table ? keysFromRows(*table, 1, 0) : QList<ArticleKey>();
}

std::optional<QList<ArticleKey>> accessDB::searchArticleIDs(const QString& word,
                                                            const QList<ArticleKey>& withIDAndTypes)
{
    if (word.isEmpty())
        return std::nullopt;
    if (withIDAndTypes.isEmpty())
        return QList<ArticleKey>();
    Connection connection(_database.get());
    if (!loadKeyList(connection, withIDAndTypes))
        return QList<ArticleKey>();
    const auto table = connection.run(QStringLiteral("SELECT id,idtype FROM articles WHERE ") +
                                          liveRows + QStringLiteral(" AND ") + keyListClause +
                                          QStringLiteral(" AND ") + wordClauses(),
                                      {word});
    return table ? keysFromRows(*table, 1, 0) : QList<ArticleKey>();
}

QList<ArticleKey> accessDB::searchImportedRecentlyIDs()
{
    Connection connection(_database.get());
    // Rows inserted within the same second come newest first as well.
    const auto table =
        connection.run(QStringLiteral("SELECT idtype,id FROM articles WHERE ") + liveRows +
                       QStringLiteral(" ORDER BY submitdate DESC, rowid DESC "
                                      "LIMIT 100"));
    return table ? keysFromRows(*table, 0, 1, 100) : QList<ArticleKey>();
}

QList<ArticleKey> accessDB::allArticleIDs()
{
    Connection connection(_database.get());
    const auto table =
        connection.run(QStringLiteral("SELECT idtype, id FROM articles WHERE ") + liveRows);
    return table ? keysFromRows(*table, 0, 1) : QList<ArticleKey>();
}

qint64 accessDB::numberOfAllArticles()
{
    Connection connection(_database.get());
    const auto table =
        connection.run(QStringLiteral("SELECT COUNT(*) FROM articles WHERE ") + liveRows);
    return table ? StoreText::leadingInteger(table->cell(0, 0)).value_or(0) : 0;
}

QStringList accessDB::journals()
{
    Connection connection(_database.get());
    const auto table = connection.run(QStringLiteral("SELECT journal FROM articles WHERE ") +
                                      liveRows + QStringLiteral(" ORDER BY journal ASC"));
    QStringList journals;
    if (!table)
        return journals;
    QSet<QString> seen;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString journal = StoreText::orEmpty(table->cell(row, 0));
        if (!seen.contains(journal)) {
            seen.insert(journal);
            journals.append(journal);
        }
    }
    return journals;
}

QString accessDB::singleColumn(const QString& statement, const ArticleKey& key)
{
    Connection connection(_database.get());
    const auto table = connection.run(statement, {key.type, key.ID});
    return StoreText::orEmpty(table ? table->cell(0, 0) : QString());
}

QString accessDB::abstract(const ArticleKey& key)
{
    return singleColumn(QStringLiteral("SELECT abstract FROM articles WHERE idtype=? AND id=?"),
                        key);
}

QString accessDB::memo(const ArticleKey& key)
{
    return singleColumn(QStringLiteral("SELECT memo FROM articles WHERE idtype=? AND id=?"), key);
}

QString accessDB::authors(const ArticleKey& key)
{
    return singleColumn(QStringLiteral("SELECT author FROM articles WHERE idtype=? AND id=?"), key);
}

QStringList accessDB::authorsAsArray(const ArticleKey& key)
{
    return authorsArrayFromAuthorsString(authors(key));
}
