#pragma once

#include "store/ArticleKey.h"
#include "store/ArticleRecord.h"
#include "store/UserArticleEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class PubMedXML;
class SQLiteDatabase;
class ResultTable;

// The article store: the table `articles` in "<preference folder>/articles.db".
//
// One connection serves the store from construction to destruction (the file
// is released then); statements are prepared once and reused. Two kinds of
// operation:
// - self-contained ones run on their own, so a write is committed (visible
//   to other connections, on disk) when the call returns;
// - bracketed ones are meant to run between open() and close() (the
//   transaction bracket: one transaction), so that an import of many
//   articles commits once, at close().
// A self-contained operation called inside a bracket joins the bracket's
// transaction; a bracketed operation called outside one commits by itself.
// Either way no write is lost.
//
// A failed statement behaves as an empty result: no rows, counts and numbers
// 0, tests false, texts empty; writes are dropped without a message.
class accessDB final
{
public:
    // Receives the records of searchFromIDs() batch by batch. The batch list
    // belongs to the query and is emptied before the next batch: a receiver
    // that keeps records takes them out (std::move).
    using ArticleReceiver = std::function<void(QList<ArticleRecord>& batch)>;

    // Opens (creating when new) "<preferenceDir>/articles.db" and creates the
    // table and its indexes in a new file.
    // A file in the SQLite 2 format is left untouched and every operation
    // then fails as above.
    explicit accessDB(const QString& preferenceDir);
    ~accessDB();
    accessDB(const accessDB&) = delete;
    accessDB& operator=(const accessDB&) = delete;

    // True when `path` begins with "** This file contains an SQLite 2.1 database **".
    static bool isLegacySQLite2File(const QString& path);

    QString databasePath() const { return dbPath; }

    // The transaction bracket. Brackets nest: only the outermost pair begins
    // and commits. close() answers whether the commit succeeded; a failed
    // commit is rolled back.
    bool open();
    bool close();

    // The highest OlvaneID, removed rows included; 0 for an empty table.
    quint64 currentUniqueID();
    // The highest user number among live rows of type "User"; 0 when none.
    quint64 currentUserID();

    // Bracketed. Updates the live row of PubMed article `pmid` from `reader`
    // (keeping its number, mark, memo and dates), or inserts a new row with
    // the next OlvaneID.
    void insertArtilceInfoIntoDB(const PubMedXML& reader, const QString& filepath,
                                 const QString& pmid);
    // Bracketed. Inserts the entry as a new row; no existence test.
    void insertUserArticleIntoDB(const UserArticleEntry& entry);

    // Marks the article's rows as removed (type "deleted_" + type).
    void removeArtilce(const ArticleKey& key);
    bool haveArticle(const ArticleKey& key);
    // The same test for use inside a bracket.
    bool haveArticleWithoutOpen(const ArticleKey& key);

    // Copies every old "<preferenceDir>/cache/<pmid>.dat" record into the table.
    void convertOldCacheFileToDB();
    // Copies one old record; each record is committed on its own.
    void insertArticleInfoFromOldFile(const QString& pmid);

    // The receiver of searchFromIDs(); not called until a query runs.
    void setRecieverOfArticles(ArticleReceiver receiver);

    // Hands the records of the keys (any number) to the receiver in batches
    // of 50, the rest last, all before returning; no rows, no call. Ordered
    // as SQLite orders "ORDER BY <column> <direction>": the column named by
    // the first element of `sortBy` (a column of the table, letter case
    // ignored: "title", "submitDate", ...), the direction "ASC" or "DESC".
    // With the user default "isLimitDisplayArticle" set, at most
    // "isLimitMaxNumber" records. Any other column or direction delivers
    // nothing; an empty key list runs no statement.
    void searchFromIDs(const QList<ArticleKey>& keys, const QStringList& sortBy,
                       const QString& orderBy);
    // The same in the database's order.
    void searchFromIDs(const QList<ArticleKey>& keys);

    // The records of the given keys, in the database's order, each matching
    // row once. Any number of keys.
    QList<ArticleRecord> articleInformationOfArticleIDs(const QList<ArticleKey>& keys);
    // Keys of live articles whose ID, or a column chosen by the search flags
    // in the user defaults, contains `word` (LIKE: ASCII case folded, % and _
    // are wildcards). No value for an empty word.
    std::optional<QList<ArticleKey>> searchArticleIDs(const QString& word);
    // The same search restricted to the given keys.
    std::optional<QList<ArticleKey>> searchArticleIDs(const QString& word,
                                                      const QList<ArticleKey>& withIDAndTypes);
    // At most 100 keys of live articles, most recently inserted first.
    QList<ArticleKey> searchImportedRecentlyIDs();
    QList<ArticleKey> allArticleIDs();
    qint64 numberOfAllArticles();
    // Distinct journals of live articles, ascending.
    QStringList journals();

    // A column of the article; empty text when there is no such article.
    QString abstract(const ArticleKey& key);
    QString memo(const ArticleKey& key);
    QString authors(const ArticleKey& key);
    QStringList authorsAsArray(const ArticleKey& key);

    // True when the live PubMed article `pmid` has a PDF: its file path is
    // neither "none" nor empty.
    bool searchPMIDPDFFileFromIDs(const QString& pmid);

    // Bracketed. Each writes one column of the article's live row; no row, no
    // change. An article record serves as `of` through its key().
    void setMark(const QString& mark, const ArticleKey& of);
    void setMemo(const QString& memo, const ArticleKey& of);
    void setAuthor(const QString& author, const ArticleKey& of);
    void setTitle(const QString& title, const ArticleKey& of);
    void setJournal(const QString& journal, const ArticleKey& of);
    void setVolume(const QString& volume, const ArticleKey& of);
    void setNumber(const QString& number, const ArticleKey& of);
    void setYear(const QString& year, const ArticleKey& of);
    void setPages(const QString& pages, const ArticleKey& of);
    void setAbstract(const QString& abstract, const ArticleKey& of);
    void setFilePath(const QString& filePath, const ArticleKey& of);
    void setOlvaneID(const QString& olvaneID, const ArticleKey& of);

    // Splits an authors string ("Smith, JA, Doe, B") into its entries
    // ("Smith, JA", "Doe, B"). No database access.
    static QStringList authorsArrayFromAuthorsString(const QString& authors);

private:
    class Connection;
    class KeyTable;

    // The row that tops "ORDER BY CAST(OlvaneID AS INTEGER) DESC": that
    // order's value, and the number currentUniqueID() reads from the row.
    struct HighestUniqueID
    {
        qint64 orderValue = std::numeric_limits<qint64>::min();
        quint64 number = 0;
    };

    // The OlvaneID for a new PubMed article: the highest + 1, removed rows
    // included. Inside a bracket the highest is read once and then followed
    // through the bracket's own inserts, instead of a scan per insert.
    quint64 nextUniqueID(Connection& connection);
    static std::optional<HighestUniqueID>
    readHighestUniqueID(const std::optional<ResultTable>& table);
    // After a row with this OlvaneID (an integer) was stored.
    void noteUniqueIDStored(qint64 olvaneID);
    // After a write that may lower or scatter numbers (setOlvaneID, old records).
    void forgetHighestUniqueID();

    void createTableAndIndexes(bool newFile);
    QString singleColumn(const QString& statement, const ArticleKey& key);
    // The common step of searchFromIDs: the record statement for `keys`,
    // then `ordering` (empty or " ORDER BY <column> <direction>"), then the
    // limit; its rows go to the receiver in batches.
    void searchByQuery(const QList<ArticleKey>& keys, const QString& ordering);
    // One setter: "UPDATE articles SET <column> = value" on the key's rows.
    void setColumn(const char* column, const QString& value, const ArticleKey& of);
    static QList<ArticleKey> keysFromRows(const ResultTable& table, int typeColumn, int idColumn,
                                          int limit = -1);

    QString preferenceDir;
    QString dbPath;
    std::unique_ptr<SQLiteDatabase> _database; // null for a file in the SQLite 2 format
    int bracketDepth = 0;
    std::optional<HighestUniqueID> bracketHighestID; // only while a bracket is open
    int keyTableDepth = 0;                           // key tables in use, see KeyTable
    ArticleReceiver recieverOfArticles;
};
