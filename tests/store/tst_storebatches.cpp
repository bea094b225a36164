// Records of key lists handed to the article receiver: batches of 50, the
// limit from the user defaults, sorting by a column of the table, refused
// sort columns, key lists of any length, and queries made from inside the
// receiver.

#include "StoreTestSupport.h"
#include "TempHome.h"
#include "platform/UserDefaults.h"
#include "store/SQLiteDatabase.h"
#include "store/accessDB.h"

#include <QFile>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

namespace {

// 100,000 user articles with IDs 1..100000; `year` holds a different
// integer for every article, in an order unrelated to the IDs.
constexpr int bigLibrary = 100000;

QString yearOf(int n)
{
    return QString::number(qint64(n) * 7919 % 100003);
}

// What one query handed to the receiver.
struct Delivery
{
    QList<qsizetype> batchSizes;
    QList<ArticleRecord> records; // taken out of the batches, in order
    QSet<const void*> batchLists; // every batch list object seen

    accessDB::ArticleReceiver receiver()
    {
        return [this](QList<ArticleRecord>& batch) {
            batchSizes.append(batch.size());
            batchLists.insert(&batch);
            for (ArticleRecord& record : batch)
                records.append(std::move(record));
        };
    }

    QStringList field(const QString& name) const
    {
        QStringList values;
        for (const ArticleRecord& record : records)
            values << record.toVariant().value(name).toString();
        return values;
    }
};

QList<qsizetype> expectedBatches(qsizetype rows)
{
    QList<qsizetype> sizes(rows / 50, 50);
    if (rows % 50 != 0)
        sizes.append(rows % 50);
    return sizes;
}

QList<ArticleKey> userKeys(int count)
{
    QList<ArticleKey> keys;
    for (int n = count; n >= 1; --n)
        keys.append({"User", QString::number(n)});
    return keys;
}

// Texts that must never reach a statement as a column or a direction.
const QStringList refusedColumns = {"title; DROP TABLE articles",
                                    "nosuchcolumn",
                                    "",
                                    "title DESC",
                                    "\"title\"",
                                    "rowid",
                                    "title,author",
                                    QString::fromUtf8("\u017fubmitdate")}; // long s folds to s

} // namespace

class StoreBatchesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void batchesAndLimit_data();
    void batchesAndLimit();
    void keyListsOfAnyLength_data();
    void keyListsOfAnyLength();
    void emptyKeyListRunsNoStatement();

    void sortByEachColumn_data();
    void sortByEachColumn();
    void refusedSortCallsNoReceiver_data();
    void refusedSortCallsNoReceiver();

    void receiverMayQueryTheStore();

private:
    std::unique_ptr<TempHome> bigHome;
    std::unique_ptr<accessDB> big;
};

void StoreBatchesTest::initTestCase()
{
    bigHome = std::make_unique<TempHome>();
    big = std::make_unique<accessDB>(makePreferenceDir(*bigHome));
    SQLiteDatabase db(big->databasePath());
    QVERIFY(db.open());
    // Generated in SQL: the rows the program itself would write, only faster.
    const QString generate =
        "INSERT INTO articles WITH RECURSIVE n(i) AS "
        "  (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < CAST(?1 AS INTEGER)) "
        "SELECT i, 'none', 'Author ' || i, 'Title ' || i, 'J ' || (i % 50), i * 7919 % 100003, "
        "  i % 300, i % 12, '1-9', 'User', i, '/papers/' || i || '.pdf', '', "
        "  '2006-03-15 14:22:01 +0900', '2006-03-15 14:22:01 +0900', '' "
        "FROM n";
    QVERIFY(db.run(generate, {QString::number(bigLibrary)}));
    // Noise for the key lists: a removed article, and ID 1 under another type.
    db.close();
    QVERIFY(big->open());
    big->insertUserArticleIntoDB(
        userEntry(bigLibrary + 1, "User", QString::number(bigLibrary + 1)));
    big->insertUserArticleIntoDB(userEntry(bigLibrary + 2, "pmid", "1"));
    QVERIFY(big->close());
    big->removeArtilce({"User", QString::number(bigLibrary + 1)});
    QCOMPARE(big->numberOfAllArticles(), qint64(bigLibrary + 1));
}

void StoreBatchesTest::cleanupTestCase()
{
    big.reset();
    bigHome.reset();
}

void StoreBatchesTest::cleanup()
{
    big->setRecieverOfArticles({});
    UserDefaults::standard().removeObjectForKey("isLimitDisplayArticle");
    UserDefaults::standard().removeObjectForKey("isLimitMaxNumber");
}

void StoreBatchesTest::batchesAndLimit_data()
{
    QTest::addColumn<int>("stored");  // keys of stored articles
    QTest::addColumn<int>("unknown"); // further keys nobody has
    QTest::addColumn<bool>("limitOn");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("delivered");

    QTest::newRow("120 rows: 50, 50, 20") << 120 << 0 << false << 0 << 120;
    QTest::newRow("100 rows: 50, 50") << 100 << 0 << false << 0 << 100;
    QTest::newRow("50 rows: one batch") << 50 << 0 << false << 0 << 50;
    QTest::newRow("1 row") << 1 << 0 << false << 0 << 1;
    QTest::newRow("no rows: never called") << 0 << 20 << false << 0 << 0;
    QTest::newRow("limit 30 over 200 keys") << 200 << 0 << true << 30 << 30;
    QTest::newRow("limit above the rows") << 120 << 0 << true << 500 << 120;
    QTest::newRow("limit number without the flag") << 200 << 0 << false << 30 << 200;
    QTest::newRow("limit 0") << 200 << 0 << true << 0 << 0;
}

void StoreBatchesTest::batchesAndLimit()
{
    QFETCH(int, stored);
    QFETCH(int, unknown);
    QFETCH(bool, limitOn);
    QFETCH(int, limit);
    QFETCH(int, delivered);

    // The rows run one after another on one store: each query reads the
    // limit as it stands at the time.
    UserDefaults::standard().setBool(limitOn, "isLimitDisplayArticle");
    UserDefaults::standard().setInteger(limit, "isLimitMaxNumber");
    QList<ArticleKey> keys = userKeys(stored);
    for (int n = 1; n <= unknown; ++n)
        keys.append({"User", QString::number(900000 + n)});

    Delivery sorted;
    big->setRecieverOfArticles(sorted.receiver());
    big->searchFromIDs(keys, {"year", "ignored"}, "ASC");
    QCOMPARE(sorted.batchSizes, expectedBatches(delivered));
    QVERIFY(sorted.batchLists.size() <= 1); // one list object, reused

    // The limit applies after sorting: the smallest years among the keys.
    QList<qint64> years;
    for (int n = 1; n <= stored; ++n)
        years.append(yearOf(n).toLongLong());
    std::sort(years.begin(), years.end());
    QStringList smallest;
    for (int i = 0; i < delivered; ++i)
        smallest << QString::number(years.at(i));
    QCOMPARE(sorted.field("year"), smallest);

    Delivery unsorted;
    big->setRecieverOfArticles(unsorted.receiver());
    big->searchFromIDs(keys);
    QCOMPARE(unsorted.batchSizes, expectedBatches(delivered));
}

void StoreBatchesTest::keyListsOfAnyLength_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("1 key") << 1;
    QTest::newRow("999 keys") << 999;
    QTest::newRow("1000 keys") << 1000;
    QTest::newRow("50000 keys") << 50000;
    QTest::newRow("100000 keys") << bigLibrary;
}

void StoreBatchesTest::keyListsOfAnyLength()
{
    QFETCH(int, count);

    QList<ArticleKey> keys = userKeys(count);
    // Noise that must not add records: a duplicate, a removed article, an
    // ID under a type it is not stored with, an ID nobody has.
    keys += {{"User", "1"},
             {"User", QString::number(bigLibrary + 1)},
             {"Book", "2"},
             {"User", "999999"}};

    struct Query
    {
        QStringList sortBy;
        QString orderBy;
        int direction; // +1 ascending, -1 descending, 0 unsorted
    };
    const Query queries[] = {{{"year"}, "ASC", 1}, {{"YEAR"}, "desc", -1}, {{}, {}, 0}};
    for (const Query& query : queries) {
        Delivery delivery;
        big->setRecieverOfArticles(delivery.receiver());
        if (query.direction == 0)
            big->searchFromIDs(keys);
        else
            big->searchFromIDs(keys, query.sortBy, query.orderBy);

        QCOMPARE(delivery.batchSizes, expectedBatches(count));
        QSet<int> ids;
        qint64 previous = query.direction > 0 ? -1 : std::numeric_limits<qint64>::max();
        for (const ArticleRecord& record : std::as_const(delivery.records)) {
            QCOMPARE(record.type, QString("User"));
            QCOMPARE(record.title, "Title " + record.ID);
            QCOMPARE(record.year, yearOf(record.ID.toInt()));
            ids.insert(record.ID.toInt());
            // Years compare as integers ("9" before "10"), as SQLite orders
            // an INTEGER column.
            const qint64 year = record.year.toLongLong();
            if (query.direction > 0)
                QVERIFY(year > previous);
            else if (query.direction < 0)
                QVERIFY(year < previous);
            previous = year;
        }
        QCOMPARE(ids.size(), count);
        QCOMPARE(*std::min_element(ids.begin(), ids.end()), 1);
        QCOMPARE(*std::max_element(ids.begin(), ids.end()), count);
    }
}

void StoreBatchesTest::emptyKeyListRunsNoStatement()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    int calls = 0;
    store.setRecieverOfArticles([&calls](QList<ArticleRecord>&) { ++calls; });
    // Opening a connection would create the file again.
    QVERIFY(QFile::remove(store.databasePath()));
    store.searchFromIDs({}, {"title"}, "ASC");
    store.searchFromIDs({});
    QCOMPARE(calls, 0);
    QVERIFY(!QFile::exists(store.databasePath()));
}

void StoreBatchesTest::sortByEachColumn_data()
{
    QTest::addColumn<QString>("sortBy");
    QTest::addColumn<QString>("field"); // the record entry shown
    QTest::addColumn<QStringList>("ascending");

    // INTEGER columns order numbers by value, then texts; TEXT columns order
    // by bytes (capitals before small letters, non-ASCII last).
    QTest::newRow("year: numbers by value, text after")
        << "year"
        << "year" << QStringList{"30", "999", "2001", "10000", "n.d."};
    QTest::newRow("volume: as text") << "volume"
                                     << "volume" << QStringList{"1", "10", "100", "2A", "9"};
    QTest::newRow("number: by value") << "Number"
                                      << "number" << QStringList{"1", "2", "3", "7", "12"};
    QTest::newRow("author: by bytes") << "author"
                                      << "authors"
                                      << QStringList{"Brown, C", "Smith, J", "Zed, Q", "adams, B",
                                                     QString::fromUtf8("\u00d3lafsson, K")};
    QTest::newRow("title") << "TITLE"
                           << "title" << QStringList{"C", "a", "b", "d", "e"};
    QTest::newRow("journal") << "journal"
                             << "journal" << QStringList{"J A", "J B", "J C", "J D", "J E"};
    QTest::newRow("pages: as text")
        << "pages"
        << "pages" << QStringList{"100-9", "1000", "2", "99-101", "e12"};
    QTest::newRow("mark") << "mark"
                          << "mark" << QStringList{"important", "none", "none", "question", "read"};
    QTest::newRow("submitDate: chronological text")
        << "submitDate"
        << "submitDate"
        << QStringList{"2005-12-31 23:59:59 +0900", "2006-03-15 09:00:00 +0900",
                       "2006-03-15 14:22:01 +0900", "2006-03-15 14:22:02 +0900",
                       "2010-01-01 00:00:00 +0900"};
    QTest::newRow("OlvaneID: by value") << "olvaneid"
                                        << "OlvaneID" << QStringList{"3", "9", "10", "50", "100"};
    QTest::newRow("id: by value") << "id"
                                  << "ID" << QStringList{"3", "7", "20", "45", "100"};
    QTest::newRow("idtype") << "idtype"
                            << "type" << QStringList{"User", "User", "User", "User", "pmid"};
    QTest::newRow("filepath") << "filepath"
                              << "filepath"
                              << QStringList{"/a.pdf", "/b.pdf", "/c.pdf", "/d.pdf", "none"};
    QTest::newRow("memo") << "memo"
                          << "memo" << QStringList{"", "m1", "m2", "m3", "m4"};
    // Columns outside the record are accepted too; their order shows in the IDs.
    QTest::newRow("abstract") << "abstract"
                              << "ID" << QStringList{"45", "7", "100", "3", "20"};
    QTest::newRow("lastaccess") << "LastAccess"
                                << "ID" << QStringList{"20", "3", "100", "7", "45"};
}

void StoreBatchesTest::sortByEachColumn()
{
    QFETCH(QString, sortBy);
    QFETCH(QString, field);
    QFETCH(QStringList, ascending);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    struct Row
    {
        const char *type, *id, *olvaneID, *author, *title, *journal, *year, *volume, *number,
            *pages, *path, *memo, *mark, *submitted, *abstract;
    };
    const Row rows[] = {
        {"User", "20", "10", "Smith, J", "b", "J B", "2001", "10", "3", "100-9", "/b.pdf", "m1",
         "read", "2006-03-15 14:22:01 +0900", "e"},
        {"User", "3", "9", "adams, B", "a", "J A", "999", "9", "12", "99-101", "none", "", "none",
         "2006-03-15 09:00:00 +0900", "d"},
        {"User", "100", "100", "Zed, Q", "C", "J E", "10000", "100", "1", "1000", "/a.pdf", "m2",
         "important", "2005-12-31 23:59:59 +0900", "c"},
        {"User", "7", "3", "Brown, C", "e", "J C", "30", "2A", "7", "2", "/c.pdf", "m3", "question",
         "2010-01-01 00:00:00 +0900", "b"},
        {"pmid", "45", "50", "\u00d3lafsson, K", "d", "J D", "n.d.", "1", "2", "e12", "/d.pdf",
         "m4", "none", "2006-03-15 14:22:02 +0900", "a"},
    };
    QList<ArticleKey> keys;
    SQLiteDatabase db(store.databasePath());
    QVERIFY(db.open());
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const Row& r = rows[i];
        const QString when = QString::fromUtf8(r.submitted);
        QVERIFY(
            db.run("INSERT INTO articles VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {r.olvaneID, r.mark, QString::fromUtf8(r.author), r.title, r.journal, r.year,
                    r.volume, r.number, r.pages, r.type, r.id, r.path, r.memo, when,
                    // lastaccess in the order of the rows here
                    QString("2001-01-0%1 00:00:00 +0900").arg(i + 1), r.abstract}));
        keys.append(ArticleKey{r.type, r.id});
    }
    db.close();

    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    for (const auto& [direction, expected] :
         {std::pair{QString("ASC"), ascending}, std::pair{QString("Desc"), descending}}) {
        Delivery delivery;
        store.setRecieverOfArticles(delivery.receiver());
        store.searchFromIDs(keys, {sortBy}, direction);
        QCOMPARE(delivery.field(field), expected);
    }
}

void StoreBatchesTest::refusedSortCallsNoReceiver_data()
{
    QTest::addColumn<QStringList>("sortBy");
    QTest::addColumn<QString>("orderBy");

    for (const QString& column : refusedColumns)
        QTest::addRow("column \"%s\"", qPrintable(column)) << QStringList{column} << "ASC";
    QTest::newRow("no column") << QStringList{} << "ASC";
    QTest::newRow("direction with a statement")
        << QStringList{"title"} << "ASC; DROP TABLE articles";
    QTest::newRow("direction with a second column") << QStringList{"title"} << "ASC, author";
    QTest::newRow("empty direction") << QStringList{"title"} << "";
    QTest::newRow("unknown direction") << QStringList{"title"} << "up";
}

void StoreBatchesTest::refusedSortCallsNoReceiver()
{
    QFETCH(QStringList, sortBy);
    QFETCH(QString, orderBy);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    for (int n = 1; n <= 3; ++n)
        store.insertUserArticleIntoDB(userEntry(n, "User", QString::number(n)));
    const QList<RawRow> before = rawRows(store.databasePath());

    int calls = 0;
    store.setRecieverOfArticles([&calls](QList<ArticleRecord>&) { ++calls; });
    store.searchFromIDs(userKeys(3), sortBy, orderBy);
    QCOMPARE(calls, 0);
    QCOMPARE(rawRows(store.databasePath()), before);

    store.searchFromIDs(userKeys(3), {"title"}, "ASC"); // the store still answers
    QCOMPARE(calls, 1);
}

void StoreBatchesTest::receiverMayQueryTheStore()
{
    // Guards the key table of a query being overwritten by a key-list query
    // that its receiver makes while rows are still being delivered.
    Delivery outer;
    QList<qsizetype> innerCounts;
    QList<qsizetype> innerFound;
    Delivery inner;
    auto deliverOuter = outer.receiver();
    big->setRecieverOfArticles([&](QList<ArticleRecord>& batch) {
        deliverOuter(batch);
        innerCounts.append(big->articleInformationOfArticleIDs(userKeys(7)).size());
        innerFound.append(big->searchArticleIDs("1", {{"User", "1"}, {"User", "2"}})->size());
        // Replacing the receiver here affects the next query, not this one.
        big->setRecieverOfArticles(inner.receiver());
    });
    big->searchFromIDs(userKeys(120)); // unsorted: rows stream while the keys are read

    QCOMPARE(outer.batchSizes, expectedBatches(120));
    QCOMPARE(innerCounts, QList<qsizetype>(3, 7));
    QCOMPARE(innerFound, QList<qsizetype>(3, 1));
    QVERIFY(inner.records.isEmpty());

    big->searchFromIDs(userKeys(3), {"title"}, "ASC");
    QCOMPARE(inner.batchSizes, QList<qsizetype>{3});
}

QTEST_GUILESS_MAIN(StoreBatchesTest)
#include "tst_storebatches.moc"
