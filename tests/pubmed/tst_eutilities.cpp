#include "FakeEUtilities.h"
#include "ScriptedPanels.h"
#include "TempHome.h"
#include "pubmed/PubMedXML.h"
#include "pubmed/pubmed.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// The E-utilities client against the fake service, over real HTTP on loopback.

using namespace std::chrono_literals;
using Layout = FakeEUtilities::Layout;
using Rule = FakeEUtilities::Rule;
using Misbehaviour = FakeEUtilities::Misbehaviour;
using Endpoint = FakeEUtilities::Endpoint;
using Rules = QList<Rule>;

Q_DECLARE_METATYPE(Rule)

namespace {

constexpr auto NormalTimeout = 10s;
constexpr auto ShortTimeout = 300ms;
const QString PDFs = QStringLiteral("/papers");

template <typename T> struct Answer
{
    int calls = 0;
    std::optional<T> value;
    bool duringCall = false; // answered before the starting call returned
    bool clientGone = false; // the client deleted itself afterwards
};

// Starts one operation on a new client and waits until the client has
// deleted itself, which it does only after calling its receiver.
template <typename T, typename Start>
Answer<T> run(Start start, std::function<void(pubmed*)> setUp = {})
{
    auto answer = std::make_shared<Answer<T>>();
    QPointer<pubmed> client = new pubmed;
    if (setUp)
        setUp(client);
    start(client.data(), [answer](std::optional<T> value) {
        ++answer->calls;
        answer->value = std::move(value);
    });
    answer->duringCall = answer->calls > 0;
    answer->clientGone = QTest::qWaitFor([&] { return client.isNull(); }, 120000);
    delete client;    // only when it hung: abandons the operation
    QTest::qWait(50); // a second call would come now
    return *answer;
}

Answer<MultiArticleResult> saveFiles(const QStringList& pmids, const QString& cache)
{
    return run<MultiArticleResult>(
        [&](pubmed* client, auto receiver) { client->saveXMLFiles(pmids, cache, PDFs, receiver); });
}

Answer<QString> saveFile(const QString& pmid, const QString& cache)
{
    return run<QString>(
        [&](pubmed* client, auto receiver) { client->saveXMLFile(pmid, cache, PDFs, receiver); });
}

QStringList filesIn(const QString& directory)
{
    QStringList names = QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QStringList xmlNames(const QStringList& pmids)
{
    QStringList names;
    for (const QString& pmid : pmids)
        names << pmid + ".xml";
    names.sort();
    return names;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file the multi-article operation writes for `pmid` from a `layout` reply.
QByteArray expectedArticleFile(const QString& pmid, Layout layout)
{
    return FakeEUtilities::replyHeader(layout).chopped(1) +
           FakeEUtilities::makeArticle(pmid, layout) + "\n</PubmedArticleSet>\n";
}

void verifyReadsAs(const QString& cache, const QString& pmid)
{
    PubMedXML reader;
    QVERIFY(reader.openFile(pmid, cache));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.pubmed(), pmid);
    QCOMPARE(reader.parseAllArticle().size(), 1);
}

QByteArray searchTarget(const QByteArray& escapedTerm)
{
    return "/entrez/eutils/esearch.fcgi?db=Pubmed&retmax=1&usehistory=y&term=" + escapedTerm;
}

// Only the step that is meant to time out: on a busy machine the other must not.
void shortenTimeoutOf(Endpoint endpoint)
{
    pubmed::setTimeouts(endpoint == Endpoint::Search ? ShortTimeout : NormalTimeout,
                        endpoint == Endpoint::Fetch ? ShortTimeout : NormalTimeout);
}

void verifyNetworkAlert(const Alert& alert)
{
    QCOMPARE(alert.style, Alert::Style::Critical);
    QCOMPARE(alert.message, QString("Cannot access PubMed site"));
    QCOMPARE(alert.informativeText, QString("Confirm network accessibility"));
    QCOMPARE(alert.defaultButton, QString("OK"));
    QVERIFY(alert.alternateButton.isEmpty() && alert.otherButton.isEmpty());
}

} // namespace

class TestEUtilities : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listFetchedIntoFiles_data();
    void listFetchedIntoFiles();
    void cacheAnswersDuringCall_data();
    void cacheAnswersDuringCall();
    void singleArticleFetched();
    void termsOnTheWire_data();
    void termsOnTheWire();
    void searchThenFetchOnOneClient();
    void listAgainstMisbehavingServer_data();
    void listAgainstMisbehavingServer();
    void singleAgainstMisbehavingServer_data();
    void singleAgainstMisbehavingServer();
    void networkFailureAlert();
    void progressTextsGrow();
    void authentication_data();
    void authentication();
    void deletingClientAbortsRequest();
    void receiverMayDeleteTheClient();
    void tenThousandArticles();

private:
    ScriptedPanels::Record& scripted() { return **panels; }

    std::unique_ptr<QNetworkAccessManager> manager;
    std::unique_ptr<FakeEUtilities> server;
    std::unique_ptr<ScriptedPanelsScope> panels;
    std::unique_ptr<QTemporaryDir> cache;
};

void TestEUtilities::init()
{
    manager = std::make_unique<QNetworkAccessManager>();
    pubmed::setNetworkAccessManager(manager.get());
    pubmed::setTimeouts(NormalTimeout, NormalTimeout);
    server = std::make_unique<FakeEUtilities>();
    QVERIFY(server->start());
    pubmed::setBaseUrl(server->baseUrl());
    server->addArticles({"123", "456", "789", "999"});
    panels = std::make_unique<ScriptedPanelsScope>();
    cache = std::make_unique<QTemporaryDir>();
}

void TestEUtilities::cleanup()
{
    cache.reset();
    panels.reset();
    server.reset();
    manager.reset();
}

void TestEUtilities::listFetchedIntoFiles_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::newRow("compact reply") << Layout::Compact;
    QTest::newRow("indented reply") << Layout::Indented;
}

void TestEUtilities::listFetchedIntoFiles()
{
    QFETCH(Layout, layout);
    server->setLayout(layout);
    const QString cached = cache->path() + "/456.xml";
    QFile(cached).open(QIODevice::WriteOnly);

    const auto answer = saveFiles({"123", "456", "789"}, cache->path());
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QVERIFY(!answer.duringCall);
    QVERIFY(answer.value);
    QCOMPARE(answer.value->success, (QStringList{"456", "123", "789"}));
    QCOMPARE(answer.value->fail, QStringList());
    QCOMPARE(answer.value->PDFDirectory, PDFs);

    // One search for the missing two, one fetch, both past any cache.
    QCOMPARE(server->requests().size(), 2);
    const auto search = server->requests().at(0);
    const auto fetch = server->requests().at(1);
    QCOMPARE(search.method, QByteArray("GET"));
    QCOMPARE(search.target, searchTarget("+123%5BUID%5D+OR+789%5BUID%5D"));
    QCOMPARE(fetch.target,
             "/entrez/eutils/efetch.fcgi?rettype=XML&retmode=text&db=Pubmed&query_key=1&WebEnv=" +
                 server->webEnvToken().toUtf8());
    QCOMPARE(search.header("Cache-Control"), QByteArray("no-cache"));
    QCOMPARE(fetch.header("Cache-Control"), QByteArray("no-cache"));

    QCOMPARE(filesIn(cache->path()), xmlNames({"123", "456", "789"}));
    QCOMPARE(readAll(cached), QByteArray()); // the cached file is left alone
    for (const QString pmid : {"123", "789"}) {
        QCOMPARE(readAll(cache->path() + "/" + pmid + ".xml"), expectedArticleFile(pmid, layout));
        verifyReadsAs(cache->path(), pmid);
    }
    QVERIFY(scripted().alerts.isEmpty());
}

void TestEUtilities::cacheAnswersDuringCall_data()
{
    QTest::addColumn<QStringList>("pmids");
    QTest::addColumn<QStringList>("cached");
    QTest::newRow("list, all cached") << QStringList{"789", "123"} << QStringList{"123", "789"};
    QTest::newRow("empty list") << QStringList{} << QStringList{};
    QTest::newRow("single, cached") << QStringList{"123"} << QStringList{"123"};
}

void TestEUtilities::cacheAnswersDuringCall()
{
    QFETCH(QStringList, pmids);
    QFETCH(QStringList, cached);
    for (const QString& pmid : cached)
        QFile(cache->path() + "/" + pmid + ".xml").open(QIODevice::WriteOnly);

    if (QByteArray(QTest::currentDataTag()).startsWith("single")) {
        const auto answer = saveFile(pmids.first(), cache->path());
        QVERIFY(answer.duringCall && answer.clientGone);
        QCOMPARE(answer.calls, 1);
        QCOMPARE(answer.value, std::optional<QString>("/papers/123.pdf"));
    } else {
        const auto answer = saveFiles(pmids, cache->path());
        QVERIFY(answer.duringCall && answer.clientGone);
        QCOMPARE(answer.calls, 1);
        QVERIFY(answer.value);
        QCOMPARE(answer.value->success, pmids);
        QCOMPARE(answer.value->fail, QStringList());
        QCOMPARE(answer.value->PDFDirectory, PDFs);
    }
    QCOMPARE(server->requests().size(), 0);
}

void TestEUtilities::singleArticleFetched()
{
    const auto answer = saveFile("456", cache->path());
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QCOMPARE(answer.value, std::optional<QString>("/papers/456.pdf"));
    QCOMPARE(server->searches().size(), 1);
    QCOMPARE(server->searches().first().target, searchTarget("456%5BUID%5D"));
    // The reply is kept exactly as received.
    QCOMPARE(filesIn(cache->path()), xmlNames({"456"}));
    QCOMPARE(readAll(cache->path() + "/456.xml"),
             FakeEUtilities::makeFetchReply({"456"}, Layout::Compact));
}

void TestEUtilities::termsOnTheWire_data()
{
    QTest::addColumn<QString>("term");
    QTest::addColumn<QByteArray>("onTheWire");
    QTest::addColumn<QString>("count"); // empty: no match
    QTest::newRow("two PMIDs") << "+123[UID]+OR+789[UID]"
                               << QByteArray("+123%5BUID%5D+OR+789%5BUID%5D") << "2";
    QTest::newRow("blanks and quotes")
        << "\"cell cycle\" AND 999[UID]" << QByteArray("%22cell%20cycle%22%20AND%20999%5BUID%5D")
        << "1";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Müller α-synuclein")
                               << QByteArray("M%C3%BCller%20%CE%B1-synuclein") << "";
    QTest::newRow("separators kept") << "a+b&c=d?e/f:g" << QByteArray("a+b&c=d?e/f:g") << "";
    QTest::newRow("percent and number sign") << "50% #1" << QByteArray("50%25%20%231") << "";
}

void TestEUtilities::termsOnTheWire()
{
    QFETCH(QString, term);
    QFETCH(QByteArray, onTheWire);
    QFETCH(QString, count);
    const auto answer = run<SearchResult>(
        [&](pubmed* client, auto receiver) { client->fetchInfo(term, receiver); });
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QCOMPARE(server->requests().size(), 1);
    QCOMPARE(server->requests().first().target, searchTarget(onTheWire));
    QCOMPARE(answer.value.has_value(), !count.isEmpty());
    if (answer.value) {
        QCOMPARE(answer.value->Count, count);
        QCOMPARE(answer.value->QueryKey, QString("1"));
        QCOMPARE(answer.value->WebEnv, server->webEnvToken());
    }
}

void TestEUtilities::searchThenFetchOnOneClient()
{
    // The search panel's way: the fetch step started from the search step's
    // receiver, on the same client, which stays until the fetch has answered.
    server->setLayout(Layout::Indented);
    QPointer<pubmed> client = new pubmed;
    std::optional<QByteArray> body;
    int searchCalls = 0, fetchCalls = 0;
    client->fetchInfo("123[UID] OR 789[UID]", [&](std::optional<SearchResult> result) {
        ++searchCalls;
        QVERIFY(result);
        client->fetchResultForQueryKey(result->QueryKey, result->WebEnv,
                                       [&](std::optional<QByteArray> reply) {
                                           ++fetchCalls;
                                           body = reply;
                                       });
    });
    QVERIFY(QTest::qWaitFor([&] { return client.isNull(); }, 30000));
    QCOMPARE(searchCalls, 1);
    QCOMPARE(fetchCalls, 1);
    QCOMPARE(body, std::optional(FakeEUtilities::makeFetchReply({"123", "789"}, Layout::Indented)));

    // Without a key nothing is sent, and the receiver hears so at once.
    const auto noKey = run<QByteArray>([](pubmed* fresh, auto receiver) {
        fresh->fetchResultForQueryKey(QString(), "MCID_1", receiver);
    });
    QVERIFY(noKey.duringCall && noKey.clientGone);
    QCOMPARE(noKey.calls, 1);
    QVERIFY(!noKey.value);
    QCOMPARE(server->requests().size(), 2);
}

namespace {

struct ListCase
{
    Rules rules = {};
    QStringList requested = {"123", "456", "789"};
    bool shortTimeouts = false;
    bool record = true; // false: the receiver gets no value
    QStringList success = {};
    QStringList fail = {};
    int alerts = 0;
    int searches = 1;
    int fetches = 1;
};

Rule always(Endpoint endpoint, Misbehaviour misbehaviour)
{
    return Rule{endpoint, misbehaviour, -1, {}, {}, false};
}

Rule once(Endpoint endpoint, Misbehaviour misbehaviour)
{
    return Rule{endpoint, misbehaviour, 1, {}, {}, false};
}

} // namespace

Q_DECLARE_METATYPE(ListCase)

void TestEUtilities::listAgainstMisbehavingServer_data()
{
    // Requested: 123, 456, 789; all known to the server unless a rule says otherwise.
    const QStringList all{"123", "456", "789"};
    QTest::addColumn<ListCase>("c");

    // The search step: every failure gives the record with all in "fail".
    for (const auto& [tag, misbehaviour, alert] :
         std::initializer_list<std::tuple<const char*, Misbehaviour, bool>>{
             {"search: redirect", Misbehaviour::Redirect, false},
             {"search: not XML", Misbehaviour::NotXml, false},
             {"search: HTTP 500", Misbehaviour::Status500, false},
             {"search: HTTP 429", Misbehaviour::Status429, false},
             {"search: cut off", Misbehaviour::CutOff, true},
             {"search: dropped", Misbehaviour::Drop, true},
             {"search: never answers", Misbehaviour::NeverAnswer, true}})
        QTest::newRow(tag) << ListCase{.rules = {always(Endpoint::Search, misbehaviour)},
                                       .shortTimeouts = misbehaviour == Misbehaviour::NeverAnswer,
                                       .fail = all,
                                       .alerts = alert ? 1 : 0,
                                       .fetches = 0};
    QTest::newRow("search: nothing matches")
        << ListCase{.requested = {"1", "2"}, .fail = {"1", "2"}, .fetches = 0};

    // A rejected fetch reply: one restart from the top, then the record with all in "fail".
    for (const auto& [tag, misbehaviour] :
         std::initializer_list<std::pair<const char*, Misbehaviour>>{
             {"fetch: redirect twice", Misbehaviour::Redirect},
             {"fetch: not XML twice", Misbehaviour::NotXml},
             {"fetch: HTTP 500 twice", Misbehaviour::Status500},
             {"fetch: HTTP 429 twice", Misbehaviour::Status429}})
        QTest::newRow(tag) << ListCase{.rules = {always(Endpoint::Fetch, misbehaviour)},
                                       .fail = all,
                                       .searches = 2,
                                       .fetches = 2};
    QTest::newRow("fetch: not XML once, then fine")
        << ListCase{.rules = {once(Endpoint::Fetch, Misbehaviour::NotXml)},
                    .success = all,
                    .searches = 2,
                    .fetches = 2};

    // A failed fetch request: the alert, then no value, no restart.
    for (const auto& [tag, misbehaviour] :
         std::initializer_list<std::pair<const char*, Misbehaviour>>{
             {"fetch: cut off", Misbehaviour::CutOff},
             {"fetch: dropped", Misbehaviour::Drop},
             {"fetch: never answers", Misbehaviour::NeverAnswer}})
        QTest::newRow(tag) << ListCase{.rules = {always(Endpoint::Fetch, misbehaviour)},
                                       .shortTimeouts = misbehaviour == Misbehaviour::NeverAnswer,
                                       .record = false,
                                       .alerts = 1};

    // Replies that parse but do not hold what was asked for.
    QTest::newRow("fetch: one article missing")
        << ListCase{.rules = {Rule{Endpoint::Fetch, Misbehaviour::None, 1, {"456"}, {}, false}},
                    .success = {"123", "789"},
                    .fail = {"456"}};
    QTest::newRow("fetch: an article nobody asked for")
        << ListCase{.rules = {Rule{Endpoint::Fetch, Misbehaviour::None, 1, {}, {"999"}, false}},
                    .success = {"123", "456", "789", "999"}};
    QTest::newRow("fetch: a book article in the set") << ListCase{
        .rules = {Rule{Endpoint::Fetch, Misbehaviour::None, 1, {}, {}, true}}, .success = all};
}

void TestEUtilities::listAgainstMisbehavingServer()
{
    QFETCH(ListCase, c);
    if (c.shortTimeouts)
        shortenTimeoutOf(c.rules.first().endpoint);
    for (const Rule& rule : c.rules)
        server->addRule(rule);

    for (const Layout layout : {Layout::Compact, Layout::Indented}) {
        server->setLayout(layout);
        QTemporaryDir folder;
        const int searchesBefore = server->searches().size();
        const int fetchesBefore = server->fetches().size();
        const int alertsBefore = scripted().alerts.size();

        const auto answer = saveFiles(c.requested, folder.path());
        QCOMPARE(answer.calls, 1);
        QVERIFY(answer.clientGone);
        QCOMPARE(answer.value.has_value(), c.record);
        if (c.record) {
            QCOMPARE(answer.value->success, c.success);
            QCOMPARE(answer.value->fail, c.fail);
            QCOMPARE(answer.value->PDFDirectory, PDFs);
        }
        QCOMPARE(scripted().alerts.size() - alertsBefore, c.alerts);
        if (c.alerts)
            verifyNetworkAlert(scripted().alerts.last());
        QCOMPARE(filesIn(folder.path()), xmlNames(c.success));
        for (const QString& pmid : c.success)
            QCOMPARE(readAll(folder.path() + "/" + pmid + ".xml"),
                     expectedArticleFile(pmid, layout));
        // Qt re-sends a request once when the connection closes before any reply.
        const int searchesMade = server->searches().size() - searchesBefore;
        const int fetchesMade = server->fetches().size() - fetchesBefore;
        if (QByteArray(QTest::currentDataTag()).endsWith("dropped")) {
            QVERIFY(searchesMade >= c.searches && fetchesMade >= c.fetches);
        } else {
            QCOMPARE(searchesMade, c.searches);
            QCOMPARE(fetchesMade, c.fetches);
        }
        // A rule used once is spent after the first layout.
        if (c.rules.size() == 1 && c.rules.first().times == 1)
            break;
    }
}

namespace {

struct SingleCase
{
    Rules rules = {};
    QString pmid = QStringLiteral("123");
    bool shortTimeouts = false;
    bool found = false;
    int alerts = 0;
    int searches = 1;
    int fetches = 1;
};

} // namespace

Q_DECLARE_METATYPE(SingleCase)

void TestEUtilities::singleAgainstMisbehavingServer_data()
{
    QTest::addColumn<SingleCase>("c");
    QTest::newRow("unknown PMID: Count 0") << SingleCase{.pmid = "555", .fetches = 0};
    QTest::newRow("search redirected")
        << SingleCase{.rules = {always(Endpoint::Search, Misbehaviour::Redirect)}, .fetches = 0};
    QTest::newRow("search never answers")
        << SingleCase{.rules = {always(Endpoint::Search, Misbehaviour::NeverAnswer)},
                      .shortTimeouts = true,
                      .alerts = 1,
                      .fetches = 0};
    QTest::newRow("fetch rejected once, then fine")
        << SingleCase{.rules = {once(Endpoint::Fetch, Misbehaviour::Status500)},
                      .found = true,
                      .searches = 2,
                      .fetches = 2};
    QTest::newRow("fetch rejected twice") << SingleCase{
        .rules = {always(Endpoint::Fetch, Misbehaviour::NotXml)}, .searches = 2, .fetches = 2};
    QTest::newRow("fetch cut off")
        << SingleCase{.rules = {always(Endpoint::Fetch, Misbehaviour::CutOff)}, .alerts = 1};
    // Regression: an empty set was written as the article's file and reported found.
    QTest::newRow("fetch: empty set")
        << SingleCase{.rules = {Rule{Endpoint::Fetch, Misbehaviour::None, 1, {"123"}, {}, false}}};
    QTest::newRow("fetch: another article besides") << SingleCase{
        .rules = {Rule{Endpoint::Fetch, Misbehaviour::None, 1, {}, {"999"}, true}}, .found = true};
    // Regression: a PMID with a slash named a file outside the cache folder.
    QTest::newRow("PMID that is no file name")
        << SingleCase{.pmid = "../123", .searches = 0, .fetches = 0};
}

void TestEUtilities::singleAgainstMisbehavingServer()
{
    QFETCH(SingleCase, c);
    if (c.shortTimeouts)
        shortenTimeoutOf(c.rules.first().endpoint);
    for (const Rule& rule : c.rules)
        server->addRule(rule);
    // One level down, so that a file escaping the folder would still be seen.
    const QString folder = cache->path() + "/xml";
    QVERIFY(QDir().mkpath(folder));

    const auto answer = saveFile(c.pmid, folder);
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QCOMPARE(answer.value.has_value(), c.found);
    QCOMPARE(scripted().alerts.size(), c.alerts);
    QCOMPARE(server->searches().size(), c.searches);
    QCOMPARE(server->fetches().size(), c.fetches);
    QCOMPARE(filesIn(cache->path()), QStringList());
    if (c.found) {
        QCOMPARE(*answer.value, "/papers/" + c.pmid + ".pdf");
        QCOMPARE(filesIn(folder), xmlNames({c.pmid}));
        verifyReadsAs(folder, c.pmid);
    } else {
        QCOMPARE(filesIn(folder), QStringList());
    }
}

void TestEUtilities::networkFailureAlert()
{
    const QUrl closed = server->baseUrl();
    server.reset(); // nobody listens there any more
    pubmed::setBaseUrl(closed);

    // The user has dismissed the alert by the time the receiver hears of the failure.
    int alertsSeenBySearch = -1, alertsSeenByFetch = -1;
    const auto search = run<SearchResult>([&](pubmed* client, auto receiver) {
        client->fetchInfo("123[UID]", [&, receiver](std::optional<SearchResult> result) {
            alertsSeenBySearch = scripted().alerts.size();
            receiver(std::move(result));
        });
    });
    QCOMPARE(search.calls, 1);
    QVERIFY(!search.value);
    QCOMPARE(alertsSeenBySearch, 1);

    const auto fetch = run<QByteArray>([&](pubmed* client, auto receiver) {
        client->fetchResultForQueryKey("1", "MCID_1",
                                       [&, receiver](std::optional<QByteArray> reply) {
                                           alertsSeenByFetch = scripted().alerts.size();
                                           receiver(std::move(reply));
                                       });
    });
    QCOMPARE(fetch.calls, 1);
    QVERIFY(!fetch.value);
    QCOMPARE(alertsSeenByFetch, 2);

    QCOMPARE(scripted().alerts.size(), 2);
    verifyNetworkAlert(scripted().alerts.at(0));
    verifyNetworkAlert(scripted().alerts.at(1));
}

void TestEUtilities::progressTextsGrow()
{
    QStringList pmids;
    for (int i = 1; i <= 40; ++i)
        pmids << QString::number(1000 + i);
    server->addArticles(pmids);
    server->addRule(once(Endpoint::Fetch, Misbehaviour::Trickle));

    QStringList texts;
    const auto answer = run<MultiArticleResult>(
        [&](pubmed* client, auto receiver) {
            client->saveXMLFiles(pmids, cache->path(), PDFs, receiver);
        },
        [&](pubmed* client) {
            client->setStatusTextField([&](const QString& text) { texts << text; });
        });
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.value);
    QCOMPARE(answer.value->success, pmids);

    static const QRegularExpression format("^Downloading data: (\\d+) bytes$");
    QVERIFY2(texts.size() > 2, qPrintable(texts.join('|')));
    qint64 previous = 0;
    for (const QString& text : texts) {
        const QRegularExpressionMatch match = format.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        QVERIFY(match.captured(1).toLongLong() > previous);
        previous = match.captured(1).toLongLong();
    }
    // The last total is the whole fetch reply; the search step reports nothing.
    QCOMPARE(previous, FakeEUtilities::makeFetchReply(pmids, Layout::Compact).size());
}

void TestEUtilities::authentication_data()
{
    QTest::addColumn<QList<std::optional<Credentials>>>("answers");
    QTest::addColumn<int>("prompts");
    QTest::addColumn<bool>("fetched");
    const Credentials right{"reader", "s3cret"};
    const Credentials wrong{"reader", "guess"};
    // One prompt serves both steps: the credential is kept for the session.
    QTest::newRow("right password") << QList<std::optional<Credentials>>{right} << 1 << true;
    QTest::newRow("wrong, then right")
        << QList<std::optional<Credentials>>{wrong, right} << 2 << true;
    QTest::newRow("cancelled") << QList<std::optional<Credentials>>{std::nullopt} << 1 << false;
    QTest::newRow("wrong three times")
        << QList<std::optional<Credentials>>{wrong, Credentials{"reader", "guess2"}, wrong, right}
        << 3 << false;
}

void TestEUtilities::authentication()
{
    QFETCH(QList<std::optional<Credentials>>, answers);
    QFETCH(int, prompts);
    QFETCH(bool, fetched);
    server->requireBasicAuth("reader", "s3cret", "PubMed mirror");
    for (const auto& answer : answers)
        scripted().authAnswers.enqueue(answer);

    const auto answer = saveFiles({"123", "456"}, cache->path());
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QCOMPARE(scripted().authPanels.size(), prompts);
    for (const AuthRequest& request : scripted().authPanels) {
        QCOMPARE(request.realm, QString("PubMed mirror"));
        QCOMPARE(request.host, QString("127.0.0.1"));
    }
    QVERIFY(answer.value);
    if (fetched) {
        QCOMPARE(answer.value->success, (QStringList{"123", "456"}));
        QCOMPARE(filesIn(cache->path()), xmlNames({"123", "456"}));
        QVERIFY(scripted().alerts.isEmpty());
    } else {
        // Refused authentication fails the search like a network failure.
        QCOMPARE(answer.value->fail, (QStringList{"123", "456"}));
        QCOMPARE(server->fetches().size(), 0);
        QCOMPARE(filesIn(cache->path()), QStringList());
        QCOMPARE(scripted().alerts.size(), 1);
        verifyNetworkAlert(scripted().alerts.first());
    }
}

void TestEUtilities::deletingClientAbortsRequest()
{
    server->addRule(always(Endpoint::Search, Misbehaviour::NeverAnswer));
    int calls = 0;
    auto* owner = new QObject;
    QPointer<pubmed> client = new pubmed(owner);
    client->saveXMLFiles({"123"}, cache->path(), PDFs,
                         [&](std::optional<MultiArticleResult>) { ++calls; });
    QVERIFY(QTest::qWaitFor([&] { return server->requests().size() == 1; }, 10000));
    QCOMPARE(server->openConnections(), 1);

    delete owner; // takes the client, and with it the request
    QVERIFY(client.isNull());
    QVERIFY(QTest::qWaitFor([&] { return server->openConnections() == 0; }, 10000));
    QTest::qWait(50);
    QCOMPARE(calls, 0);
    QVERIFY(scripted().alerts.isEmpty());
}

void TestEUtilities::receiverMayDeleteTheClient()
{
    // A window closed from the receiver takes the client with it, mid-delivery.
    QPointer<QObject> owner = new QObject;
    auto* client = new pubmed(owner);
    int calls = 0;
    client->saveXMLFiles({"123"}, cache->path(), PDFs,
                         [&](std::optional<MultiArticleResult> result) {
                             ++calls;
                             QVERIFY(result && result->success == QStringList{"123"});
                             delete owner.data();
                         });
    QVERIFY(QTest::qWaitFor([&] { return owner.isNull(); }, 10000));
    QTest::qWait(50);
    QCOMPARE(calls, 1);
    QCOMPARE(filesIn(cache->path()), xmlNames({"123"}));
}

void TestEUtilities::tenThousandArticles()
{
    QStringList pmids;
    for (int i = 0; i < 10000; ++i)
        pmids << QString::number(20000000 + i);
    server->addArticles(pmids);
    // Correctness, not disk speed, is tested here: keep the files in memory when possible.
    const QFileInfo shm("/dev/shm");
    QTemporaryDir folder(shm.isDir() && shm.isWritable()
                             ? QString("/dev/shm/olvane-test-XXXXXX")
                             : QDir::tempPath() + "/olvane-test-XXXXXX");
    QVERIFY(folder.isValid());

    const auto answer = saveFiles(pmids, folder.path());
    QCOMPARE(answer.calls, 1);
    QVERIFY(answer.clientGone);
    QVERIFY(answer.value);
    QCOMPARE(answer.value->success, pmids);
    QCOMPARE(answer.value->fail, QStringList());
    QCOMPARE(filesIn(folder.path()).size(), 10000);
    for (const QString& pmid : {pmids.first(), pmids.at(5000), pmids.last()})
        QCOMPARE(readAll(folder.path() + "/" + pmid + ".xml"),
                 expectedArticleFile(pmid, Layout::Compact));
}

QTEST_GUILESS_MAIN(TestEUtilities)
#include "tst_eutilities.moc"
