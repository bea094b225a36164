#include "store/accessDB.h"

#include "platform/Log.h"
#include "pubmed/PubMedXML.h"
#include "store/Connection.h"
#include "store/SQLiteDatabase.h"
#include "store/StoreText.h"

#include <QFileInfo>

#include <algorithm>

using StoreText::orEmpty;

namespace {

const QString createTableStatement = QStringLiteral(
    "CREATE TABLE articles (OlvaneID INTEGER, mark TEXT, author TEXT, title TEXT, journal TEXT, "
    "year INTEGER, volume TEXT, number INTEGER, pages TEXT, idtype TEXT, id INTEGER, filepath "
    "TEXT, memo TEXT, submitdate TIMESTAMP, lastaccess TIMESTAMP, abstract TEXT )");

const QStringList createIndexStatements = {
    QStringLiteral("CREATE INDEX id_Index ON articles(id)"),
    QStringLiteral("CREATE INDEX idtype_Index ON articles(idtype)"),
    QStringLiteral("CREATE INDEX author_Index ON articles(author)"),
    QStringLiteral("CREATE INDEX journal_Index ON articles(journal)"),
};

// Ordered by the leading integer of the cell, the number the store reads
// back, so a stray text value cannot hide the highest number. The second
// column is that order's value, which a bracket keeps to hand out numbers.
const QString highestUniqueIDStatement =
    QStringLiteral("SELECT OlvaneID, CAST(OlvaneID AS INTEGER) FROM articles ORDER BY 2 DESC "
                   "LIMIT 1");
const QString highestUserIDStatement =
    QStringLiteral("SELECT id FROM articles where idtype='User' ORDER BY CAST(id AS INTEGER) DESC "
                   "LIMIT 1");

const QString existenceStatement =
    QStringLiteral("SELECT OlvaneID FROM articles where idtype = ? AND id = ? LIMIT 1");

// All sixteen columns in table order.
const QString insertStatement =
    QStringLiteral("INSERT INTO articles VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

const QString updateFromPubMedStatement = QStringLiteral(
    "UPDATE articles SET author = ?, title = ?, journal = ?, year = ?, volume = ?, number = ?, "
    "pages = ?, idtype = ?, id = ?, filepath = ?, abstract = ?  where idtype = ? AND id = ?");

const QString removeStatement =
    QStringLiteral("UPDATE articles SET idtype = ? where idtype = ? AND id = ?");

const QString pmidType = QStringLiteral("pmid");
const QString noMark = QStringLiteral("none");

// The leading integer of the first cell, or 0 (also for no table or no row).
quint64 firstNumber(const std::optional<ResultTable>& table)
{
    if (!table || table->rowCount() == 0)
        return 0;
    return quint64(std::max<qint64>(0, StoreText::leadingInteger(table->cell(0, 0)).value_or(0)));
}

} // namespace

accessDB::accessDB(const QString& preferenceDir)
    : preferenceDir(preferenceDir), dbPath(preferenceDir + QStringLiteral("/articles.db"))
{
    if (isLegacySQLite2File(dbPath)) {
        Log::message(
            QStringLiteral("%1 is an SQLite 2 database; the article store leaves it untouched")
                .arg(dbPath));
        return;
    }
    // SQLite 3 takes an empty file for an empty database, so a file left
    // empty by an interrupted first start still gets its table.
    const QFileInfo file(dbPath);
    const bool newFile = !file.exists() || (file.isFile() && file.size() == 0);
    _database = std::make_unique<SQLiteDatabase>(dbPath);
    createTableAndIndexes(newFile);
}

accessDB::~accessDB() = default;

bool accessDB::isLegacySQLite2File(const QString& path)
{
    return SQLiteDatabase::isSQLite2File(path);
}

void accessDB::createTableAndIndexes(bool newFile)
{
    if (newFile) {
        const bool created = _database->open() && _database->run(createTableStatement);
        if (!created)
            Log::message(QStringLiteral("fail to create db"));
    }
    // On an existing file these fail because the indexes exist; that is expected.
    if (_database->open()) {
        for (const QString& statement : createIndexStatements)
            _database->run(statement);
    }
}

bool accessDB::open()
{
    if (!_database)
        return false;
    if (bracketDepth > 0) {
        ++bracketDepth;
        return true;
    }
    if (!_database->open())
        return false;
    bracketDepth = 1;
    // Should "begin;" fail, the statements commit one by one; nothing is lost.
    _database->run(QStringLiteral("begin;"));
    return true;
}

bool accessDB::close()
{
    if (bracketDepth == 0)
        return false;
    if (--bracketDepth > 0)
        return true;
    bracketHighestID.reset();
    const bool committed = _database->run(QStringLiteral("commit;")).has_value();
    if (!committed) {
        Log::message(QStringLiteral("fail to commit: %1").arg(_database->lastError()));
        // The connection stays open: without this, every later write would
        // join the transaction that failed and never be committed.
        if (_database->inTransaction())
            _database->run(QStringLiteral("rollback;"));
    }
    return committed;
}

quint64 accessDB::currentUniqueID()
{
    Connection connection(_database.get());
    return firstNumber(connection.run(highestUniqueIDStatement));
}

quint64 accessDB::nextUniqueID(Connection& connection)
{
    // Only while the bracket's transaction holds the table: then no other
    // connection can add a number between two of our inserts.
    if (bracketDepth == 0 || !_database->inTransaction()) {
        bracketHighestID.reset();
        return firstNumber(connection.run(highestUniqueIDStatement)) + 1;
    }
    if (!bracketHighestID)
        bracketHighestID = readHighestUniqueID(connection.run(highestUniqueIDStatement));
    return bracketHighestID ? bracketHighestID->number + 1 : 1;
}

std::optional<accessDB::HighestUniqueID>
accessDB::readHighestUniqueID(const std::optional<ResultTable>& table)
{
    if (!table)
        return std::nullopt; // the statement failed: ask again next time
    // Without a row, or with only NULL numbers, any stored number orders above.
    HighestUniqueID highest;
    const QString orderValue = table->cell(0, 1);
    if (!orderValue.isNull())
        highest.orderValue = StoreText::leadingInteger(orderValue).value_or(0);
    highest.number = firstNumber(table);
    return highest;
}

void accessDB::noteUniqueIDStored(qint64 olvaneID)
{
    // A number stored as an integer orders as itself: it tops the table when
    // it orders above the highest so far (a tie changes neither number).
    if (bracketHighestID && olvaneID > bracketHighestID->orderValue)
        bracketHighestID = HighestUniqueID{olvaneID, quint64(std::max<qint64>(0, olvaneID))};
}

void accessDB::forgetHighestUniqueID()
{
    bracketHighestID.reset();
}

quint64 accessDB::currentUserID()
{
    Connection connection(_database.get());
    return firstNumber(connection.run(highestUserIDStatement));
}

void accessDB::insertArtilceInfoIntoDB(const PubMedXML& reader, const QString& filepath,
                                       const QString& pmid)
{
    if (pmid.trimmed().isEmpty())
        return; // names no article
    Connection connection(_database.get());
    const QString authors = orEmpty(reader.authorsAsString());
    const QString title = orEmpty(reader.title());
    const QString journal = orEmpty(reader.journal());
    const QString year = orEmpty(reader.year());
    const QString volume = orEmpty(reader.volume());
    const QString number = orEmpty(reader.number());
    const QString pages = orEmpty(reader.pages());
    const QString abstract = orEmpty(reader.abstract());
    const QString path = orEmpty(filepath);

    if (haveArticleWithoutOpen(ArticleKey{pmidType, pmid})) {
        connection.run(updateFromPubMedStatement,
                       {authors, title, journal, year, volume, number, pages, pmidType, pmid, path,
                        abstract, pmidType, pmid});
        return;
    }
    const quint64 next = nextUniqueID(connection);
    const QString now = StoreText::timestampNow();
    if (connection.run(insertStatement, {QString::number(next), noMark, authors, title, journal,
                                         year, volume, number, pages, pmidType, pmid, path,
                                         QStringLiteral(""), now, now, abstract}))
        noteUniqueIDStored(qint64(next));
}

void accessDB::insertUserArticleIntoDB(const UserArticleEntry& entry)
{
    Connection connection(_database.get());
    const qint64 uniqueID = StoreText::leadingInteger(entry.uniqueID).value_or(0);
    const QString now = StoreText::timestampNow();
    if (connection.run(insertStatement,
                       {QString::number(uniqueID), noMark, orEmpty(entry.authors),
                        orEmpty(entry.title), orEmpty(entry.journal), orEmpty(entry.year),
                        orEmpty(entry.volume), orEmpty(entry.number), orEmpty(entry.pages),
                        orEmpty(entry.type), orEmpty(entry.id), orEmpty(entry.PDFpath),
                        orEmpty(entry.memo), now, now, orEmpty(entry.abstract)}))
        noteUniqueIDStored(uniqueID);
}

void accessDB::removeArtilce(const ArticleKey& key)
{
    Connection connection(_database.get());
    connection.run(removeStatement, {QStringLiteral("deleted_") + key.type, key.type, key.ID});
}

bool accessDB::haveArticle(const ArticleKey& key)
{
    return haveArticleWithoutOpen(key);
}

bool accessDB::haveArticleWithoutOpen(const ArticleKey& key)
{
    Connection connection(_database.get());
    const auto table = connection.run(existenceStatement, {key.type, key.ID});
    return table && table->rowCount() > 0;
}
