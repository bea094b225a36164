#include "store/KeyTable.h"

namespace {

// Keys per INSERT while filling the table: well under SQLite's limits on
// parameters and statement size.
constexpr int keysPerInsert = 200;

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
    // query is still reading.
    connection.run(QStringLiteral("DELETE FROM temp.%1").arg(name));
    --depth;
}

QString accessDB::KeyTable::clause() const
{
    // The table's `id` has the same INTEGER affinity as articles.id, so a key
    // compares as it would in "idtype = '<type>' AND id = '<ID>'".
    return QStringLiteral(" (idtype, id) IN (SELECT idtype, id FROM temp.%1) ").arg(name);
}

bool accessDB::KeyTable::load(const QList<ArticleKey>& keys)
{
    if (!connection.run(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 "
                                       "(idtype TEXT, id INTEGER, PRIMARY KEY (idtype, id))")
                            .arg(name)) ||
        !connection.run(QStringLiteral("DELETE FROM temp.%1").arg(name)))
        return false;
    // Full chunks share one prepared statement; the rest goes in one more.
    QList<QStringList> chunks;
    QStringList values;
    for (const ArticleKey& key : keys) {
        values << key.type << key.ID;
        if (values.size() == 2 * keysPerInsert) {
            chunks.append(values);
            values.clear();
        }
    }
    if (!chunks.isEmpty() &&
        !connection.runRepeated(insertKeysStatement(name, keysPerInsert), chunks))
        return false;
    if (!values.isEmpty() &&
        !connection.run(insertKeysStatement(name, int(values.size() / 2)), values))
        return false;
    return true;
}
