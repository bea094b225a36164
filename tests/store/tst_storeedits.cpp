// Field edits through the setters, and the PDF test of a PubMed article.

#include "StoreTestSupport.h"
#include "TempHome.h"
#include "store/accessDB.h"

#include <QMap>
#include <QTest>

#include <utility>

namespace {

using Setter = void (accessDB::*)(const QString&, const ArticleKey&);

const QMap<QString, Setter> setters = {
    {"setMark", &accessDB::setMark},         {"setMemo", &accessDB::setMemo},
    {"setAuthor", &accessDB::setAuthor},     {"setTitle", &accessDB::setTitle},
    {"setJournal", &accessDB::setJournal},   {"setVolume", &accessDB::setVolume},
    {"setNumber", &accessDB::setNumber},     {"setYear", &accessDB::setYear},
    {"setPages", &accessDB::setPages},       {"setAbstract", &accessDB::setAbstract},
    {"setFilePath", &accessDB::setFilePath}, {"setOlvaneID", &accessDB::setOlvaneID},
};

// Quotes, LIKE wildcards, a statement, a backslash, non-ASCII and a line break.
const QString hostile = QString::fromUtf8(
    "O'Brien's \"50%\" _x_; DROP TABLE articles; -- \\ \u00dcn\u00efc\u00f8d\u00e9 "
    "\u65e5\u672c\u8a9e \U0001F642\nline 2");

} // namespace

class StoreEditsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setterChangesOneColumnOfOneRow_data();
    void setterChangesOneColumnOfOneRow();
    void setterWithoutLiveRowChangesNothing();
    void pdfOfPubMedArticle_data();
    void pdfOfPubMedArticle();
};

void StoreEditsTest::setterChangesOneColumnOfOneRow_data()
{
    QTest::addColumn<QString>("setter");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("storedAs");

    for (const auto& [setter, column] :
         {std::pair{"setMemo", "memo"}, std::pair{"setAuthor", "author"},
          std::pair{"setTitle", "title"}, std::pair{"setJournal", "journal"},
          std::pair{"setVolume", "volume"}, std::pair{"setNumber", "number"},
          std::pair{"setYear", "year"}, std::pair{"setPages", "pages"},
          std::pair{"setAbstract", "abstract"}, std::pair{"setFilePath", "filepath"},
          std::pair{"setOlvaneID", "OlvaneID"}})
        QTest::addRow("%s, hostile text", setter) << setter << column << hostile << "text";

    QTest::newRow("setMark") << "setMark"
                             << "mark"
                             << "important"
                             << "text";
    // INTEGER columns keep numbers as numbers, so they sort by value.
    QTest::newRow("setYear, a number") << "setYear"
                                       << "year"
                                       << "2004"
                                       << "integer";
    QTest::newRow("setNumber, a number") << "setNumber"
                                         << "number"
                                         << "12"
                                         << "integer";
    QTest::newRow("setOlvaneID, a number") << "setOlvaneID"
                                           << "OlvaneID"
                                           << "77"
                                           << "integer";
    QTest::newRow("setMemo, empty text") << "setMemo"
                                         << "memo"
                                         << ""
                                         << "text";
    QTest::newRow("setMemo, null text stored as empty text") << "setMemo"
                                                             << "memo" << QString() << "text";
}

void StoreEditsTest::setterChangesOneColumnOfOneRow()
{
    QFETCH(QString, setter);
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(QString, storedAs);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    QVERIFY(store.open());
    store.insertUserArticleIntoDB(userEntry(1, "User", "2"));
    store.insertUserArticleIntoDB(userEntry(2, "pmid", "2")); // same ID, other type
    store.insertUserArticleIntoDB(userEntry(3, "User", "3"));
    QVERIFY(store.close());
    const auto records = store.articleInformationOfArticleIDs({{"User", "2"}});
    QCOMPARE(records.size(), 1);
    QList<RawRow> expected = rawRows(store.databasePath());

    // Given the whole record, as the article list and the information panel do.
    QVERIFY(store.open());
    (store.*setters.value(setter))(value, records.first().key());
    QVERIFY(store.close());

    expected[0][column] = value;
    expected[0]["typeof(" + column + ")"] = storedAs;
    const QList<RawRow> after = rawRows(store.databasePath());
    QCOMPARE(after, expected);
    QVERIFY(!after[0][column].isNull());
}

void StoreEditsTest::setterWithoutLiveRowChangesNothing()
{
    TempHome home;
    accessDB store(makePreferenceDir(home));
    store.insertUserArticleIntoDB(userEntry(1, "pmid", "5"));
    store.insertUserArticleIntoDB(userEntry(2, "User", "6"));
    store.removeArtilce({"pmid", "5"});
    const QList<RawRow> before = rawRows(store.databasePath());

    QVERIFY(store.open());
    for (const ArticleKey& key : {ArticleKey{"pmid", "5"}, ArticleKey{"pmid", "6"},
                                  ArticleKey{"User", "999"}, ArticleKey{"User", "6' OR '1'='1"}}) {
        for (Setter setter : setters)
            (store.*setter)("changed", key);
    }
    QVERIFY(store.close());
    QCOMPARE(rawRows(store.databasePath()), before);
}

void StoreEditsTest::pdfOfPubMedArticle_data()
{
    QTest::addColumn<QString>("pmid");
    QTest::addColumn<bool>("hasPDF");

    QTest::newRow("live with a path") << "10" << true;
    QTest::newRow("path \"none\"") << "11" << false;
    QTest::newRow("removed") << "12" << false;
    QTest::newRow("empty path") << "13" << false;
    QTest::newRow("only a user article with this ID") << "14" << false;
    QTest::newRow("unknown") << "99" << false;
    QTest::newRow("statement text as PMID") << "10' OR '1'='1" << false;
}

void StoreEditsTest::pdfOfPubMedArticle()
{
    QFETCH(QString, pmid);
    QFETCH(bool, hasPDF);

    TempHome home;
    accessDB store(makePreferenceDir(home));
    const QList<std::pair<ArticleKey, QString>> articles = {
        {{"pmid", "10"}, "/papers/10.pdf"},      {{"pmid", "11"}, "none"},
        {{"pmid", "12"}, "/papers/12.pdf"},      {{"pmid", "13"}, ""},
        {{"User", "14"}, "/papers/User/14.pdf"},
    };
    int n = 0;
    for (const auto& [key, path] : articles) {
        UserArticleEntry entry = userEntry(++n, key.type, key.ID);
        entry.PDFpath = path;
        store.insertUserArticleIntoDB(entry);
    }
    store.removeArtilce({"pmid", "12"});

    QCOMPARE(store.searchPMIDPDFFileFromIDs(pmid), hasPDF);
}

QTEST_GUILESS_MAIN(StoreEditsTest)
#include "tst_storeedits.moc"
