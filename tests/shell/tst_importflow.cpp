// The import end to end, through the application delegate and the main
// window: fake E-utilities server -> client -> per-article files -> reader ->
// database -> trees -> library file -> favorites -> window.
#include "../library/ImportTestSupport.h"
#include "ArticleKeys.h"
#include "FakeEUtilities.h"
#include "ScriptedPanels.h"

#include "library/LibraryFile.h"
#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "shell/MainWindow.h"
#include "shell/SourceController.h"
#include "store/accessDB.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

const QString notPubMedAlert =
    QStringLiteral("The file you are attempting to import does not have the PubMed ID. Olvane "
                   "application does not work with this type of files.");

// One run of the program in process, its window shown offscreen.
struct Run
{
    SourceController controller;
    MainWindow window;

    bool start(const QStringList& favorites = {})
    {
        if (!controller.init())
            return false;
        for (const QString& name : favorites)
            controller.favorite()->addNewFavorite(name);
        controller.awakeFromNib(&window);
        controller.applicationDidFinishLanching();
        window.show();
        return true;
    }
    PMIDLibrary& library() { return *controller.library(); }
    QString status() const { return window.statusMessage()->text(); }
    bool busy() const { return window.progressIndicator()->isVisible(); }
    int row() const { return window.sourceView()->currentRow(); }
};

// The E-utilities on 127.0.0.1 knowing `pmids`; the client is pointed at it.
struct Server
{
    explicit Server(const QStringList& pmids = {})
    {
        if (!fake.start())
            qFatal("no port for the fake E-utilities");
        fake.addArticles(pmids);
        pubmed::setBaseUrl(fake.baseUrl());
        clock.start();
        QObject::connect(&fake, &FakeEUtilities::requestReceived,
                         [this] { arrivals.append(clock.elapsed()); });
    }
    // The PMIDs a search asked for, in order.
    static QStringList terms(const FakeEUtilities::Request& search)
    {
        const QString target = QString::fromUtf8(QByteArray::fromPercentEncoding(search.target));
        QStringList pmids;
        static const QRegularExpression uid(QStringLiteral("\\+?([^+&]+)\\[UID\\]"));
        for (const auto& match : uid.globalMatch(target))
            pmids.append(match.captured(1));
        return pmids;
    }

    FakeEUtilities fake;
    QElapsedTimer clock;
    QList<qint64> arrivals;
};

QStringList numbered(int first, int count)
{
    QStringList pmids;
    for (int i = 0; i < count; ++i)
        pmids.append(QString::number(first + i));
    return pmids;
}

QString filepathOf(PMIDLibrary& library, const QString& id)
{
    const auto records = library.DB().articleInformationOfArticleIDs({ArticleKey{"pmid", id}});
    return records.size() == 1 ? records.first().filepath : QStringLiteral("<no row>");
}

QList<ArticleKey> favoriteKeys(const QString& preferenceDir, int index)
{
    const QVariantMap file =
        PropertyList::readFile(preferenceDir + "/favorite.dat").value_or(QVariant()).toMap();
    QList<ArticleKey> keys;
    const QVariantMap list = file.value("favoriteList").toList().value(index).toMap();
    for (const QVariant& key : list.value("list").toList())
        keys.append(*ArticleKey::fromVariant(key));
    return keys;
}

// The journal entries of the library file on disk, "journal/year: count".
QStringList journalsOnDisk(const QString& preferenceDir)
{
    QStringList lines;
    const auto record = LibraryFile::readFile(preferenceDir + "/library.dat");
    if (!record)
        return {"unreadable"};
    for (const NameMap& names : record->journalList)
        for (auto name = names.cbegin(); name != names.cend(); ++name)
            for (auto year = name->cbegin(); year != name->cend(); ++year)
                lines.append(name.key() + "/" + year.key() + ": " + QString::number(year->size()));
    return lines;
}

} // namespace

class TestImportFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paperFolderScanInPacedBatches();
    void folderAlreadyInLibrarySubmitsNothing();
    void emptyOrCancelledImportDoesNothing();
    void dropGoesToTheSelectedList_data();
    void dropGoesToTheSelectedList();
    void chosenFolderReportsWhatPubMedLacks_data();
    void chosenFolderReportsWhatPubMedLacks();
    void failureInOneBatchSparesTheOthers_data();
    void failureInOneBatchSparesTheOthers();
    void unrequestedArticleInReply();
    void ownPathsPresentArticlesAndReimport();
    void singlePDFFromTheWeb_data();
    void singlePDFFromTheWeb();
    void pubMedResultsWithoutPDF();
    void rebuildTreesFromCache();
    void openedFiles();
    void filesOnTheCommandLine();
};

void TestImportFlow::paperFolderScanInPacedBatches()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    const QStringList pmids = numbered(10000, 250);
    Server server(pmids);
    for (const QString& id : pmids)
        home.pdf(home.paperFolder, id + ".pdf");
    home.pdf(home.paperFolder, "notes.txt");
    Run run;
    QVERIFY(run.start());
    DoneRecorder done;
    QList<qint64> ticks; // on the server's clock
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks.append(server.clock.elapsed()); });
    ticker.start(50);

    run.window.importNewArticlesAction()->trigger();

    QCOMPARE(run.status(), QString("250 articles are being imported"));
    QVERIFY(run.busy());
    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 3, 20000);

    // Three requests of 100, 100 and 50, in order, a pause after each.
    const auto searches = server.fake.searches();
    QCOMPARE(searches.size(), 3);
    QCOMPARE(Server::terms(searches[0]), pmids.mid(0, 100));
    QCOMPARE(Server::terms(searches[1]), pmids.mid(100, 100));
    QCOMPARE(Server::terms(searches[2]), pmids.mid(200));
    const QList<qint64> sent = run.library().pacer().requestTimes();
    QCOMPARE(sent.size(), 3);
    QVERIFY2(sent[1] - sent[0] >= 1000 && sent[2] - sent[1] >= 1000,
             qPrintable(QString("sent at %1, %2, %3 ms").arg(sent[0]).arg(sent[1]).arg(sent[2])));
    QList<qint64> searchArrivals;
    for (int i = 0; i < server.fake.requests().size(); ++i)
        if (server.fake.requests()[i].isSearch())
            searchArrivals.append(server.arrivals[i]);
    QVERIFY(searchArrivals[1] - searchArrivals[0] >= 900);
    QVERIFY(searchArrivals[2] - searchArrivals[1] >= 900);
    // The window kept running through the pauses: a timer ticked between
    // the requests (some 40 times in the two seconds, less the imports).
    const auto ticked = std::count_if(ticks.begin(), ticks.end(), [&](qint64 t) {
        return t > searchArrivals.first() && t < searchArrivals.last();
    });
    QVERIFY2(ticked >= 10, qPrintable(QString::number(ticked)));

    QTRY_VERIFY(!run.busy());
    // The import's message is gone: the library shown again counts its articles.
    QVERIFY2(run.status().contains(" of 250 papers"), qPrintable(run.status()));
    QVERIFY(panels->alerts.isEmpty());
    QCOMPARE(run.library().DB().numberOfAllArticles(), 250);
    // Already in the paper folder: stored where it is, not copied.
    QCOMPARE(filepathOf(run.library(), "10007"), home.paperFolder + "/10007.pdf");
    QCOMPARE(QDir(home.paperFolder).entryList(QDir::Files).size(), 251);
    QCOMPARE(journalsOnDisk(home.preferenceDir), QStringList{"Cryobiology/2001: 250"});
    QCOMPARE(QDir(home.cacheDir).entryList(QDir::Files).size(), 250);
}

void TestImportFlow::folderAlreadyInLibrarySubmitsNothing()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server;
    for (const QString id : {"71", "72"}) {
        home.cacheArticle(id);
        home.pdf(home.paperFolder, id + ".pdf");
    }
    Run run;
    QVERIFY(run.start());
    run.controller.importNewInArticleDirectory();
    QCOMPARE(run.library().DB().numberOfAllArticles(), 2);
    QVERIFY(run.library().pacer().requestTimes().isEmpty());

    DoneRecorder done;
    run.window.statusMessage()->setText("something");
    run.window.importNewArticlesAction()->trigger();

    QVERIFY(done.posts.isEmpty());
    QCOMPARE(run.library().pacer().pending(), 0);
    QCOMPARE(run.status(), QString()); // cleared at once
    QVERIFY(!run.busy());
    QTest::qWait(100);
    QVERIFY(server.fake.requests().isEmpty());
}

void TestImportFlow::emptyOrCancelledImportDoesNothing()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server;
    Run run;
    QVERIFY(run.start());
    DoneRecorder done;
    run.window.statusMessage()->setText("unchanged");

    run.controller.importArticlesByDandD({});
    NotificationCenter::defaultCenter().post("importArticle", QStringList());
    run.window.importFromFolderAction()->trigger(); // the user cancels the panel

    QCOMPARE(panels->openPanels.size(), 1);
    const FilePanelRequest& asked = panels->openPanels.first();
    QVERIFY(asked.chooseDirectories && !asked.chooseFiles);
    QCOMPARE(asked.directory, home.home.path());
    QCOMPARE(run.status(), QString("unchanged"));
    QVERIFY(!run.busy());
    QVERIFY(done.posts.isEmpty());
    QCOMPARE(run.library().pacer().pending(), 0);
}

void TestImportFlow::dropGoesToTheSelectedList_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("list"); // favorites index that gains the articles, -1 none
    QTest::addColumn<int>("rowAfter");
    QTest::addColumn<QString>("caption");
    QTest::newRow("favorites row") << 3 << 1 << 3 << "Search the Favorite";
    QTest::newRow("library row") << 0 << -1 << 0 << "Search Library";
    QTest::newRow("PubMed search row") << 1 << -1 << 0 << "Search Library";
}

void TestImportFlow::dropGoesToTheSelectedList()
{
    QFETCH(int, selected);
    QFETCH(int, list);
    QFETCH(int, rowAfter);
    QFETCH(QString, caption);
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server({"11", "12"});
    const QStringList paths{home.pdf(home.downloads, "11.pdf"), home.pdf(home.downloads, "12.pdf")};
    Run run;
    QVERIFY(run.start({"Favorite", "Reading"}));
    run.window.sourceView()->setCurrentRow(selected);
    DoneRecorder done;

    NotificationCenter::defaultCenter().post("importArticle", paths);

    QCOMPARE(run.controller.droppedRow, unsigned(list >= 0 ? selected : 0));
    QCOMPARE(run.status(), QString("2 articles are being imported"));
    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 1, 10000);
    QVERIFY(panels->alerts.isEmpty());
    QCOMPARE(run.row(), rowAfter);
    QCOMPARE(run.window.searchTextField()->text(), caption); // the row was shown again
    QVERIFY(!run.busy());
    for (int i = 0; i < 2; ++i)
        QCOMPARE(favoriteKeys(home.preferenceDir, i),
                 i == list ? pmidKeys({"11", "12"}) : QList<ArticleKey>());
    QCOMPARE(filepathOf(run.library(), "12"), home.paperFolder + "/12.pdf");
    QCOMPARE(readAll(home.paperFolder + "/12.pdf"), readAll(paths[1]));
}

void TestImportFlow::chosenFolderReportsWhatPubMedLacks_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("reported"); // the alert's text; empty: no alert
    QTest::addColumn<QStringList>("imported");
    QTest::addColumn<QStringList>("searched");
    QTest::newRow("unknown PMIDs") << QStringList{"1.pdf", "2.pdf", "3.pdf"} << "1, 2, 3"
                                   << QStringList() << QStringList{"1", "2", "3"};
    QTest::newRow("not a PMID") << QStringList{"123.pdf.bak", "21.pdf", "readme.txt"} << "123.bak"
                                << QStringList{"21"} << QStringList{"21"};
    QTest::newRow("names like SQL and search syntax")
        << QStringList{"1 OR 1=1.pdf", "21.pdf", "22[UID].pdf", "x');DROP TABLE articles;--.pdf"}
        << "1 OR 1=1, 22[UID], x');DROP TABLE articles;--" << QStringList{"21"}
        << QStringList{"21"};
    QTest::newRow("all known") << QStringList{"21.pdf", "22.pdf"} << "" << QStringList{"21", "22"}
                               << QStringList{"21", "22"};
}

void TestImportFlow::chosenFolderReportsWhatPubMedLacks()
{
    QFETCH(QStringList, files);
    QFETCH(QString, reported);
    QFETCH(QStringList, imported);
    QFETCH(QStringList, searched);
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server({"21", "22"});
    const QString folder = home.home.path() + "/chosen";
    for (const QString& name : files)
        home.pdf(folder, name);
    panels->openAnswers.enqueue({folder});
    Run run;
    QVERIFY(run.start());
    DoneRecorder done;

    run.window.importFromFolderAction()->trigger();

    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 1, 10000);
    QVERIFY(!run.busy());
    // Only real PMIDs ever reach PubMed.
    QStringList asked;
    for (const auto& search : server.fake.searches())
        asked += Server::terms(search);
    QCOMPARE(asked, searched);
    if (reported.isEmpty()) {
        QVERIFY(panels->alerts.isEmpty());
    } else {
        QCOMPARE(panels->alerts.size(), 1);
        const Alert& alert = panels->alerts.first();
        QCOMPARE(alert.style, Alert::Style::Critical);
        QCOMPARE(alert.message, notPubMedAlert);
        QCOMPARE(alert.informativeText, reported);
        QCOMPARE(alert.defaultButton, QString("OK"));
        QVERIFY(alert.alternateButton.isEmpty() && alert.otherButton.isEmpty());
    }
    QCOMPARE(run.library().DB().numberOfAllArticles(), imported.size());
    for (const QString& id : imported)
        QCOMPARE(filepathOf(run.library(), id), home.paperFolder + "/" + id + ".pdf");
    for (const QString& name : files)
        QVERIFY(QFileInfo::exists(folder + "/" + name)); // the user's files stay
}

void TestImportFlow::failureInOneBatchSparesTheOthers_data()
{
    using F = FakeEUtilities;
    QTest::addColumn<int>("endpoint");
    QTest::addColumn<int>("misbehaviour");
    QTest::addColumn<bool>("listed"); // the second batch's PMIDs are in the import alert
    // A failed search reports the whole batch as not obtained; a failed
    // fetch gives no result (the client has told the user already).
    QTest::newRow("500 on search")
        << int(F::Endpoint::Search) << int(F::Misbehaviour::Status500) << true;
    QTest::newRow("429 on search")
        << int(F::Endpoint::Search) << int(F::Misbehaviour::Status429) << true;
    QTest::newRow("search times out")
        << int(F::Endpoint::Search) << int(F::Misbehaviour::NeverAnswer) << true;
    QTest::newRow("fetch cut off")
        << int(F::Endpoint::Fetch) << int(F::Misbehaviour::CutOff) << false;
}

void TestImportFlow::failureInOneBatchSparesTheOthers()
{
    QFETCH(int, endpoint);
    QFETCH(int, misbehaviour);
    QFETCH(bool, listed);
    ImportHome home;
    ScriptedPanelsScope panels;
    const QStringList pmids = numbered(5000, 150);
    Server server(pmids);
    pubmed::setTimeouts(std::chrono::milliseconds(500), std::chrono::milliseconds(500));
    const auto restoreTimeouts = qScopeGuard(
        [] { pubmed::setTimeouts(std::chrono::seconds(60), std::chrono::seconds(300)); });
    for (const QString& id : pmids)
        home.pdf(home.downloads, id + ".pdf");
    // Misbehave from the second batch's first request on.
    const auto endpointOf = FakeEUtilities::Endpoint(endpoint);
    QObject::connect(&server.fake, &FakeEUtilities::requestReceived, [&] {
        if (server.fake.searches().size() ==
                (endpointOf == FakeEUtilities::Endpoint::Search ? 1 : 2) &&
            server.fake.requests().last().isSearch())
            server.fake.addRule(
                {endpointOf, FakeEUtilities::Misbehaviour(misbehaviour), 1, {}, {}, false});
    });
    Run run;
    QVERIFY(run.start());
    DoneRecorder done;

    run.controller.importNewInArticle(QDir(home.downloads).entryList(QDir::Files), home.downloads);

    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 2, 20000);
    QVERIFY(!run.busy());
    QCOMPARE(run.library().DB().numberOfAllArticles(), 100); // the first batch
    QCOMPARE(filepathOf(run.library(), "5099"), home.paperFolder + "/5099.pdf");
    QCOMPARE(filepathOf(run.library(), "5100"), QString("<no row>"));

    QStringList reported;
    for (const Alert& alert : panels->alerts)
        if (alert.message == notPubMedAlert)
            reported.append(alert.informativeText);
    QCOMPARE(reported, listed ? QStringList{pmids.mid(100).join(", ")} : QStringList());
    for (const QString& id : pmids.mid(100))
        QVERIFY(QFileInfo::exists(home.downloads + "/" + id + ".pdf"));
}

void TestImportFlow::unrequestedArticleInReply()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server({"60"});
    server.fake.addRule({FakeEUtilities::Endpoint::Fetch,
                         FakeEUtilities::Misbehaviour::None,
                         1,
                         {},
                         {"61"},
                         false});
    const QString pdf = home.pdf(home.downloads, "60.pdf");
    Run run;
    QVERIFY(run.start({"Favorite"}));
    run.window.sourceView()->setCurrentRow(2);
    DoneRecorder done;

    NotificationCenter::defaultCenter().post("importArticle", QStringList{pdf});

    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 1, 10000);
    QCOMPARE(done.posts.first().userInfo.value("success").toStringList(),
             QStringList({"60", "61"}));
    QVERIFY(panels->alerts.isEmpty());
    QCOMPARE(filepathOf(run.library(), "60"), home.paperFolder + "/60.pdf");
    QCOMPARE(filepathOf(run.library(), "61"), QString("none"));
    QCOMPARE(favoriteKeys(home.preferenceDir, 0), pmidKeys({"60", "61"}));
    QCOMPARE(run.row(), 2);
}

void TestImportFlow::ownPathsPresentArticlesAndReimport()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server({"21", "22"});
    UserDefaults::standard().setBool(false, "copyPDFtoFolder");
    const QStringList paths{home.pdf(home.downloads, "21.pdf"), home.pdf(home.downloads, "22.pdf")};
    Run run;
    QVERIFY(run.start());
    DoneRecorder done;

    // Copying off: the articles point at the user's own files.
    run.controller.importArticlesByDandD(paths);
    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 1, 10000);
    QCOMPARE(filepathOf(run.library(), "21"), paths[0]);
    QVERIFY(QDir(home.paperFolder).entryList(QDir::Files).isEmpty());
    QCOMPARE(server.fake.searches().size(), 1);
    const QString firstNumber = run.library()
                                    .DB()
                                    .articleInformationOfArticleIDs({ArticleKey{"pmid", "21"}})
                                    .first()
                                    .OlvaneID;

    // Already in the library: nothing is asked of PubMed, nothing posted.
    run.controller.importArticlesByDandD(paths);
    QTest::qWait(50);
    QCOMPARE(done.posts.size(), 1);
    QCOMPARE(server.fake.searches().size(), 1);

    // Removed, then imported again: a new row with a new number.
    run.library().deleteArticle(ArticleKey{"pmid", "21"});
    QCOMPARE(run.library().DB().numberOfAllArticles(), 1);
    run.controller.importArticlesByDandD({paths[0]});
    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 2, 10000);
    QCOMPARE(run.library().DB().numberOfAllArticles(), 2);
    const auto again =
        run.library().DB().articleInformationOfArticleIDs({ArticleKey{"pmid", "21"}});
    QCOMPARE(again.size(), 1);
    QVERIFY(again.first().OlvaneID != firstNumber);
    QCOMPARE(again.first().filepath, paths[0]);
    QVERIFY(panels->alerts.isEmpty());
}

void TestImportFlow::singlePDFFromTheWeb_data()
{
    QTest::addColumn<QString>("pmid");
    QTest::addColumn<bool>("known");
    QTest::newRow("known to PubMed") << "81" << true;
    QTest::newRow("unknown to PubMed") << "82" << false;
}

void TestImportFlow::singlePDFFromTheWeb()
{
    QFETCH(QString, pmid);
    QFETCH(bool, known);
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server({"81"});
    const QString pdf = home.pdf(home.downloads, pmid + ".pdf");
    Run run;
    QVERIFY(run.start({"Favorite"}));
    run.window.sourceView()->setCurrentRow(2);
    run.controller.droppedRow = 2;
    DoneRecorder done;

    QVERIFY(run.library().addArticlePDFFile(pdf));

    QTRY_COMPARE_WITH_TIMEOUT(done.posts.size(), 1, 10000);
    QCOMPARE(done.posts.first().userInfo, QVariantMap({{"userInfo", "single"}}));
    QCOMPARE(done.posts.first().object.toString(), known ? pmid : QString());
    QCOMPARE(run.library().DB().numberOfAllArticles(), known ? 1 : 0);
    QCOMPARE(favoriteKeys(home.preferenceDir, 0), known ? pmidKeys({pmid}) : QList<ArticleKey>());
    QCOMPARE(run.row(), 2);
    QVERIFY(panels->alerts.isEmpty());
    QVERIFY(!run.busy());
}

void TestImportFlow::pubMedResultsWithoutPDF()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    LogCapture log;
    Server server({"32"});
    home.cacheArticle("31");
    home.pdf(home.downloads, "31.pdf");
    home.cacheFile("33", "<PubmedArticleSet><PubmedArt");
    Run run;
    QVERIFY(run.start({"Favorite"}));
    run.library().addArticlesOfPDFFiles({"31"}, home.downloads);
    QCOMPARE(filepathOf(run.library(), "31"), home.paperFolder + "/31.pdf");
    run.controller.droppedRow = 2;
    DoneRecorder done;

    run.controller.importPubMedArticles({"31", "33", "32"});

    QCOMPARE(run.status(), QString("3 articles are being imported"));
    QTRY_VERIFY_WITH_TIMEOUT(!run.busy(), 10000);
    QVERIFY(done.posts.isEmpty());
    QCOMPARE(Server::terms(server.fake.searches().value(0)), QStringList{"32"});
    QCOMPARE(filepathOf(run.library(), "32"), QString("none"));
    // Already in the library with its PDF: the PDF is kept.
    QCOMPARE(filepathOf(run.library(), "31"), home.paperFolder + "/31.pdf");
    // Unreadable: skipped, the rest still imported and the display stopped.
    QCOMPARE(filepathOf(run.library(), "33"), QString("<no row>"));
    QVERIFY(log.lines.contains("file not exist??"));
    QCOMPARE(favoriteKeys(home.preferenceDir, 0), pmidKeys({"31", "32"}));
    QCOMPARE(run.row(), 2);
    QCOMPARE(run.status(), QString());
    QVERIFY(run.library().authorList().value("P").contains("Park, YS"));
    QVERIFY(run.library().journalList().value("C").contains("Cryobiology"));
}

void TestImportFlow::rebuildTreesFromCache()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    Server server;
    for (const char* name : {"metapub__31789841.xml", "metapub__37167981.xml"}) {
        const QString pmid = QString(name).section("__", 1).section('.', 0, 0);
        home.cacheFile(pmid, fixtureBytes(QString("ncbi/") + name));
    }
    home.cacheFile("29963580", fixtureBytes("ncbi/biopython__pubmed7.xml"));
    home.cacheFile("999", "not xml at all");
    home.write(home.cacheDir + "/notes.txt", "x");
    Run run;
    QVERIFY(run.start());
    const QByteArray fileBefore = readAll(home.preferenceDir + "/library.dat");

    run.window.rebuildViewAction()->trigger();

    QCOMPARE(run.status(), QString("Done"));
    QVERIFY(!run.busy());
    const QStringList journals{"A/Acad Med/2020: pmid 31789841",
                               "J/J Med Imaging (Bellingham)/2018: pmid 29963580",
                               "P/Phys Med Biol/2023: pmid 37167981"};
    const auto lines = [&] {
        QStringList all;
        for (auto i = run.library().journalList().cbegin(); i != run.library().journalList().cend();
             ++i)
            for (auto n = i->cbegin(); n != i->cend(); ++n)
                for (auto y = n->cbegin(); y != n->cend(); ++y) {
                    QStringList ids;
                    for (const ArticleKey& key : *y)
                        ids.append(key.type + " " + key.ID);
                    all.append(i.key() + "/" + n.key() + "/" + y.key() + ": " + ids.join(", "));
                }
        return all;
    };
    QCOMPARE(lines(), journals);
    QVERIFY(run.library().authorList().value("Z").value("Zambianchi, P").contains("2023"));
    // Adds without duplicates, and leaves the file to the next write.
    run.controller.reconstructAuthorJournal();
    QCOMPARE(lines(), journals);
    QCOMPARE(readAll(home.preferenceDir + "/library.dat"), fileBefore);
}

void TestImportFlow::openedFiles()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    LogCapture log;
    Server server;
    home.cacheArticle("41");
    home.cacheArticle("42");
    const QString first = home.pdf(home.downloads, "41.pdf");
    const QString second = home.pdf(home.home.path() + "/elsewhere", "42.pdf");
    Run run;
    QVERIFY(run.start({"Favorite"}));
    run.controller.droppedRow = 2;
    run.window.sourceView()->setCurrentRow(0);

    run.controller.applicationOpenFiles(
        {first, home.downloads + "/missing.pdf", QUrl::fromLocalFile(second).toString()});

    QVERIFY(log.lines.contains(home.downloads + "/missing.pdf does not exist; not imported"));
    QCOMPARE(run.controller.droppedRow, 2u); // as left by the last drop
    // Each file is taken from its own folder.
    QCOMPARE(filepathOf(run.library(), "41"), home.paperFolder + "/41.pdf");
    QCOMPARE(filepathOf(run.library(), "42"), home.paperFolder + "/42.pdf");
    QCOMPARE(readAll(home.paperFolder + "/42.pdf"), readAll(second));
    QCOMPARE(favoriteKeys(home.preferenceDir, 0), pmidKeys({"41", "42"}));
}

void TestImportFlow::filesOnTheCommandLine()
{
    // The real program, started the way the desktop file starts it.
    ImportHome home;
    home.cacheArticle("91");
    const QString pdf = home.pdf(home.downloads, "91.pdf");
    QProcess olvane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.home.path());
    env.insert("XDG_CONFIG_HOME", home.home.path() + "/.config");
    env.insert("XDG_STATE_HOME", home.home.path() + "/.local/state");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // The article is in the cache folder, so nothing is fetched; should that
    // break, whatever is sent goes to a closed local port.
    for (const char* proxy : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"})
        env.insert(proxy, "http://127.0.0.1:9");
    env.remove("no_proxy");
    env.remove("NO_PROXY");
    olvane.setProcessEnvironment(env);
    olvane.setProcessChannelMode(QProcess::ForwardedChannels);
    olvane.start(OLVANE_EXECUTABLE, {pdf, home.downloads + "/gone.pdf"});
    QVERIFY(olvane.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(home.paperFolder + "/91.pdf") &&
                                 journalsOnDisk(home.preferenceDir) ==
                                     QStringList{"Acad Med/2020: 1"},
                             20000);
    ::kill(pid_t(olvane.processId()), SIGTERM);
    QVERIFY(olvane.waitForFinished(20000));
    QCOMPARE(olvane.exitCode(), 0);
    const QByteArray log = readAll(home.home.path() + "/.local/state/Olvane/olvane.log");
    QVERIFY(log.contains(
        QByteArray(home.downloads.toUtf8() + "/gone.pdf does not exist; not imported")));
}

QTEST_MAIN(TestImportFlow)
#include "tst_importflow.moc"
