// The library half of the import: batch and single completions on real
// cached XML files, placing PDFs, bad input, and the request pacer.
#include "ImportTestSupport.h"
#include "LibraryTestSupport.h"
#include "ScriptedPanels.h"

#include "library/PMIDLibrary.h"
#include "library/PubMedPacer.h"
#include "store/accessDB.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

std::optional<ArticleRecord> recordOf(PMIDLibrary& library, const QString& id)
{
    const QList<ArticleRecord> records = library.DB().articleInformationOfArticleIDs({pmid(id)});
    if (records.size() != 1)
        return std::nullopt;
    return records.first();
}

QString filepathOf(PMIDLibrary& library, const QString& id)
{
    const auto record = recordOf(library, id);
    return record ? record->filepath : QStringLiteral("<no row>");
}

bool logged(const LogCapture& log, const QString& text)
{
    return std::any_of(log.lines.begin(), log.lines.end(),
                       [&](const QString& line) { return line.contains(text); });
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data();
    void fileNames();
    void cachedBatchImportsEverything();
    void badInputInABatchIsReportedNotSent();
    void unrequestedArticleAndMissingPDFKeepStoredPaths();
    void reimportAfterRemoval();
    void placingPDFs_data();
    void placingPDFs();
    void singlePDF_data();
    void singlePDF();
    void pacerSpacesRequestsWithoutBlocking();
    void pacerPausesOnlyAfterRequests();
};

void TestImport::fileNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pmid"); // null: not an article file
    QTest::addColumn<bool>("checkPMID");
    QTest::addColumn<bool>("isPMID");
    QTest::newRow("PMID") << "/a/123.pdf"
                          << "123" << true << true;
    QTest::newRow("first .pdf only") << "123.pdf.bak"
                                     << "123.bak" << true << false;
    QTest::newRow("last component only") << "/x.pdf/77.pdf"
                                         << "77" << true << true;
    QTest::newRow("case-sensitive") << "/a/123.PDF" << QString() << false << false;
    QTest::newRow("no extension") << "/a/123" << QString() << false << false;
    QTest::newRow("leading zero") << "0042.pdf"
                                  << "0042" << true << false;
    QTest::newRow("zero") << "0.pdf"
                          << "0" << false << false;
    QTest::newRow("SQL") << "1 OR 1=1.pdf"
                         << "1 OR 1=1" << true << false;
    QTest::newRow("search syntax") << "1[UID]+OR+2.pdf"
                                   << "1[UID]+OR+2" << true << false;
    QTest::newRow("other digits") << QString::fromUtf8("١٢.pdf") << QString::fromUtf8("١٢") << false
                                  << false;
}

void TestImport::fileNames()
{
    QFETCH(QString, path);
    QFETCH(QString, pmid);
    const auto got = PMIDLibrary::pmidOfFile(path);
    QCOMPARE(got.value_or(QString()), pmid);
    QCOMPARE(got.has_value(), !pmid.isNull());
    if (got) {
        QTEST(PMIDLibrary::checkPMID(*got), "checkPMID");
        QTEST(PMIDLibrary::isPMID(*got), "isPMID");
    }
}

void TestImport::cachedBatchImportsEverything()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    PMIDLibrary library;
    DoneRecorder done;
    for (const QString id : {"101", "102"}) {
        home.cacheArticle(id);
        home.pdf(home.downloads, id + ".pdf");
    }

    QVERIFY(library.addArticlesOfPDFFiles({"101", "102"}, home.downloads));

    // Everything was cached: done inside the call, no request, no pause.
    QCOMPARE(done.posts.size(), 1);
    const Notification& n = done.posts.first();
    QCOMPARE(n.object.toString(), QString("102"));
    QCOMPARE(n.userInfo.value("userInfo").toString(), QString("multi"));
    QCOMPARE(n.userInfo.value("success").toStringList(), QStringList({"101", "102"}));
    QCOMPARE(n.userInfo.value("fail").toStringList(), QStringList());
    QVERIFY(library.pacer().requestTimes().isEmpty());
    QVERIFY(panels->alerts.isEmpty());

    for (const QString id : {"101", "102"}) {
        const QString copy = home.paperFolder + "/" + id + ".pdf";
        QCOMPARE(filepathOf(library, id), copy);
        QCOMPARE(readAll(copy), readAll(home.downloads + "/" + id + ".pdf"));
        QVERIFY(QFileInfo::exists(home.downloads + "/" + id + ".pdf")); // the user's file stays
    }
    const auto record = recordOf(library, "101");
    QVERIFY(record);
    QCOMPARE(record->journal, QString("Acad Med"));
    QCOMPARE(record->year, QString("2020"));
    QCOMPARE(record->OlvaneID, QString("1"));

    // Filed in both trees, and the library file written with them.
    const QStringList journal{"A/Acad Med/2020: pmid 101, pmid 102"};
    QCOMPARE(linesOf(library.journalList()), journal);
    QVERIFY(linesOf(library.authorList()).contains("P/Park, YS/2020: pmid 101, pmid 102"));
    const QStringList onDisk = fileLines(home.preferenceDir + "/library.dat");
    QVERIFY(onDisk.contains("journalList " + journal.first()));
}

void TestImport::badInputInABatchIsReportedNotSent()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    LogCapture log;
    PMIDLibrary library;
    DoneRecorder done;
    home.cacheArticle("201");
    home.cacheFile("202", "<PubmedArticleSet><PubmedArticle><MedlineCitation>"); // cut off
    home.cacheFile("203", "");
    home.cacheArticle("204");
    for (const QString id : {"201", "202", "203", "204"})
        home.pdf(home.downloads, id + ".pdf");

    // One bad term would spoil the search for every PMID of the batch.
    const QStringList batch{"201", "202", "123.bak", "1;DROP TABLE articles", "203", "0042", "204"};
    library.addArticlesOfPDFFiles(batch, home.downloads);

    // Only good, cached PMIDs reached the client, so nothing was requested.
    QVERIFY(library.pacer().requestTimes().isEmpty());
    QVERIFY(panels->alerts.isEmpty());
    QCOMPARE(done.posts.size(), 1);
    const QVariantMap info = done.posts.first().userInfo;
    QCOMPARE(info.value("success").toStringList(), QStringList({"201", "204"}));
    QCOMPARE(info.value("fail").toStringList(),
             QStringList({"202", "123.bak", "1;DROP TABLE articles", "203", "0042"}));
    QCOMPARE(done.posts.first().object.toString(), QString("204"));
    QCOMPARE(log.lines.count("file not exist??"), 2);

    // The good rows are whole; nothing else was written, the table is intact.
    QCOMPARE(library.DB().numberOfAllArticles(), 2);
    QCOMPARE(filepathOf(library, "204"), home.paperFolder + "/204.pdf");
    QVERIFY(!QFileInfo::exists(home.paperFolder + "/202.pdf"));
    QCOMPARE(linesOf(library.journalList()), QStringList{"A/Acad Med/2020: pmid 201, pmid 204"});
}

void TestImport::unrequestedArticleAndMissingPDFKeepStoredPaths()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    LogCapture log;
    PMIDLibrary library;
    DoneRecorder done;
    for (const QString id : {"301", "302", "303"})
        home.cacheArticle(id);
    home.pdf(home.downloads, "301.pdf");
    library.addArticlesOfPDFFiles({"301"}, home.downloads);
    QCOMPARE(filepathOf(library, "301"), home.paperFolder + "/301.pdf");

    // The PDFs of 301 and 302 are not in the folder: 301 came along in a
    // reply for 302 (nobody asked for it), 303 is simply missing.
    QFile::remove(home.downloads + "/301.pdf");
    QFile::remove(home.paperFolder + "/301.pdf");
    library.importArticlesInfomationFromXMLofPMIDPDF(
        MultiArticleResult{{"302", "301", "303"}, {}, home.downloads});

    QCOMPARE(done.posts.last().userInfo.value("success").toStringList(),
             QStringList({"302", "301", "303"}));
    QVERIFY(panels->alerts.isEmpty());
    // Never a path to nothing, and an existing PDF path is not wiped.
    QCOMPARE(filepathOf(library, "302"), QString("none"));
    QCOMPARE(filepathOf(library, "303"), QString("none"));
    QCOMPARE(filepathOf(library, "301"), home.paperFolder + "/301.pdf");
    QVERIFY(logged(log, home.downloads + "/302.pdf is not exist."));
}

void TestImport::reimportAfterRemoval()
{
    ImportHome home;
    ScriptedPanelsScope panels;
    PMIDLibrary library;
    home.cacheArticle("401");
    home.pdf(home.downloads, "401.pdf");
    library.addArticlesOfPDFFiles({"401"}, home.downloads);
    library.deleteArticle(pmid("401"));
    QVERIFY(!library.haveArticle(pmid("401")));
    QVERIFY(linesOf(library.journalList()).isEmpty());

    library.addArticlesOfPDFFiles({"401"}, home.downloads);

    QVERIFY(library.haveArticle(pmid("401")));
    const auto record = recordOf(library, "401");
    QVERIFY(record);
    QCOMPARE(record->OlvaneID, QString("2")); // a new row; the removed one keeps number 1
    // The PDF copied the first time is still in the paper folder and is used.
    QCOMPARE(record->filepath, home.paperFolder + "/401.pdf");
    QCOMPARE(linesOf(library.journalList()), QStringList{"A/Acad Med/2020: pmid 401"});
}

void TestImport::placingPDFs_data()
{
    // Paths are relative to the home folder; "paper/" is the paper folder.
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QStringList>("present"); // files made first
    QTest::addColumn<QString>("expected");    // "none": no value
    QTest::addColumn<bool>("copied");         // expected holds a new copy of source
    QTest::addColumn<bool>("paperIsFile");    // the paper folder cannot be written

    const QStringList none;
    QTest::newRow("PubMed PDF copied")
        << "in/5.pdf"
        << "pmid" << true << QStringList{"in/5.pdf"} << "paper/5.pdf" << true << false;
    QTest::newRow("already in the paper folder")
        << "paper/5.pdf"
        << "pmid" << true << QStringList{"paper/5.pdf"} << "paper/5.pdf" << false << false;
    QTest::newRow("paper folder has it from before")
        << "in/5.pdf"
        << "pmid" << true << QStringList{"in/5.pdf", "paper/5.pdf"} << "paper/5.pdf" << false
        << false;
    QTest::newRow("copying off") << "in/5.pdf"
                                 << "pmid" << false << QStringList{"in/5.pdf"} << "in/5.pdf"
                                 << false << false;
    QTest::newRow("copying off, missing") << "in/5.pdf"
                                          << "pmid" << false << none << "none" << false << false;
    QTest::newRow("missing") << "in/5.pdf"
                             << "pmid" << true << none << "none" << false << false;
    QTest::newRow("a folder, not a file")
        << "in/5.pdf"
        << "pmid" << true << QStringList{"in/5.pdf/x"} << "none" << false << false;
    QTest::newRow("user PDF") << "in/a.pdf"
                              << "User" << true << QStringList{"in/a.pdf"} << "paper/User/a.pdf"
                              << true << false;
    QTest::newRow("user PDF, names taken")
        << "in/a.pdf"
        << "User" << true << QStringList{"in/a.pdf", "paper/User/a.pdf", "paper/User/a-2.pdf"}
        << "paper/User/a-3.pdf" << true << false;
    // The user's file stays where it is, and nothing half-copied is left.
    QTest::newRow("paper folder cannot be written")
        << "in/5.pdf"
        << "pmid" << true << QStringList{"in/5.pdf"} << "in/5.pdf" << false << true;
    QTest::newRow("read fails midway")
        << "/proc/self/mem"
        << "pmid" << true << none << "/proc/self/mem" << false << false;
}

void TestImport::placingPDFs()
{
    QFETCH(QString, source);
    QFETCH(QString, type);
    QFETCH(bool, copy);
    QFETCH(QStringList, present);
    QFETCH(QString, expected);
    QFETCH(bool, copied);
    QFETCH(bool, paperIsFile);
    ImportHome home;
    ScriptedPanelsScope panels;
    LogCapture log;
    PMIDLibrary library;
    UserDefaults::standard().setBool(copy, "copyPDFtoFolder");
    if (paperIsFile) {
        QDir(home.paperFolder).removeRecursively();
        home.write(home.paperFolder, "a file where the paper folder belongs");
    }
    const auto full = [&](QString relative) {
        if (relative.startsWith("/"))
            return relative;
        return relative.startsWith("paper/") ? QString(home.paperFolder + relative.mid(5))
                                             : QString(home.home.path() + "/" + relative);
    };
    for (const QString& file : present)
        home.pdf(QFileInfo(full(file)).absolutePath(), QFileInfo(file).fileName());
    const QByteArray sourceBytes = readAll(full(source));
    const auto paperFiles = [&] {
        const auto filter = QDir::Files | QDir::Hidden;
        return QDir(home.paperFolder).entryList(filter) +
               QDir(home.paperFolder + "/User").entryList(filter);
    };
    const QStringList paperBefore = paperFiles();

    const auto placed = library.copyPDFtoOlvaneFolder(full(source), type);

    QCOMPARE(placed.value_or("none"), expected == "none" ? expected : full(expected));
    if (expected == "none")
        QVERIFY(logged(log, full(source) + " is not exist."));
    if (expected == source && copy && !source.startsWith("paper/"))
        QVERIFY(logged(log, "cannot copy " + full(source)));
    if (copied)
        QCOMPARE(readAll(*placed), sourceBytes);
    else
        QCOMPARE(paperFiles(), paperBefore);
    QCOMPARE(readAll(full(source)), sourceBytes); // never moved or changed
}

void TestImport::singlePDF_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("PMID") << "501.pdf" << true;
    QTest::newRow("zero") << "0.pdf" << false;
    QTest::newRow("no number") << "paper.pdf" << false;
    QTest::newRow("number and text") << "501abc.pdf" << false;
    QTest::newRow("not a PDF name") << "501.txt" << false;
}

void TestImport::singlePDF()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    ImportHome home;
    ScriptedPanelsScope panels;
    PMIDLibrary library;
    DoneRecorder done;
    home.cacheArticle("501");
    home.cacheArticle("501abc");
    const QString path = home.pdf(home.downloads, name);

    QCOMPARE(library.addArticlePDFFile(path), accepted);

    QVERIFY(library.pacer().requestTimes().isEmpty());
    QCOMPARE(done.posts.size(), accepted ? 1 : 0);
    QCOMPARE(library.DB().numberOfAllArticles(), accepted ? 1 : 0);
    if (accepted) {
        QCOMPARE(done.posts.first().object.toString(), QString("501"));
        QCOMPARE(done.posts.first().userInfo, QVariantMap({{"userInfo", "single"}}));
        QCOMPARE(filepathOf(library, "501"), home.paperFolder + "/501.pdf");
        QVERIFY(fileLines(home.preferenceDir + "/library.dat")
                    .contains("journalList A/Acad Med/2020: pmid 501"));
    }
}

void TestImport::pacerSpacesRequestsWithoutBlocking()
{
    TempHome home;
    UserDefaults::standard().setInteger(1, "waitTimeForPubmed");
    PubMedPacer pacer;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> ran;
    QStringList order;
    for (const QString name : {"a", "b", "c"}) {
        pacer.submit([&, name] {
            ran.append(clock.elapsed());
            order.append(name);
            return true;
        });
    }
    // The first runs at once; the others wait their turn.
    QCOMPARE(order, QStringList{"a"});
    QCOMPARE(pacer.pending(), 2);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 3, 5000);

    QCOMPARE(order, QStringList({"a", "b", "c"}));
    QVERIFY2(ran[1] - ran[0] >= 1000 && ran[2] - ran[1] >= 1000,
             qPrintable(QString("ran at %1, %2, %3 ms").arg(ran[0]).arg(ran[1]).arg(ran[2])));
    // The event loop ran all along: about 40 ticks in two seconds.
    QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    QCOMPARE(pacer.requestTimes().size(), 3);
}

void TestImport::pacerPausesOnlyAfterRequests()
{
    TempHome home;
    UserDefaults::standard().setInteger(1, "waitTimeForPubmed");
    PubMedPacer pacer;
    QStringList order;
    // Answered from the cache: nothing was sent, so nothing to wait for.
    pacer.submit([&] {
        order.append("cached 1");
        return false;
    });
    pacer.submit([&] {
        order.append("cached 2");
        return false;
    });
    pacer.submit([&] {
        order.append("request");
        return true;
    });
    QCOMPARE(order, QStringList({"cached 1", "cached 2", "request"}));

    pacer.submit([&] {
        order.append("after request");
        return false;
    });
    QCOMPARE(pacer.pending(), 1); // waits for the pause after the request
    QTRY_COMPARE_WITH_TIMEOUT(pacer.pending(), 0, 3000);
    QCOMPARE(order.last(), QString("after request"));
    QCOMPARE(pacer.requestTimes().size(), 1);
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
