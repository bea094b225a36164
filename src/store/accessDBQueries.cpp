// The read side of the store: searches, lists, columns.
#include "platform/UserDefaults.h"
#include "store/Connection.h"
#include "store/KeyTable.h"
#include "store/StoreText.h"
#include "store/accessDB.h"

#include <QSet>

#include <utility>

namespace {

const QString liveRows = QStringLiteral("NOT idtype LIKE ('delete%')");

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

// The texts of a column that holds few distinct values, shared instead of
// made anew for every row.
class KnownTexts
{
public:
    QString text(const ResultRow& row, int column)
    {
        const QByteArrayView bytes = row.utf8(column);
        for (const auto& [utf8, text] : known) {
            if (bytes == utf8 && bytes.isNull() == utf8.isNull())
                return text;
        }
        QString text = row.cell(column);
        if (known.size() < maximum)
            known.append({bytes.toByteArray(), text});
        return text;
    }

private:
    static constexpr qsizetype maximum = 8;
    QList<std::pair<QByteArray, QString>> known;
};

} // namespace

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
    const KeyTable keyTable(keyTableDepth, connection, withIDAndTypes);
    if (!keyTable.isLoaded())
        return QList<ArticleKey>();
    const auto table = connection.run(QStringLiteral("SELECT id,idtype FROM articles WHERE ") +
                                          liveRows + QStringLiteral(" AND ") + keyTable.clause() +
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
    // Row by row into the keys, with one shared text per ID type: the whole
    // library is listed whenever it is shown.
    Connection connection(_database.get());
    QList<ArticleKey> keys;
    KnownTexts types;
    const bool done =
        connection.forEachRow(QStringLiteral("SELECT idtype, id FROM articles WHERE ") + liveRows,
                              {}, [&](const ResultRow& row) {
                                  keys.append(ArticleKey{types.text(row, 0), row.cell(1)});
                              });
    return done ? keys : QList<ArticleKey>();
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

bool accessDB::searchPMIDPDFFileFromIDs(const QString& pmid)
{
    Connection connection(_database.get());
    const auto table = connection.run(
        QStringLiteral("SELECT OlvaneID,filepath FROM articles WHERE (idtype='pmid' AND id=?) "),
        {pmid});
    if (!table || table->rowCount() == 0)
        return false;
    // An empty path names no file either.
    const QString path = table->cell(0, 1);
    return !path.isEmpty() && path != QStringLiteral("none");
}
