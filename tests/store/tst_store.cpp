// The article table: creation, numbers, inserts, removal, the transaction
// bracket, the connection the store keeps, and the SQLite access layer
// beneath it.

#include "ScriptedPanels.h"
#include "StoreTestSupport.h"
#include "TempHome.h"
#include "platform/CalendarDate.h"
#include "pubmed/PubMedXML.h"
#include "store/SQLiteDatabase.h"
#include "store/accessDB.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const ArticleKey positivism{"pmid", "31789841"};

// A reader over one of the captured NCBI replies.
std::unique_ptr<PubMedXML> ncbiReader(const QString& name)
{
    auto reader = std::make_unique<PubMedXML>();
    if (!reader->openFile(name, fixturePath(QStringLiteral("ncbi"))))
        qFatal("missing fixture %s", qPrintable(name));
    return reader;
}

std::unique_ptr<PubMedXML> storeReader(const QString& name)
{
    auto reader = std::make_unique<PubMedXML>();
    if (!reader->openFile(name, fixturePath(QStringLiteral("store"))))
        qFatal("missing fixture %s", qPrintable(name));
    return reader;
}

// How many of this process's open file descriptors refer to `path`.
int openDescriptors(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
        const QString link = QFileInfo(fds.filePath(fd)).symLinkTarget();
        if (link == target || link == target + QStringLiteral(" (deleted)"))
            ++count;
    }
    return count;
}

void setOld(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                             QFileDevice::FileModificationTime));
}

} // namespace

class StoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accessLayerRunsOneBoundStatement_data();
    void accessLayerRunsOneBoundStatement();
    void accessLayerCells();
    void accessLayerStatementsStepInsideEachOther();
    void accessLayerStatementFailsAndRunsAgain();

    void firstStartCreatesTableAndIndexes();
    void restartKeepsDataAndRunsNoCreateTable();
    void emptyFileGetsTable();
    void uncreatableFileLogsAndFailsQuietly();
    void legacySQLite2FileIsNeverTouched();

    void pubmedInsertNumbersRowsAndFillsColumns();
    void reimportUpdatesListedColumnsOnly();
    void importAfterRemovalMakesNewRow();
    void missingFieldsStoredAsEmptyText();
    void removalAndNumbers_data();
    void removalAndNumbers();
    void hostileValuesRoundTrip_data();
    void hostileValuesRoundTrip();

    void bracketCommitsOnceAndSurvivesNestedCalls();
    void bracketedWriteOutsideBracketIsKept();
    void olvaneIDsWithinBracket_data();
    void olvaneIDsWithinBracket();

    void callEndsWithNothingHeld_data();
    void callEndsWithNothingHeld();
    void failedCommitIsRolledBack();
    void fileReleasedWhenStoreGoes();
};

void StoreTest::accessLayerRunsOneBoundStatement_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("firstCell");

    QTest::newRow("bound quote") << "SELECT ?" << QStringList{"it's"} << true << "it's";
    QTest::newRow("bound statement text stays a value")
        << "SELECT ?1 || ?1" << QStringList{"'); DROP TABLE t; --"} << true
        << "'); DROP TABLE t; --'); DROP TABLE t; --";
    QTest::newRow("trailing semicolon and comment")
        << "SELECT 7; -- done" << QStringList{} << true << "7";
    QTest::newRow("second statement refused")
        << "SELECT 1; SELECT 2" << QStringList{} << false << QString();
    QTest::newRow("too few values") << "SELECT ?, ?" << QStringList{"a"} << false << QString();
    QTest::newRow("too many values") << "SELECT ?" << QStringList{"a", "b"} << false << QString();
    QTest::newRow("syntax error") << "SELEC 1" << QStringList{} << false << QString();
    QTest::newRow("no such table")
        << "SELECT * FROM nothing" << QStringList{} << false << QString();
}

void StoreTest::accessLayerRunsOneBoundStatement()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, values);
    QFETCH(bool, runs);
    QFETCH(QString, firstCell);

    TempHome home;
    const QString path = home.path() + "/layer.db";
    SQLiteDatabase db(path);
    QVERIFY2(!QFileInfo::exists(path), "a handle touches no file");
    QVERIFY2(!db.run(QStringLiteral("SELECT 1")), "no connection, no table");
    QVERIFY(db.open());
    QVERIFY(QFileInfo::exists(path));

    const auto table = db.run(statement, values);
    QCOMPARE(table.has_value(), runs);
    if (runs)
        QCOMPARE(table->cell(0, 0), firstCell);
    else
        QVERIFY(!db.lastError().isEmpty());
}

void StoreTest::accessLayerCells()
{
    TempHome home;
    SQLiteDatabase db(home.path() + "/cells.db");
    QVERIFY(db.open());
    QVERIFY(db.run("CREATE TABLE t (a INTEGER, b TEXT)"));
    QVERIFY(db.run("INSERT INTO t VALUES (?, ?)", {"0042", QString()}));
    QVERIFY(db.run("INSERT INTO t VALUES (?, NULL)", {"x"}));

    const auto table = db.run("SELECT a, b FROM t ORDER BY rowid");
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 2);
    QCOMPARE(table->cell(0, 0), QString("42")); // INTEGER affinity stores the number
    QVERIFY2(!table->cell(0, 1).isNull() && table->cell(0, 1).isEmpty(),
             "a null QString is bound as empty text, which reads back as empty, not null");
    QVERIFY(table->cell(1, 1).isNull());
    QVERIFY(table->cell(0, 2).isNull());
    QVERIFY(table->cell(2, 0).isNull());
    QVERIFY(table->cell(-1, 0).isNull());

    const auto none = db.run("SELECT a, b FROM t WHERE a = ?", {"99"});
    QVERIFY(none);
    QCOMPARE(none->rowCount(), 0);
    QCOMPARE(none->columnCount(), 2);
}

void StoreTest::accessLayerStatementsStepInsideEachOther()
{
    // Guards: a kept statement handed out again, or pushed out of the cache,
    // while its first use is still stepping.
    TempHome home;
    SQLiteDatabase db(home.path() + "/nested.db");
    QVERIFY(db.open());
    QVERIFY(db.run("CREATE TABLE t (a INTEGER)"));
    QVERIFY(db.runRepeated("INSERT INTO t VALUES (?)", {{"3"}, {"1"}, {"5"}, {"2"}, {"4"}}));

    const QString all = "SELECT a FROM t ORDER BY a";
    QStringList outer;
    QList<int> inner;
    bool othersRan = true;
    QVERIFY(db.forEachRow(all, {}, [&](const ResultRow& row) {
        outer << row.cell(0);
        const auto again = db.run(all);
        inner << (again ? again->rowCount() : -1);
        for (int i = 0; i < 100; ++i)
            othersRan =
                othersRan && db.run(QString("SELECT %1").arg(i))->cell(0, 0) == QString::number(i);
    }));
    QCOMPARE(outer, QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(inner, QList<int>(5, 5));
    QVERIFY(othersRan);
    QCOMPARE(db.run(all)->cell(4, 0), QString("5"));
}

void StoreTest::accessLayerStatementFailsAndRunsAgain()
{
    // Guards: a kept statement left unreset by a failure, which refuses its
    // next values and keeps other connections out of the file.
    TempHome home;
    const QString path = home.path() + "/failing.db";
    SQLiteDatabase db(path);
    QVERIFY(db.open());
    QVERIFY(db.run("CREATE TABLE t (a INTEGER UNIQUE)"));
    const QString insert = "INSERT INTO t VALUES (?)";
    QVERIFY(db.run(insert, {"1"}));
    QVERIFY(!db.run(insert, {"1"}));
    QVERIFY2(db.run(insert, {"-9223372036854775808"}), qPrintable(db.lastError()));

    // abs() of the smallest integer fails on the second row.
    QStringList rows;
    QVERIFY(!db.forEachRow("SELECT abs(a) FROM t ORDER BY rowid", {},
                           [&rows](const ResultRow& row) { rows << row.cell(0); }));
    QCOMPARE(rows, QStringList{"1"});

    SQLiteDatabase other(path);
    QVERIFY(other.open());
    QVERIFY2(other.run(insert, {"2"}), qPrintable(other.lastError()));
    QCOMPARE(db.run("SELECT count(*) FROM t")->cell(0, 0), QString("3"));
}

void StoreTest::firstStartCreatesTableAndIndexes()
{
    TempHome home;
    const QString dir = makePreferenceDir(home);
    accessDB store(dir);
    QCOMPARE(store.databasePath(), dir + "/articles.db");

    SQLiteDatabase db(dir + "/articles.db");
    QVERIFY(db.open());
    const auto schema = db.run("SELECT type, name, sql FROM sqlite_master ORDER BY rowid");
    QVERIFY(schema);
    QCOMPARE(schema->rowCount(), 5);
    const QStringList expected = {
        "CREATE TABLE articles (OlvaneID INTEGER, mark TEXT, author TEXT, title TEXT, journal "
        "TEXT, year INTEGER, volume TEXT, number INTEGER, pages TEXT, idtype TEXT, id INTEGER, "
        "filepath TEXT, memo TEXT, submitdate TIMESTAMP, lastaccess TIMESTAMP, abstract TEXT )",
        "CREATE INDEX id_Index ON articles(id)",
        "CREATE INDEX idtype_Index ON articles(idtype)",
        "CREATE INDEX author_Index ON articles(author)",
        "CREATE INDEX journal_Index ON articles(journal)",
    };
    for (int row = 0; row < expected.size(); ++row)
        QCOMPARE(schema->cell(row, 2), expected.at(row));

    QCOMPARE(store.currentUniqueID(), quint64(0));
    QCOMPARE(store.currentUserID(), quint64(0));
}

void StoreTest::restartKeepsDataAndRunsNoCreateTable()
{
    TempHome home;
    const QString dir = makePreferenceDir(home);
    {
        accessDB store(dir);
        store.insertUserArticleIntoDB(userEntry(5, "User", "3", "Kept"));
    }
    LogCapture log;
    accessDB again(dir);
    QVERIFY2(log.lines.isEmpty(), qPrintable(log.lines.join('\n')));
    const auto rows = rawRows(again.databasePath());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).value("title"), QString("Kept"));
    QCOMPARE(again.currentUniqueID(), quint64(5));
    QCOMPARE(again.currentUserID(), quint64(3));

    SQLiteDatabase db(again.databasePath());
    QVERIFY(db.open());
    QCOMPARE(db.run("SELECT count(*) FROM sqlite_master")->cell(0, 0), QString("5"));
}

void StoreTest::emptyFileGetsTable()
{
    // Guards: a zero-length articles.db (left by an interrupted first start) never got its table.
    TempHome home;
    const QString dir = makePreferenceDir(home);
    home.writeFile("Documents/Olvane/articles.db", QByteArray());
    accessDB store(dir);
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    QCOMPARE(rawCount(store.databasePath()), 1);
}

void StoreTest::uncreatableFileLogsAndFailsQuietly()
{
    TempHome home;
    LogCapture log;
    accessDB store(home.path() + "/no/such/folder");
    QCOMPARE(log.lines, QStringList{"fail to create db"});

    QVERIFY(!store.open());
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    QVERIFY(!store.close());
    store.removeArtilce({"User", "1"});
    QCOMPARE(store.currentUniqueID(), quint64(0));
    QVERIFY(!store.haveArticle({"User", "1"}));
    QVERIFY(store.allArticleIDs().isEmpty());
    QCOMPARE(store.numberOfAllArticles(), qint64(0));
    QCOMPARE(store.memo({"User", "1"}), QString(""));
    QVERIFY(!QFileInfo::exists(home.path() + "/no"));
}

void StoreTest::legacySQLite2FileIsNeverTouched()
{
    TempHome home;
    const QString dir = makePreferenceDir(home);
    const QByteArray bytes = QByteArray("** This file contains an SQLite 2.1 database **") +
                             QByteArray("\0\x28\x75\xe3", 4) + QByteArray(2000, '\x5a');
    const QString path = home.writeFile("Documents/Olvane/articles.db", bytes);
    setOld(path);
    const QDateTime mtime = QFileInfo(path).lastModified();

    QVERIFY(accessDB::isLegacySQLite2File(path));
    LogCapture log;
    {
        accessDB store(dir);
        QVERIFY(!store.open());
        store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
        QVERIFY(!store.close());
        store.removeArtilce({"User", "1"});
        QVERIFY(!store.haveArticle({"User", "1"}));
        QCOMPARE(store.currentUniqueID(), quint64(0));
        QVERIFY(store.articleInformationOfArticleIDs({{"User", "1"}}).isEmpty());
        QCOMPARE(store.searchArticleIDs("x"),
                 std::optional<QList<ArticleKey>>(QList<ArticleKey>()));
    }
    QVERIFY(!log.lines.isEmpty());
    QVERIFY(log.lines.first().contains("SQLite 2"));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(QFileInfo(path).lastModified(), mtime);
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QVERIFY2(!QFileInfo::exists(path + suffix), suffix);

    // The access layer refuses such a file by itself, too.
    SQLiteDatabase db(path);
    QVERIFY(!db.open());
    QCOMPARE(QFileInfo(path).lastModified(), mtime);

    // Only the full header text counts.
    QVERIFY(!accessDB::isLegacySQLite2File(home.writeFile("short.db", "** This file contains")));
    QVERIFY(!accessDB::isLegacySQLite2File(home.path() + "/missing.db"));
    accessDB fresh(home.path());
    QVERIFY(!accessDB::isLegacySQLite2File(fresh.databasePath()));
}

void StoreTest::pubmedInsertNumbersRowsAndFillsColumns()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    const auto first = ncbiReader("metapub__31789841");
    const auto second = ncbiReader("metapub__37167981");

    const QDateTime before = CalendarDate::now();
    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(*first, "/papers/31789841.pdf", "31789841");
    store.insertArtilceInfoIntoDB(*second, "none", "37167981");
    QVERIFY(store.close());
    const QDateTime after = CalendarDate::now();

    const auto rows = rawRows(store.databasePath());
    QCOMPARE(rows.size(), 2);
    const RawRow& row = rows.at(0);
    QCOMPARE(row.value("OlvaneID"), QString("1"));
    QCOMPARE(rows.at(1).value("OlvaneID"), QString("2"));
    QCOMPARE(store.currentUniqueID(), quint64(2));

    QCOMPARE(row.value("mark"), QString("none"));
    QCOMPARE(row.value("author"), first->authorsAsString());
    QVERIFY(row.value("author").startsWith("Park, YS, Konge, L"));
    QCOMPARE(row.value("title"), QString("The Positivism Paradigm of Research."));
    QCOMPARE(row.value("journal"), QString("Acad Med"));
    QCOMPARE(row.value("year"), QString("2020"));
    QCOMPARE(row.value("volume"), QString("95"));
    QCOMPARE(row.value("number"), QString("5"));
    QCOMPARE(row.value("pages"), QString("690-694"));
    QCOMPARE(row.value("idtype"), QString("pmid"));
    QCOMPARE(row.value("id"), QString("31789841"));
    QCOMPARE(row.value("filepath"), QString("/papers/31789841.pdf"));
    QCOMPARE(row.value("typeof(memo)"), QString("text"));
    QCOMPARE(row.value("memo"), QString(""));
    QVERIFY(row.value("abstract").startsWith("Research paradigms guide scientific discoveries"));

    const QDateTime submitted = CalendarDate::fromDescription(row.value("submitdate"));
    QVERIFY2(submitted.isValid(), qPrintable(row.value("submitdate")));
    QVERIFY(submitted >= before && submitted <= after);
    QCOMPARE(row.value("lastaccess"), row.value("submitdate"));
    QVERIFY(store.haveArticle(positivism));
    QVERIFY(!store.haveArticle({"User", "31789841"}));
}

void StoreTest::reimportUpdatesListedColumnsOnly()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    store.insertArtilceInfoIntoDB(*ncbiReader("metapub__31789841"), "/old.pdf", "31789841");
    QVERIFY(store.close());
    {
        SQLiteDatabase db(store.databasePath());
        QVERIFY(db.open());
        QVERIFY(db.run("UPDATE articles SET mark = 'read', memo = 'my note', submitdate = "
                       "'2006-03-15 14:22:01 +0900', lastaccess = '2006-03-15 14:22:02 +0900' "
                       "WHERE idtype = 'pmid'"));
    }

    // The same PMID again, now with another article's data and another file.
    const auto other = ncbiReader("metapub__37167981");
    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(*other, "/new.pdf", "31789841");
    QVERIFY(store.close());

    const auto rows = rawRows(store.databasePath(), "idtype = 'pmid'");
    QCOMPARE(rows.size(), 1);
    const RawRow& row = rows.at(0);
    QCOMPARE(row.value("OlvaneID"), QString("2"));
    QCOMPARE(row.value("mark"), QString("read"));
    QCOMPARE(row.value("memo"), QString("my note"));
    QCOMPARE(row.value("submitdate"), QString("2006-03-15 14:22:01 +0900"));
    QCOMPARE(row.value("lastaccess"), QString("2006-03-15 14:22:02 +0900"));
    QCOMPARE(row.value("author"), other->authorsAsString());
    QCOMPARE(row.value("title"), other->title());
    QCOMPARE(row.value("journal"), other->journal());
    QCOMPARE(row.value("year"), other->year());
    QCOMPARE(row.value("volume"), other->volume());
    QCOMPARE(row.value("number"), other->number());
    QCOMPARE(row.value("pages"), other->pages());
    QCOMPARE(row.value("abstract"), other->abstract());
    QCOMPARE(row.value("filepath"), QString("/new.pdf"));
    QCOMPARE(row.value("id"), QString("31789841"));
    QVERIFY(row.value("title") != "The Positivism Paradigm of Research.");
    QCOMPARE(store.currentUniqueID(), quint64(2));
}

void StoreTest::importAfterRemovalMakesNewRow()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    const auto reader = ncbiReader("metapub__31789841");
    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(*reader, "/a.pdf", "31789841");
    QVERIFY(store.close());
    store.removeArtilce(positivism);
    QVERIFY(!store.haveArticle(positivism));
    QCOMPARE(store.currentUniqueID(), quint64(1));

    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(*reader, "/b.pdf", "31789841");
    QVERIFY(store.close());

    const auto rows = rawRows(store.databasePath());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).value("idtype"), QString("deleted_pmid"));
    QCOMPARE(rows.at(0).value("OlvaneID"), QString("1"));
    QCOMPARE(rows.at(0).value("filepath"), QString("/a.pdf"));
    QCOMPARE(rows.at(0).value("title"), QString("The Positivism Paradigm of Research."));
    QCOMPARE(rows.at(1).value("idtype"), QString("pmid"));
    QCOMPARE(rows.at(1).value("OlvaneID"), QString("2"));
    QCOMPARE(rows.at(1).value("filepath"), QString("/b.pdf"));
    QVERIFY(store.haveArticle(positivism));
}

void StoreTest::missingFieldsStoredAsEmptyText()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    const auto reader = storeReader("sparse-article");
    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(*reader, "none", "900001");
    QVERIFY(store.close());

    const auto rows = rawRows(store.databasePath());
    QCOMPARE(rows.size(), 1);
    for (const char* column : {"abstract", "number", "pages"}) {
        QCOMPARE(rows.at(0).value(QString("typeof(%1)").arg(column)), QString("text"));
        QCOMPARE(rows.at(0).value(column), QString(""));
    }
    QCOMPARE(rows.at(0).value("title"),
             QString("Patients' views on \"quoted\" 100% _under_ terms."));
    QCOMPARE(rows.at(0).value("author"), QString("O'Brien, M"));
    QCOMPARE(rows.at(0).value("volume"), QString("12"));
    QCOMPARE(store.abstract({"pmid", "900001"}), QString(""));
}

void StoreTest::removalAndNumbers_data()
{
    QTest::addColumn<ArticleKey>("removed");
    QTest::addColumn<quint64>("uniqueAfter");
    QTest::addColumn<quint64>("userAfter");

    // The store holds User 9 (OlvaneID 9), User 10 (OlvaneID 10), User 2 (OlvaneID 2)
    // and Book 99 (OlvaneID 4): 10 must win over 9 as a number, not as text.
    QTest::newRow("top user") << ArticleKey{"User", "10"} << quint64(10) << quint64(9);
    QTest::newRow("lower user") << ArticleKey{"User", "2"} << quint64(10) << quint64(10);
    QTest::newRow("other type") << ArticleKey{"Book", "99"} << quint64(10) << quint64(10);
    QTest::newRow("same ID, other type") << ArticleKey{"pmid", "10"} << quint64(10) << quint64(10);
    QTest::newRow("absent") << ArticleKey{"User", "5"} << quint64(10) << quint64(10);
    QTest::newRow("hostile ID") << ArticleKey{"User", "10' OR '1'='1"} << quint64(10)
                                << quint64(10);
}

void StoreTest::removalAndNumbers()
{
    QFETCH(ArticleKey, removed);
    QFETCH(quint64, uniqueAfter);
    QFETCH(quint64, userAfter);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    store.insertUserArticleIntoDB(userEntry(9, "User", "9"));
    store.insertUserArticleIntoDB(userEntry(10, "User", "10"));
    store.insertUserArticleIntoDB(userEntry(2, "User", "2"));
    store.insertUserArticleIntoDB(userEntry(4, "Book", "99"));
    QVERIFY(store.close());
    QCOMPARE(store.currentUniqueID(), quint64(10));
    QCOMPARE(store.currentUserID(), quint64(10));

    const auto before = rawRows(store.databasePath());
    store.removeArtilce(removed);
    const auto after = rawRows(store.databasePath());

    QCOMPARE(store.currentUniqueID(), uniqueAfter);
    QCOMPARE(store.currentUserID(), userAfter);
    QVERIFY(!store.haveArticle(removed));
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        RawRow expected = before.at(i);
        if (expected.value("idtype") == removed.type && expected.value("id") == removed.ID)
            expected["idtype"] = "deleted_" + removed.type;
        QCOMPARE(after.at(i), expected);
    }
}

void StoreTest::hostileValuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("apostrophes") << "O'Brien's ''twice''";
    QTest::newRow("statement") << "'; DROP TABLE articles; --";
    QTest::newRow("wildcards") << "100% _x_ %%";
    QTest::newRow("double quotes") << "say \"hi\"";
    QTest::newRow("parameters") << "?1 ? :a @b $c";
    QTest::newRow("non-ASCII") << QString::fromUtf8("M\u00fcller, \u0141; \u6771\u4eac \U0001F600");
    QTest::newRow("control characters") << "a\\b\nc\td\r";
    QTest::newRow("empty") << QString("");
}

void StoreTest::hostileValuesRoundTrip()
{
    QFETCH(QString, value);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    UserArticleEntry entry = userEntry(1, "User", "1");
    entry.authors = entry.title = entry.journal = entry.year = entry.volume = entry.number =
        entry.pages = entry.PDFpath = entry.memo = entry.abstract = value;
    QVERIFY(store.open());
    store.insertUserArticleIntoDB(entry);
    QVERIFY(store.close());
    store.removeArtilce({"User", value});
    QVERIFY(!store.haveArticle({value, value}));

    const ArticleKey key{"User", "1"};
    const auto records = store.articleInformationOfArticleIDs({key});
    QCOMPARE(records.size(), 1);
    const ArticleRecord& record = records.at(0);
    for (const QString& field :
         {record.authors, record.title, record.journal, record.year, record.volume, record.number,
          record.pages, record.filepath, record.memo})
        QCOMPARE(field, value);
    QCOMPARE(record.type, QString("User"));
    QCOMPARE(store.memo(key), value);
    QCOMPARE(store.abstract(key), value);
    QCOMPARE(store.authors(key), value);
    QCOMPARE(store.numberOfAllArticles(), qint64(1));
    QCOMPARE(store.allArticleIDs(), QList<ArticleKey>{key});
}

void StoreTest::bracketCommitsOnceAndSurvivesNestedCalls()
{
    // Guards: a self-contained call inside a bracket must not end the bracket and lose its writes.
    TempHome home;
    accessDB store(makePreferenceDir(home));
    const QString path = store.databasePath();

    QVERIFY(store.open());
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    QCOMPARE(rawCount(path), 0); // not committed yet
    QVERIFY(store.haveArticle({"User", "1"}));
    QCOMPARE(store.currentUniqueID(), quint64(1));

    QVERIFY(store.open()); // a nested bracket only counts
    store.insertUserArticleIntoDB(userEntry(2, "User", "2"));
    QVERIFY(store.close());
    QCOMPARE(rawCount(path), 0);

    store.insertArtilceInfoIntoDB(*ncbiReader("metapub__31789841"), "none", "31789841");
    QCOMPARE(store.currentUniqueID(), quint64(3));
    QVERIFY(store.close());
    QCOMPARE(rawCount(path), 3);
    QVERIFY(!store.close()); // no bracket left to close
}

void StoreTest::bracketedWriteOutsideBracketIsKept()
{
    // Guards: an insert called without a bracket ran on no connection and was lost.
    TempHome home;
    accessDB store(makePreferenceDir(home));
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    store.insertArtilceInfoIntoDB(*ncbiReader("metapub__31789841"), "none", "31789841");
    QCOMPARE(rawCount(store.databasePath()), 2);
    store.removeArtilce({"User", "1"});
    QCOMPARE(rawRows(store.databasePath(), "id = 1").value(0).value("idtype"),
             QString("deleted_User"));
}

void StoreTest::olvaneIDsWithinBracket_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("numbers"); // given to the new PubMed rows, in order

    // The store starts with one removed article, numbered 5. Steps: "pubmed"
    // imports a new PMID; "again" re-imports the last one; "user N" enters a
    // user article numbered N; "set N" gives the last PubMed article number
    // N; "remove" removes it; "close"/"open" end and begin the bracket;
    // "outside N" writes a row numbered N over another connection.
    QTest::newRow("removed rows count") << QStringList{"pubmed", "pubmed"} << QList<int>{6, 7};
    QTest::newRow("re-import takes no number")
        << QStringList{"pubmed", "again", "pubmed"} << QList<int>{6, 7};
    QTest::newRow("user article above")
        << QStringList{"pubmed", "user 40", "pubmed"} << QList<int>{6, 41};
    QTest::newRow("user article below")
        << QStringList{"pubmed", "user 2", "pubmed"} << QList<int>{6, 7};
    QTest::newRow("setOlvaneID raises")
        << QStringList{"pubmed", "set 90", "pubmed"} << QList<int>{6, 91};
    QTest::newRow("setOlvaneID lowers the highest")
        << QStringList{"pubmed", "pubmed", "set 1", "pubmed"} << QList<int>{6, 7, 7};
    QTest::newRow("removed inside the bracket")
        << QStringList{"pubmed", "remove", "pubmed"} << QList<int>{6, 7};
    QTest::newRow("next bracket reads the table again")
        << QStringList{"pubmed", "close", "outside 300", "open", "pubmed"} << QList<int>{6, 301};
}

void StoreTest::olvaneIDsWithinBracket()
{
    // Guards: numbers handed out from memory inside a bracket drifting from
    // "highest stored + 1" after other writes, or outliving the bracket.
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, numbers);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    store.insertUserArticleIntoDB(userEntry(5, "User", "5"));
    store.removeArtilce({"User", "5"});
    const auto reader = ncbiReader("metapub__31789841");

    QList<int> given;
    ArticleKey last{"pmid", "1000"};
    QVERIFY(store.open());
    for (const QString& step : std::as_const(steps)) {
        const QString action = step.section(' ', 0, 0);
        const QString number = step.section(' ', 1, 1);
        if (action == "pubmed") {
            // The rule, asked of the table itself (inside the bracket).
            const quint64 expected = store.currentUniqueID() + 1;
            last.ID = QString::number(last.ID.toInt() + 1);
            store.insertArtilceInfoIntoDB(*reader, "none", last.ID);
            given << store.articleInformationOfArticleIDs({last}).value(0).OlvaneID.toInt();
            QCOMPARE(quint64(given.last()), expected);
        } else if (action == "again") {
            store.insertArtilceInfoIntoDB(*reader, "/again.pdf", last.ID);
        } else if (action == "user") {
            store.insertUserArticleIntoDB(userEntry(number.toInt(), "User", number));
        } else if (action == "set") {
            store.setOlvaneID(number, last);
        } else if (action == "remove") {
            store.removeArtilce(last);
        } else if (action == "close") {
            QVERIFY(store.close());
        } else if (action == "open") {
            QVERIFY(store.open());
        } else if (action == "outside") {
            SQLiteDatabase db(store.databasePath());
            QVERIFY(db.open());
            QVERIFY(db.run("INSERT INTO articles (OlvaneID, idtype, id) VALUES (?, 'Book', ?)",
                           {number, number}));
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
    QVERIFY(store.close());
    QCOMPARE(given, numbers);
}

void StoreTest::callEndsWithNothingHeld_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("written"); // the row the call wrote; empty for a read

    QTest::newRow("insert outside a bracket") << "insert"
                                              << "idtype = 'User' AND id = 2";
    QTest::newRow("remove") << "remove"
                            << "idtype = 'deleted_User' AND id = 1";
    QTest::newRow("setter outside a bracket") << "setMemo"
                                              << "id = 1 AND memo = 'noted'";
    QTest::newRow("bracket") << "bracket"
                             << "idtype = 'User' AND id = 3";
    QTest::newRow("existence") << "haveArticle"
                               << "";
    QTest::newRow("records to the receiver") << "searchFromIDs"
                                             << "";
    QTest::newRow("single column") << "abstract"
                                   << "";
    QTest::newRow("highest number") << "currentUniqueID"
                                    << "";
}

void StoreTest::callEndsWithNothingHeld()
{
    // Guards: the kept connection ending a call with its write uncommitted or
    // a statement unreset, which hides the write from other connections or
    // locks them out of the file.
    QFETCH(QString, operation);
    QFETCH(QString, written);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    const ArticleKey one{"User", "1"};
    int batches = 0;
    store.setRecieverOfArticles([&batches](QList<ArticleRecord>&) { ++batches; });

    if (operation == "insert") {
        store.insertUserArticleIntoDB(userEntry(2, "User", "2"));
    } else if (operation == "remove") {
        store.removeArtilce(one);
    } else if (operation == "setMemo") {
        store.setMemo("noted", one);
    } else if (operation == "bracket") {
        QVERIFY(store.open());
        store.insertUserArticleIntoDB(userEntry(3, "User", "3"));
        QVERIFY(store.close());
    } else if (operation == "haveArticle") {
        QVERIFY(store.haveArticle(one));
    } else if (operation == "searchFromIDs") {
        store.searchFromIDs({one}, {"title"}, "ASC");
        QCOMPARE(batches, 1);
    } else if (operation == "abstract") {
        QCOMPARE(store.abstract(one), QString(""));
    } else if (operation == "currentUniqueID") {
        QCOMPARE(store.currentUniqueID(), quint64(1));
    }

    if (!written.isEmpty())
        QCOMPARE(rawRows(store.databasePath(), written).size(), 1);
    // Another connection can write at once, and the store reads what it wrote.
    SQLiteDatabase other(store.databasePath());
    QVERIFY(other.open());
    QVERIFY2(other.run("INSERT INTO articles (OlvaneID, idtype, id) VALUES (77, 'User', 77)"),
             qPrintable(other.lastError()));
    QVERIFY(store.haveArticle({"User", "77"}));
}

void StoreTest::failedCommitIsRolledBack()
{
    // Guards: a bracket whose commit failed staying open on the kept
    // connection, so that every later write joined it and was never committed.
    TempHome home;
    accessDB store(makePreferenceDir(home));
    const QString path = store.databasePath();
    SQLiteDatabase reader(path);
    QVERIFY(reader.open());

    QVERIFY(store.open());
    store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
    LogCapture log;
    std::optional<bool> committed;
    // A reader in the middle of its statement holds the file: the commit cannot write it.
    QVERIFY(reader.forEachRow("SELECT name FROM sqlite_master", {}, [&](const ResultRow&) {
        if (!committed)
            committed = store.close();
    }));
    QCOMPARE(committed, std::optional<bool>(false));
    QCOMPARE(log.lines.size(), 1);
    QVERIFY(log.lines.first().startsWith("fail to commit"));

    QVERIFY(!store.haveArticle({"User", "1"}));
    store.insertUserArticleIntoDB(userEntry(2, "User", "2"));
    QCOMPARE(rawCount(path), 1);
    QVERIFY(store.open()); // and the next bracket works as ever
    store.insertUserArticleIntoDB(userEntry(3, "User", "3"));
    QVERIFY(store.close());
    QCOMPARE(rawCount(path), 2);
}

void StoreTest::fileReleasedWhenStoreGoes()
{
    // Guards: the kept connection, or a statement kept prepared, holding
    // articles.db open after the store is gone.
    TempHome home;
    const QString dir = makePreferenceDir(home);
    const QString path = dir + "/articles.db";
    {
        accessDB store(dir);
        store.insertUserArticleIntoDB(userEntry(1, "User", "1"));
        store.setRecieverOfArticles([](QList<ArticleRecord>&) {});
        store.searchFromIDs({{"User", "1"}}, {"title"}, "ASC");
        QVERIFY(store.haveArticle({"User", "1"}));
        QVERIFY(openDescriptors(path) > 0); // held while the store lives
    }
    QCOMPARE(openDescriptors(path), 0);

    // A new store at the same place starts from a new file.
    QVERIFY(QFile::rename(path, path + ".old"));
    accessDB fresh(dir);
    QCOMPARE(fresh.currentUniqueID(), quint64(0));
    fresh.insertUserArticleIntoDB(userEntry(9, "User", "9"));
    QCOMPARE(rawRows(path).value(0).value("OlvaneID"), QString("9"));
    QCOMPARE(rawCount(path + ".old"), 1);
}

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
