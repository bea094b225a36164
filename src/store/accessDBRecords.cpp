// Article records of key lists: returned whole, or handed to the receiver in
// batches, sorted and limited for the article list.
#include "platform/UserDefaults.h"
#include "store/Connection.h"
#include "store/KeyTable.h"
#include "store/RecordMaker.h"
#include "store/accessDB.h"

#include <QLatin1StringView>

#include <optional>
#include <utility>

namespace {

constexpr qsizetype batchSize = 50;

// The columns of the table, spelled as in its CREATE TABLE statement.
const char* const tableColumns[] = {
    "OlvaneID", "mark",   "author", "title",    "journal", "year",       "volume",     "number",
    "pages",    "idtype", "id",     "filepath", "memo",    "submitdate", "lastaccess", "abstract"};

// SQLite matches identifiers and keywords ignoring the case of ASCII letters
// only, so "submitDate" names submitdate but "ſubmitdate" names nothing.
bool sameName(QStringView given, QLatin1StringView name)
{
    if (given.size() != name.size())
        return false;
    for (qsizetype i = 0; i < given.size(); ++i) {
        const char16_t c = given.at(i).unicode();
        if (c > 0x7f || QChar::toLower(c) != QChar::toLower(char16_t(name.at(i).unicode())))
            return false;
    }
    return true;
}

// " ORDER BY <column> <direction>" in the table's own spelling, or no value
// when the first element of `sortBy` is not a column of the table or
// `orderBy` not a direction. Identifiers cannot be bound as values, so only
// these fixed texts ever enter the statement.
std::optional<QString> orderingClause(const QStringList& sortBy, const QString& orderBy)
{
    if (sortBy.isEmpty())
        return std::nullopt;
    const char* direction = nullptr;
    for (const char* known : {"ASC", "DESC"}) {
        if (sameName(orderBy, QLatin1StringView(known)))
            direction = known;
    }
    if (direction == nullptr)
        return std::nullopt;
    for (const char* column : tableColumns) {
        if (sameName(sortBy.first(), QLatin1StringView(column)))
            return QStringLiteral(" ORDER BY %1 %2")
                .arg(QLatin1StringView(column), QLatin1StringView(direction));
    }
    return std::nullopt;
}

} // namespace

void accessDB::setRecieverOfArticles(ArticleReceiver receiver)
{
    recieverOfArticles = std::move(receiver);
}

void accessDB::searchFromIDs(const QList<ArticleKey>& keys, const QStringList& sortBy,
                             const QString& orderBy)
{
    if (keys.isEmpty())
        return;
    // A column or direction of any other text is a statement that fails.
    if (const auto ordering = orderingClause(sortBy, orderBy))
        searchByQuery(keys, *ordering);
}

void accessDB::searchFromIDs(const QList<ArticleKey>& keys)
{
    if (keys.isEmpty())
        return;
    searchByQuery(keys, QString());
}

void accessDB::searchByQuery(const QList<ArticleKey>& keys, const QString& ordering)
{
    // A copy, so that a receiver may replace itself while it runs.
    const ArticleReceiver receiver = recieverOfArticles;
    if (!receiver)
        return;
    Connection connection(_database.get());
    const KeyTable keyTable(keyTableDepth, connection, keys);
    if (!keyTable.isLoaded())
        return;
    QString statement = RecordMaker::statementHead() + keyTable.rowsOfKeys() + ordering;
    // Read now: the preferences panel may have changed them since the last query.
    const UserDefaults& defaults = UserDefaults::standard();
    if (defaults.boolForKey(QStringLiteral("isLimitDisplayArticle")))
        statement += QStringLiteral(" LIMIT %1")
                         .arg(defaults.integerForKey(QStringLiteral("isLimitMaxNumber")));

    RecordMaker maker;
    QList<ArticleRecord> batch; // one list for every batch of this query
    batch.reserve(batchSize);
    qint64 rows = 0;
    const bool ran = connection.forEachRow(statement, {}, [&](const ResultRow& row) {
        if (rows % batchSize == 0)
            batch.clear();
        batch.append(maker.make(row));
        if (++rows % batchSize == 0)
            receiver(batch);
    });
    // After a failure part way through, no further batch.
    if (ran && rows % batchSize != 0)
        receiver(batch);
}

QList<ArticleRecord> accessDB::articleInformationOfArticleIDs(const QList<ArticleKey>& keys)
{
    QList<ArticleRecord> records;
    if (keys.isEmpty())
        return records;
    Connection connection(_database.get());
    const KeyTable keyTable(keyTableDepth, connection, keys);
    if (!keyTable.isLoaded())
        return records;
    RecordMaker maker;
    const bool ran =
        connection.forEachRow(RecordMaker::statementHead() + keyTable.rowsOfKeys(), {},
                              [&](const ResultRow& row) { records.append(maker.make(row)); });
    if (!ran)
        records.clear(); // a failed statement gives no records, not some
    return records;
}
