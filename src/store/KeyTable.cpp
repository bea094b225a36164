#include "store/KeyTable.h"

#include "store/StoreText.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// Keys per INSERT while filling the table: well under SQLite's limits on
// parameters and statement size.
constexpr int keysPerInsert = 500;

// A key list is long when it names at least this share of the table's rows
// (1 in 4): from there on a pass over the table beats key-by-key lookups.
constexpr qsizetype longListDivisor = 4;

// The keys in the order of the table's primary key: the ID, numbers first
// and by value, then the type. Stored in that order they extend the table's
// tree at its end instead of splitting it all over: several times faster.
QList<const ArticleKey*> inTableOrder(const QList<ArticleKey>& keys)
{
    // A library has a handful of types: each is ranked once, so that the sort
    // compares integers only.
    QHash<QString, int> typeRanks;
    for (const ArticleKey& key : keys)
        typeRanks.insert(key.type, 0);
    QStringList types = typeRanks.keys();
    std::sort(types.begin(), types.end());
    for (int rank = 0; rank < types.size(); ++rank)
        typeRanks[types.at(rank)] = rank;

    struct SortKey
    {
        const ArticleKey* key;
        int typeRank;
        bool isNumber;
        qint64 number;
    };
    std::vector<SortKey> sortKeys;
    sortKeys.reserve(size_t(keys.size()));
    for (const ArticleKey& key : keys) {
        bool isNumber = false;
        const qint64 number = key.ID.toLongLong(&isNumber);
        sortKeys.push_back({&key, typeRanks.value(key.type), isNumber, number});
    }
    std::sort(sortKeys.begin(), sortKeys.end(), [](const SortKey& a, const SortKey& b) {
        if (a.isNumber != b.isNumber)
            return a.isNumber; // SQLite orders numbers before texts
        if (a.isNumber && a.number != b.number)
            return a.number < b.number;
        if (!a.isNumber && a.key->ID != b.key->ID)
            return a.key->ID < b.key->ID;
        return a.typeRank < b.typeRank;
    });
    QList<const ArticleKey*> ordered;
    ordered.reserve(keys.size());
    for (const SortKey& sortKey : sortKeys)
        ordered.append(sortKey.key);
    return ordered;
}

QString insertKeysStatement(const QString& table, int count)
{
    QString statement = QStringLiteral("INSERT OR IGNORE INTO temp.%1 VALUES (?, ?)").arg(table);
    for (int i = 1; i < count; ++i)
        statement += QStringLiteral(", (?, ?)");
    return statement;
}

} // namespace

accessDB::KeyTable::KeyTable(int& depth, Connection& connection, const QList<ArticleKey>& keys)
    : depth(depth), connection(connection), name(QStringLiteral("articlekeys%1").arg(depth++))
{
    loaded = load(keys);
}

accessDB::KeyTable::~KeyTable()
{
    // Emptied rather than dropped: SQLite refuses DROP TABLE while an outer
    // query is still reading, and the next query of this depth reuses it.
    connection.run(QStringLiteral("DELETE FROM temp.%1").arg(name));
    --depth;
}

QString accessDB::KeyTable::clause() const
{
    // The table's `kid` has the same INTEGER affinity as articles.id, so a
    // key compares as it would in "idtype = '<type>' AND id = '<ID>'".
    return QStringLiteral(" (id, idtype) IN (SELECT kid, ktype FROM temp.%1) ").arg(name);
}

QString accessDB::KeyTable::rowsOfKeys() const
{
    // CROSS JOIN keeps articles as the outer loop; the key table's own
    // column names keep every column of articles unambiguous.
    if (longList)
        return QStringLiteral(" CROSS JOIN temp.%1 ON id = kid AND idtype = ktype ").arg(name);
    return QStringLiteral(" WHERE") + clause();
}

bool accessDB::KeyTable::load(const QList<ArticleKey>& keys)
{
    // Without a rowid the table is a single tree ordered by its key; the ID
    // comes first, as it tells keys apart sooner than the type.
    if (!connection.run(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 (kid INTEGER, "
                                       "ktype TEXT, PRIMARY KEY (kid, ktype)) WITHOUT ROWID")
                            .arg(name)) ||
        !connection.run(QStringLiteral("DELETE FROM temp.%1").arg(name)))
        return false;
    // Full chunks share one prepared statement, the rest (one key at a time)
    // another.
    const QList<const ArticleKey*> ordered = inTableOrder(keys);
    const qsizetype inChunks = ordered.size() - ordered.size() % keysPerInsert;
    QList<QStringList> chunks;
    chunks.reserve(inChunks / keysPerInsert);
    QList<QStringList> rest;
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        const ArticleKey& key = *ordered.at(i);
        if (i >= inChunks) {
            rest.append({key.ID, key.type});
            continue;
        }
        if (i % keysPerInsert == 0)
            chunks.emplaceBack().reserve(2 * keysPerInsert);
        chunks.last() << key.ID << key.type;
    }
    if (!chunks.isEmpty() &&
        !connection.runRepeated(insertKeysStatement(name, keysPerInsert), chunks))
        return false;
    if (!rest.isEmpty() && !connection.runRepeated(insertKeysStatement(name, 1), rest))
        return false;
    longList = isLongList(keys.size());
    return true;
}

bool accessDB::KeyTable::isLongList(qsizetype keyCount)
{
    // Rows are never deleted, so the highest rowid counts them, and finding
    // it costs one step down the table's tree.
    const auto highest = connection.run(QStringLiteral("SELECT max(rowid) FROM articles"));
    const qint64 rows = highest ? StoreText::leadingInteger(highest->cell(0, 0)).value_or(0) : 0;
    return keyCount * longListDivisor >= rows;
}
