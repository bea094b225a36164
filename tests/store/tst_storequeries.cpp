// The read side of the store: records of key lists of any length, the
// library search, whole-library lists, single columns, authors strings, and
// the key and record types.

#include "StoreTestSupport.h"
#include "TempHome.h"
#include "platform/CalendarDate.h"
#include "platform/UserDefaults.h"
#include "store/accessDB.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

QStringList keyTexts(const QList<ArticleKey>& keys)
{
    QStringList texts;
    for (const ArticleKey& key : keys)
        texts << key.type + ":" + key.ID;
    return texts;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

UserArticleEntry searchEntry(int n, const QString& authors, const QString& title,
                             const QString& journal, const QString& pages, const QString& year,
                             const QString& number, const QString& memo, const QString& abstract)
{
    UserArticleEntry entry = userEntry(n, "User", QString::number(n), title);
    entry.authors = authors;
    entry.journal = journal;
    entry.pages = pages;
    entry.year = year;
    entry.volume = "7";
    entry.number = number;
    entry.memo = memo;
    entry.abstract = abstract;
    return entry;
}

constexpr int bigLibrary = 50000;

} // namespace

class StoreQueriesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void recordsOfKeyLists_data();
    void recordsOfKeyLists();
    void searchWithinManyKeys();
    void keysMatchAlikeShortAndLong_data();
    void keysMatchAlikeShortAndLong();
    void recordCarriesEveryColumn();

    void search_data();
    void search();
    void searchWithinGivenKeys();
    void recentlyImportedNewestFirst();
    void wholeLibraryLists();
    void singleColumns();

    void authorsSplit_data();
    void authorsSplit();
    void keyFromVariant_data();
    void keyFromVariant();

private:
    // A library of 50,000 user articles (ID n, OlvaneID n, title "Title n"),
    // plus a removed User 50001 and a PubMed article with ID 1.
    std::unique_ptr<TempHome> bigHome;
    std::unique_ptr<accessDB> big;
};

void StoreQueriesTest::initTestCase()
{
    bigHome = std::make_unique<TempHome>();
    big = std::make_unique<accessDB>(makePreferenceDir(*bigHome));
    QVERIFY(big->open());
    for (int n = 1; n <= bigLibrary + 1; ++n)
        big->insertUserArticleIntoDB(
            userEntry(n, "User", QString::number(n), "Title " + QString::number(n)));
    big->insertUserArticleIntoDB(userEntry(bigLibrary + 2, "pmid", "1", "PubMed one"));
    QVERIFY(big->close());
    big->removeArtilce({"User", QString::number(bigLibrary + 1)});
    QCOMPARE(big->numberOfAllArticles(), qint64(bigLibrary + 1));
}

void StoreQueriesTest::cleanupTestCase()
{
    big.reset();
    bigHome.reset();
}

void StoreQueriesTest::recordsOfKeyLists_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("1 key") << 1;
    QTest::newRow("999 keys") << 999;
    QTest::newRow("1000 keys") << 1000;
    QTest::newRow("50000 keys") << bigLibrary;
}

void StoreQueriesTest::recordsOfKeyLists()
{
    QFETCH(int, count);

    QList<ArticleKey> keys;
    for (int n = count; n >= 1; --n)
        keys.append({"User", QString::number(n)});
    // Noise that must not add records: a duplicate, a removed article, an
    // unknown type for a stored ID, an ID nobody has.
    keys.append(ArticleKey{"User", "1"});
    keys.append(ArticleKey{"User", QString::number(bigLibrary + 1)});
    keys.append(ArticleKey{"Book", "1"});
    keys.append(ArticleKey{"User", "999999"});

    const auto records = big->articleInformationOfArticleIDs(keys);
    QCOMPARE(records.size(), count);
    QSet<int> ids;
    for (const ArticleRecord& record : records) {
        QCOMPARE(record.type, QString("User"));
        QCOMPARE(record.title, "Title " + record.ID);
        QCOMPARE(record.OlvaneID, record.ID);
        ids.insert(record.ID.toInt());
    }
    QCOMPARE(ids.size(), count);
    QCOMPARE(*std::min_element(ids.begin(), ids.end()), 1);
    QCOMPARE(*std::max_element(ids.begin(), ids.end()), count);
}

void StoreQueriesTest::searchWithinManyKeys()
{
    UserDefaults::standard().setBool(true, "searchTitle");
    QList<ArticleKey> keys;
    for (int n = 1; n <= bigLibrary + 1; ++n)
        keys.append({"User", QString::number(n)});
    const auto found = big->searchArticleIDs("Title 4999", keys);
    UserDefaults::standard().setBool(false, "searchTitle");

    QVERIFY(found);
    QStringList expected{"User:4999"};
    for (int n = 49990; n <= 49999; ++n)
        expected << "User:" + QString::number(n);
    QCOMPARE(sorted(keyTexts(*found)), sorted(expected));
}

void StoreQueriesTest::keysMatchAlikeShortAndLong_data()
{
    QTest::addColumn<int>("padding"); // keys nobody has, added to the list

    // A short list is looked up key by key; one naming a quarter of the
    // table or more is matched in one pass over the table.
    QTest::newRow("short list") << 0;
    QTest::newRow("long list") << 100;
}

void StoreQueriesTest::keysMatchAlikeShortAndLong()
{
    // Guards: the pass over the table matching keys otherwise than the
    // lookup by key (ID as a number, type letter case, duplicates, removals).
    QFETCH(int, padding);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    for (int n = 1; n <= 30; ++n)
        store.insertUserArticleIntoDB(
            userEntry(n, "User", QString::number(n), "filler " + QString::number(n)));
    store.insertUserArticleIntoDB(userEntry(31, "User", "42", "b: User 42"));
    store.insertUserArticleIntoDB(userEntry(32, "pmid", "42", "a: pmid 42"));
    store.insertUserArticleIntoDB(userEntry(33, "User", "abc", "d: a text ID"));
    store.insertUserArticleIntoDB(userEntry(34, "User", "7", "c: a second row of User 7"));
    store.insertUserArticleIntoDB(userEntry(35, "User", "99", "removed"));
    QVERIFY(store.close());
    store.removeArtilce({"User", "99"});

    QList<ArticleKey> keys = {{"User", "0042"}, {"pmid", "42"}, {"User", "abc"}, {"User", "7"},
                              {"User", "7"},    {"User", "99"}, {"user", "42"},  {"Book", "42"}};
    for (int n = 1; n <= padding; ++n)
        keys.append({"User", QString::number(1000 + n)});
    const QStringList expected = {"a: pmid 42", "b: User 42", "c: a second row of User 7",
                                  "d: a text ID", "filler 7"};

    QStringList delivered;
    store.setRecieverOfArticles([&delivered](QList<ArticleRecord>& batch) {
        for (const ArticleRecord& record : batch)
            delivered << record.title;
    });
    store.searchFromIDs(keys, {"title"}, "ASC");
    QCOMPARE(delivered, expected);

    QStringList titles;
    for (const ArticleRecord& record : store.articleInformationOfArticleIDs(keys))
        titles << record.title;
    QCOMPARE(sorted(titles), expected);
}

void StoreQueriesTest::recordCarriesEveryColumn()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.articleInformationOfArticleIDs({}).isEmpty());

    UserArticleEntry entry;
    entry.uniqueID = "7";
    entry.authors = "Smith, JA, Doe, B";
    entry.title = "Title";
    entry.journal = "Journal";
    entry.year = "2004";
    entry.volume = "12A";
    entry.number = "3";
    entry.pages = "100-9";
    entry.type = "User";
    entry.id = "4";
    entry.PDFpath = "/papers/User/4.pdf";
    entry.memo = "Memo";
    entry.abstract = "Abstract";
    store.insertUserArticleIntoDB(entry);

    const auto records = store.articleInformationOfArticleIDs({{"User", "4"}});
    QCOMPARE(records.size(), 1);
    const ArticleRecord& record = records.at(0);
    QVERIFY(CalendarDate::fromDescription(record.submitDate).isValid());
    const ArticleRecord expected{"7",
                                 "none",
                                 "Smith, JA, Doe, B",
                                 "Title",
                                 "Journal",
                                 "2004",
                                 "12A",
                                 "3",
                                 "100-9",
                                 "User",
                                 "4",
                                 "/papers/User/4.pdf",
                                 record.submitDate,
                                 "Memo"};
    QCOMPARE(record.toVariant(), expected.toVariant());
    QCOMPARE(ArticleRecord::fromVariant(record.toVariant()), record);
    QCOMPARE(ArticleKey::fromVariant(record.toVariant()), std::optional(record.key()));
    QCOMPARE(store.abstract(record.key()), QString("Abstract"));
}

void StoreQueriesTest::search_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("expected");

    const QStringList all = {"searchAuthor", "searchTitle",  "searchAbstract",
                             "searchMemo",   "searchNumber", "searchVolume",
                             "searchPage",   "searchYear",   "searchJournal"};
    QTest::newRow("ID only without flags") << QStringList{} << "12" << QStringList{"pmid:123"};
    QTest::newRow("pages") << QStringList{"searchPage"} << "12"
                           << QStringList{"User:1", "pmid:123"};
    QTest::newRow("issue number") << QStringList{"searchNumber"} << "12"
                                  << QStringList{"User:2", "pmid:123"};
    QTest::newRow("author, ASCII case folded, removed skipped")
        << QStringList{"searchAuthor"} << "smith" << QStringList{"User:1"};
    QTest::newRow("apostrophe") << QStringList{"searchAuthor"} << "O'Brien"
                                << QStringList{"User:1"};
    QTest::newRow("title") << QStringList{"searchTitle"} << "growth"
                           << QStringList{"User:1", "User:2"};
    QTest::newRow("abstract") << QStringList{"searchAbstract"} << "mitochondria"
                              << QStringList{"User:1"};
    QTest::newRow("memo") << QStringList{"searchMemo"} << "later" << QStringList{"User:1"};
    QTest::newRow("journal") << QStringList{"searchJournal"} << "Scien" << QStringList{"User:2"};
    QTest::newRow("year") << QStringList{"searchYear"} << "1999" << QStringList{"User:2"};
    QTest::newRow("flag off, column ignored")
        << QStringList{"searchTitle"} << "mitochondria" << QStringList{};
    QTest::newRow("non-ASCII") << QStringList{"searchAuthor"} << QString::fromUtf8("M\u00fcller")
                               << QStringList{"pmid:123"};
    QTest::newRow("percent is a wildcard")
        << QStringList{} << "%" << QStringList{"User:1", "User:2", "pmid:123"};
    QTest::newRow("statement text is only a word")
        << all << "'); DROP TABLE articles; --" << QStringList{};
}

void StoreQueriesTest::search()
{
    QFETCH(QStringList, flags);
    QFETCH(QString, word);
    QFETCH(QStringList, expected);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    store.insertUserArticleIntoDB(searchEntry(1, "Smith, JA, O'Brien, K", "Cell growth", "Nature",
                                              "123-9", "2001", "3", "read later",
                                              "about mitochondria"));
    store.insertUserArticleIntoDB(
        searchEntry(2, "Doe, B", "Growth factors", "Science", "45-50", "1999", "12", "", "kinase"));
    store.insertUserArticleIntoDB(
        searchEntry(3, "Smith, Z", "Cell death", "Nature", "1-2", "2002", "1", "", ""));
    UserArticleEntry pubmed = searchEntry(4, QString::fromUtf8("M\u00fcller, R"), "Other", "Cell",
                                          "1-9", "2010", "4", "", "");
    pubmed.type = "pmid";
    pubmed.id = "123";
    store.insertUserArticleIntoDB(pubmed);
    QVERIFY(store.close());
    store.removeArtilce({"User", "3"});

    for (const QString& flag : flags)
        UserDefaults::standard().setBool(true, flag);
    const auto found = store.searchArticleIDs(word);
    QVERIFY(found);
    QCOMPARE(sorted(keyTexts(*found)), sorted(expected));
    QCOMPARE(store.numberOfAllArticles(), qint64(3));
    QVERIFY(!store.searchArticleIDs(""));
    QVERIFY(!store.searchArticleIDs(QString()));
}

void StoreQueriesTest::searchWithinGivenKeys()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    store.insertUserArticleIntoDB(userEntry(1, "User", "1", "Cell growth"));
    store.insertUserArticleIntoDB(userEntry(2, "User", "2", "Growth factors"));
    store.insertUserArticleIntoDB(userEntry(3, "User", "3", "Growth again"));
    store.insertUserArticleIntoDB(userEntry(4, "pmid", "2", "Growth of PubMed"));
    store.removeArtilce({"User", "3"});
    UserDefaults::standard().setBool(true, "searchTitle");

    const QList<ArticleKey> given = {{"User", "2"}, {"User", "3"}, {"pmid", "2"}, {"User", "2"}};
    const auto found = store.searchArticleIDs("growth", given);
    QVERIFY(found);
    QCOMPARE(sorted(keyTexts(*found)), sorted({"User:2", "pmid:2"}));

    const auto none = store.searchArticleIDs("growth", {});
    QVERIFY(none);
    QVERIFY(none->isEmpty());
    QVERIFY(!store.searchArticleIDs("", given));
}

void StoreQueriesTest::recentlyImportedNewestFirst()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    for (int n = 1; n <= 150; ++n)
        store.insertUserArticleIntoDB(userEntry(n, "User", QString::number(n)));
    QVERIFY(store.close());
    for (const char* id : {"150", "120", "7"})
        store.removeArtilce({"User", id});
    {
        // One old article re-dated into the future: the timestamp decides before insertion order.
        SQLiteDatabase db(store.databasePath());
        QVERIFY(db.open());
        QVERIFY(
            db.run("UPDATE articles SET submitdate = '2999-01-01 00:00:00 +0000' WHERE id = 3"));
    }

    QStringList expected{"User:3"};
    for (int n = 149; n >= 1 && expected.size() < 100; --n) {
        if (n != 120 && n != 7 && n != 3)
            expected << "User:" + QString::number(n);
    }
    QCOMPARE(keyTexts(store.searchImportedRecentlyIDs()), expected);
}

void StoreQueriesTest::wholeLibraryLists()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.journals().isEmpty());
    QCOMPARE(store.numberOfAllArticles(), qint64(0));

    const QStringList journals = {"B", "A", "B", "C", "a"};
    for (int n = 1; n <= journals.size(); ++n) {
        UserArticleEntry entry = userEntry(n, "User", QString::number(n));
        entry.journal = journals.at(n - 1);
        store.insertUserArticleIntoDB(entry);
    }
    store.insertUserArticleIntoDB(userEntry(9, "Book", "9"));
    store.removeArtilce({"User", "4"}); // journal C

    QCOMPARE(store.journals(), QStringList({"A", "B", "J Test", "a"}));
    QCOMPARE(store.numberOfAllArticles(), qint64(5));
    QCOMPARE(sorted(keyTexts(store.allArticleIDs())),
             sorted({"User:1", "User:2", "User:3", "User:5", "Book:9"}));
}

void StoreQueriesTest::singleColumns()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    UserArticleEntry entry = userEntry(1, "User", "1");
    entry.authors = "Smith, JA, Doe, B";
    entry.memo = "a memo";
    entry.abstract = "an abstract";
    store.insertUserArticleIntoDB(entry);

    const ArticleKey key{"User", "1"};
    QCOMPARE(store.abstract(key), QString("an abstract"));
    QCOMPARE(store.memo(key), QString("a memo"));
    QCOMPARE(store.authors(key), QString("Smith, JA, Doe, B"));
    QCOMPARE(store.authorsAsArray(key), QStringList({"Smith, JA", "Doe, B"}));

    const ArticleKey missing{"pmid", "1"};
    for (const QString& text :
         {store.abstract(missing), store.memo(missing), store.authors(missing)}) {
        QVERIFY(!text.isNull());
        QVERIFY(text.isEmpty());
    }
    QCOMPARE(store.authorsAsArray(missing), QStringList{""});
}

void StoreQueriesTest::authorsSplit_data()
{
    QTest::addColumn<QString>("authors");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("three authors")
        << "Smith, JA, Doe, B, Roe, KL" << QStringList{"Smith, JA", "Doe, B", "Roe, KL"};
    QTest::newRow("odd piece at the end") << "Smith, JA, Doe" << QStringList{"Smith, JA", "Doe"};
    QTest::newRow("no separator") << "WHO Study Group" << QStringList{"WHO Study Group"};
    QTest::newRow("empty") << "" << QStringList{""};
    QTest::newRow("trailing separator") << "Smith, JA, " << QStringList{"Smith, JA", ""};
    QTest::newRow("extra blank after separator")
        << "Smith, JA,  Doe, B" << QStringList{"Smith, JA", "Doe, B"};
    QTest::newRow("leading punctuation dropped")
        << "-- Smith, JA, (Doe), B" << QStringList{"Smith, JA", "Doe), B"};
    QTest::newRow("non-ASCII letters and marks")
        << QString::fromUtf8("\u00c5berg, \u0301K, \u00d8stergaard, L")
        << QStringList{QString::fromUtf8("\u00c5berg, \u0301K"),
                       QString::fromUtf8("\u00d8stergaard, L")};
    QTest::newRow("initials without letters")
        << "Smith, , Doe, B" << QStringList{"Smith, ", "Doe, B"};
}

void StoreQueriesTest::authorsSplit()
{
    QFETCH(QString, authors);
    QFETCH(QStringList, entries);
    QCOMPARE(accessDB::authorsArrayFromAuthorsString(authors), entries);
}

void StoreQueriesTest::keyFromVariant_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<ArticleKey>("key");

    QTest::newRow("key") << QVariant(QVariantMap{{"type", "pmid"}, {"ID", "12"}}) << true
                         << ArticleKey{"pmid", "12"};
    QTest::newRow("record with extra entries")
        << QVariant(QVariantMap{{"type", "User"}, {"ID", "3"}, {"title", "x"}, {"mark", "read"}})
        << true << ArticleKey{"User", "3"};
    QTest::newRow("numeric ID from a property list")
        << QVariant(QVariantMap{{"type", "pmid"}, {"ID", qint64(31789841)}}) << true
        << ArticleKey{"pmid", "31789841"};
    QTest::newRow("hash") << QVariant(QVariantHash{{"type", "pmid"}, {"ID", "5"}}) << true
                          << ArticleKey{"pmid", "5"};
    QTest::newRow("no ID") << QVariant(QVariantMap{{"type", "pmid"}}) << false << ArticleKey{};
    QTest::newRow("ID is a list") << QVariant(
                                         QVariantMap{{"type", "pmid"}, {"ID", QVariantList{1}}})
                                  << false << ArticleKey{};
    QTest::newRow("not a map") << QVariant(QString("pmid:12")) << false << ArticleKey{};
}

void StoreQueriesTest::keyFromVariant()
{
    QFETCH(QVariant, value);
    QFETCH(bool, valid);
    QFETCH(ArticleKey, key);

    const auto parsed = ArticleKey::fromVariant(value);
    QCOMPARE(parsed.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(*parsed, key);
    QCOMPARE(qHash(*parsed), qHash(key));
    QCOMPARE(ArticleKey::fromVariant(parsed->toVariant()), parsed);
}

QTEST_GUILESS_MAIN(StoreQueriesTest)
#include "tst_storequeries.moc"
