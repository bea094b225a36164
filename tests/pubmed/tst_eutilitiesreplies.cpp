#include "FakeEUtilities.h"
#include "TempHome.h"
#include "pubmed/ArticleSetSplit.h"
#include "pubmed/EUtilitiesUrl.h"
#include "pubmed/PubMedXML.h"
#include "pubmed/SearchReply.h"
#include "pubmed/pubmed.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The pure parts of the E-utilities client: request addresses, the search
// reply, and the split of a fetch reply into per-article files.

namespace {

using Layout = FakeEUtilities::Layout;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& directory)
{
    QStringList names =
        QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    return names;
}

// What a per-article file written from `reply` must hold for `pmid`: the
// reply's own text through "<PubmedArticleSet>", the article, the closing tags.
void verifyArticleFile(const QString& directory, const QString& pmid, const QByteArray& reply,
                       const QByteArray& article)
{
    const QByteArray bytes = readAll(directory + "/" + pmid + ".xml");
    const QByteArray setTag = "<PubmedArticleSet>";
    const QByteArray header = reply.left(reply.indexOf(setTag) + setTag.size());
    QCOMPARE(bytes, header + article + "\n</PubmedArticleSet>\n");
    QVERIFY(bytes.contains("<PubmedArticleSet><PubmedArticle>"));

    PubMedXML reader;
    QVERIFY(reader.openFile(pmid, directory));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.pubmed(), pmid);
    QCOMPARE(reader.parseAllArticle().size(), 1);
}

} // namespace

class TestEUtilitiesReplies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void escaping_data();
    void escaping();
    void requestAddresses();
    void searchReply_data();
    void searchReply();
    void splitByTags_data();
    void splitByTags();
    void realRepliesSplitIntoArticles_data();
    void realRepliesSplitIntoArticles();
    void requestedAgainstReply_data();
    void requestedAgainstReply();
    void failedWriteIsNotSuccess();
};

void TestEUtilitiesReplies::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("escaped");
    QTest::newRow("separators kept")
        << "+123[UID]+OR+789[UID]" << QByteArray("+123%5BUID%5D+OR+789%5BUID%5D");
    QTest::newRow("reserved kept")
        << "a+b&c=d?e/f:g;h@i$j,k" << QByteArray("a+b&c=d?e/f:g;h@i$j,k");
    QTest::newRow("marks kept") << "x-y_z.1!~*'(2)" << QByteArray("x-y_z.1!~*'(2)");
    QTest::newRow("blank and quotes")
        << "\"gene expression\"[ti]" << QByteArray("%22gene%20expression%22%5Bti%5D");
    QTest::newRow("non-ASCII byte-wise")
        << QString::fromUtf8("Müller α") << QByteArray("M%C3%BCller%20%CE%B1");
    // Left alone, '#' would cut the term and '%' would read as an escape.
    QTest::newRow("percent and number sign") << "50% #1" << QByteArray("50%25%20%231");
    QTest::newRow("unwise and controls") << "{a}|\\^`<b>\t\n"
                                         << QByteArray("%7Ba%7D%7C%5C%5E%60%3Cb%3E%09%0A");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestEUtilitiesReplies::escaping()
{
    QFETCH(QString, text);
    QTEST(eutils::escapeForUrl(text), "escaped");
}

void TestEUtilitiesReplies::requestAddresses()
{
    const QUrl base("http://127.0.0.1:8080/entrez/eutils");
    QCOMPARE(eutils::searchUrl(base, QString::fromUtf8("p53 [ti] é")).toEncoded(),
             QByteArray("http://127.0.0.1:8080/entrez/eutils/esearch.fcgi?db=Pubmed&retmax=1&"
                        "usehistory=y&term=p53%20%5Bti%5D%20%C3%A9"));
    QCOMPARE(eutils::fetchUrl(base, "3", "MCID_6927d6e7fee3e90f880ec190").toEncoded(),
             QByteArray("http://127.0.0.1:8080/entrez/eutils/efetch.fcgi?rettype=XML&retmode=text&"
                        "db=Pubmed&query_key=3&WebEnv=MCID_6927d6e7fee3e90f880ec190"));
    // Old-style WebEnv tokens carry '@' and '-'; they go out as received.
    QCOMPARE(eutils::fetchUrl(base, "1", "00m7eJh8-Rn266@03F1_0005SID").toEncoded(),
             QByteArray("http://127.0.0.1:8080/entrez/eutils/efetch.fcgi?rettype=XML&retmode=text&"
                        "db=Pubmed&query_key=1&WebEnv=00m7eJh8-Rn266@03F1_0005SID"));
}

void TestEUtilitiesReplies::searchReply_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("queryKey");
    QTest::addColumn<QString>("webEnv");

    QTest::newRow("current service")
        << fixtureBytes("ncbi/biopython__esearch2.xml") << true << "42249"
        << "1"
        << "MCID_6927d6e7fee3e90f880ec190";
    // Its TranslationStack holds further Count elements deeper down.
    QTest::newRow("2002 service, indented")
        << fixtureBytes("ncbi/Bio-EUtilities__esearch2.xml") << true << "534"
        << "1"
        << "00m7eJh8lyG3wiC2SE2hd7Im_w5o3z3q4_JK9-Rn266ix_eRXkjNOYQxHp@03F17619941CFD71_0005SID";
    QTest::newRow("zero hits") << fixtureBytes("ncbi/biopython__esearch8.xml") << false << ""
                               << ""
                               << "";
    QTest::newRow("error document")
        << fixtureBytes("ncbi/Eutils-JSON__esearch.baderror.xml") << false << ""
        << ""
        << "";
    QTest::newRow("no declaration, other order")
        << QByteArray("<eSearchResult><WebEnv>W</WebEnv><QueryKey>7</QueryKey><Count>2</Count>"
                      "</eSearchResult>")
        << true << "2"
        << "7"
        << "W";
    QTest::newRow("no WebEnv") << QByteArray("<eSearchResult><Count>2</Count><RetMax>1</RetMax>"
                                             "<RetStart>0</RetStart><QueryKey>1</QueryKey>"
                                             "<IdList/></eSearchResult>")
                               << false << ""
                               << ""
                               << "";
    QTest::newRow("empty QueryKey")
        << QByteArray(
               "<eSearchResult><Count>2</Count><QueryKey/><WebEnv>W</WebEnv></eSearchResult>")
        << false << ""
        << ""
        << "";
    QTest::newRow("other root") << QByteArray("<eFetchResult><Count>2</Count><QueryKey>1</QueryKey>"
                                              "<WebEnv>W</WebEnv></eFetchResult>")
                                << false << ""
                                << ""
                                << "";
    QTest::newRow("cut off") << fixtureBytes("ncbi/biopython__esearch2.xml").left(400) << false
                             << ""
                             << ""
                             << "";
    QTest::newRow("redirect page")
        << QByteArray("<html><head><title>302 Found</title></head><body>moved</body></html>")
        << false << ""
        << ""
        << "";
    QTest::newRow("rate limit") << QByteArray("{\"error\":\"API rate limit exceeded\"}") << false
                                << ""
                                << ""
                                << "";
    QTest::newRow("empty") << QByteArray() << false << ""
                           << ""
                           << "";
}

void TestEUtilitiesReplies::searchReply()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, found);
    const std::optional<SearchResult> result = eutils::readSearchReply(body);
    QCOMPARE(result.has_value(), found);
    if (found) {
        QTEST(result->Count, "count");
        QTEST(result->QueryKey, "queryKey");
        QTEST(result->WebEnv, "webEnv");
    }
}

void TestEUtilitiesReplies::splitByTags_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArrayList>("articles");

    const QByteArray a = "<PubmedArticle><PMID>1</PMID></PubmedArticle>";
    const QByteArray b = "<PubmedArticle><PMID>2</PMID></PubmedArticle>";
    const QByteArray book = "<PubmedBookArticle><PMID>3</PMID></PubmedBookArticle>";
    // Regression: the fixed "skip one character" after the header and "two
    // characters" after each article ate the next '<' of compact replies.
    QTest::newRow("no line feeds at all")
        << "<?xml version=\"1.0\"?><PubmedArticleSet>" + a + b + "</PubmedArticleSet>"
        << QByteArray("<?xml version=\"1.0\"?><PubmedArticleSet>") << QByteArrayList{a, b};
    QTest::newRow("blank lines between")
        << "<PubmedArticleSet>\n" + a + "\n\n\n" + b + "\n\n</PubmedArticleSet>\n"
        << QByteArray("<PubmedArticleSet>") << QByteArrayList{a, b};
    QTest::newRow("book article between")
        << "<PubmedArticleSet>" + a + book + b + "</PubmedArticleSet>"
        << QByteArray("<PubmedArticleSet>") << QByteArrayList{a, b};
    QTest::newRow("book article first")
        << "<PubmedArticleSet>\n" + book + "\n" + a + "\n</PubmedArticleSet>"
        << QByteArray("<PubmedArticleSet>") << QByteArrayList{a};
    QTest::newRow("attributes on the tags")
        << QByteArray("<PubmedArticleSet xmlns:m=\"x\"><PubmedArticle id=\"q\"><PMID>4</PMID>"
                      "</PubmedArticle ></PubmedArticleSet>")
        << QByteArray("<PubmedArticleSet xmlns:m=\"x\">")
        << QByteArrayList{"<PubmedArticle id=\"q\"><PMID>4</PMID></PubmedArticle >"};
    QTest::newRow("empty article element skipped")
        << "<PubmedArticleSet><PubmedArticle/>" + a + "</PubmedArticleSet>"
        << QByteArray("<PubmedArticleSet>") << QByteArrayList{a};
    QTest::newRow("last article cut off")
        << "<PubmedArticleSet>" + a + "<PubmedArticle><PMID>2</PMI"
        << QByteArray("<PubmedArticleSet>") << QByteArrayList{a};
    QTest::newRow("empty set") << fixtureBytes("ncbi/metapub__37909814.xml")
                               << fixtureBytes("ncbi/metapub__37909814.xml").chopped(20)
                               << QByteArrayList{};
    QTest::newRow("no set") << QByteArray("<eFetchResult><ERROR>x</ERROR></eFetchResult>")
                            << QByteArray() << QByteArrayList{};
}

void TestEUtilitiesReplies::splitByTags()
{
    QFETCH(QByteArray, reply);
    const eutils::ArticleSetPieces pieces = eutils::splitArticleSet(reply);
    QTEST(pieces.header.toByteArray(), "header");
    QByteArrayList articles;
    for (const QByteArrayView article : pieces.articles)
        articles.append(article.toByteArray());
    QTEST(articles, "articles");
}

void TestEUtilitiesReplies::realRepliesSplitIntoArticles_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("pmids");
    QTest::newRow("compact 2025") << "ncbi/biopython__pubmed2.xml"
                                  << QStringList{"11748933", "11700088"};
    QTest::newRow("indented 2013")
        << "ncbi/Eutils-JSON__efetch.pubmed.xml" << QStringList{"17284678", "9997"};
    QTest::newRow("indented 2018, one article")
        << "ncbi/biopython__pubmed4.xml" << QStringList{"27797938"};
}

void TestEUtilitiesReplies::realRepliesSplitIntoArticles()
{
    QFETCH(QString, fixture);
    QFETCH(QStringList, pmids);
    const QByteArray reply = fixtureBytes(fixture);
    QTemporaryDir cache;
    const MultiArticleResult result =
        pubmed::writeToFilesFromXMLData(reply, cache.path(), pmids, {});
    QCOMPARE(result.success, pmids);
    QVERIFY(result.fail.isEmpty());

    QStringList expectedFiles;
    for (const QString& pmid : pmids)
        expectedFiles << pmid + ".xml";
    expectedFiles.sort();
    QCOMPARE(filesIn(cache.path()), expectedFiles);

    // Each file holds the article exactly as the reply has it.
    const eutils::ArticleSetPieces pieces = eutils::splitArticleSet(reply);
    QCOMPARE(pieces.articles.size(), pmids.size());
    for (qsizetype i = 0; i < pmids.size(); ++i)
        verifyArticleFile(cache.path(), pmids[i], reply, pieces.articles[i].toByteArray());
}

void TestEUtilitiesReplies::requestedAgainstReply_data()
{
    QTest::addColumn<QStringList>("inReply");
    QTest::addColumn<bool>("bookArticle");
    QTest::addColumn<QStringList>("requested");
    QTest::addColumn<QStringList>("cached");
    QTest::addColumn<QStringList>("success");
    QTest::addColumn<QStringList>("fail");

    QTest::newRow("all found, cached first")
        << QStringList{"123", "789"} << false << QStringList{"123", "456", "789"}
        << QStringList{"456"} << QStringList{"456", "123", "789"} << QStringList{};
    QTest::newRow("one missing stays in fail")
        << QStringList{"123"} << false << QStringList{"123", "456", "789"} << QStringList{"456"}
        << QStringList{"456", "123"} << QStringList{"789"};
    QTest::newRow("reply order, unrequested written")
        << QStringList{"789", "999", "123"} << false << QStringList{"123", "789"} << QStringList{}
        << QStringList{"789", "999", "123"} << QStringList{};
    QTest::newRow("book article neither written nor glued")
        << QStringList{"123", "789"} << true << QStringList{"123", "789"} << QStringList{}
        << QStringList{"123", "789"} << QStringList{};
    // A PMID listed once even when the reply repeats it or it was cached.
    QTest::newRow("no duplicates in success")
        << QStringList{"123", "123", "456"} << false << QStringList{"123", "456"}
        << QStringList{"456"} << QStringList{"456", "123"} << QStringList{};
    QTest::newRow("nothing in the reply")
        << QStringList{} << false << QStringList{"1", "2"} << QStringList{} << QStringList{}
        << QStringList{"1", "2"};
}

void TestEUtilitiesReplies::requestedAgainstReply()
{
    QFETCH(QStringList, inReply);
    QFETCH(bool, bookArticle);
    QFETCH(QStringList, requested);
    QFETCH(QStringList, cached);
    QFETCH(QStringList, success);

    for (const Layout layout : {Layout::Compact, Layout::Indented}) {
        QTemporaryDir cache;
        const QByteArray reply = FakeEUtilities::makeFetchReply(inReply, layout, bookArticle);
        const MultiArticleResult result =
            pubmed::writeToFilesFromXMLData(reply, cache.path(), requested, cached);
        QCOMPARE(result.success, success);
        QTEST(result.fail, "fail");

        QStringList written;
        for (const QString& pmid : inReply)
            if (!written.contains(pmid + ".xml"))
                written << pmid + ".xml";
        written.sort();
        QCOMPARE(filesIn(cache.path()), written);
        for (const QString& pmid : inReply)
            verifyArticleFile(cache.path(), pmid, reply, FakeEUtilities::makeArticle(pmid, layout));
    }
}

void TestEUtilitiesReplies::failedWriteIsNotSuccess()
{
    // Regression: a file that could not be written was reported in "success".
    QTemporaryDir home;
    const QString missing = home.path() + "/no-such-folder";
    const QByteArray reply = FakeEUtilities::makeFetchReply({"123"}, Layout::Compact);
    const MultiArticleResult result = pubmed::writeToFilesFromXMLData(reply, missing, {"123"}, {});
    QVERIFY(result.success.isEmpty());
    QCOMPARE(result.fail, QStringList{"123"});
    QVERIFY(!QFileInfo::exists(missing));
}

QTEST_GUILESS_MAIN(TestEUtilitiesReplies)
#include "tst_eutilitiesreplies.moc"
