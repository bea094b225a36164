#include "../library/LibraryTestSupport.h"
#include "RecordingWorkspace.h"
#include "library/PMIDLibrary.h"
#include "platform/ApplicationNotifications.h"
#include "platform/ArchivedColor.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "store/UserArticleEntry.h"
#include "store/accessDB.h"
#include "window/ArticleController.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"
#include "window/AuthorJournalBrowser.h"

#include <QAbstractItemModelTester>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

const QString doiPMID = QStringLiteral("31789841");  // ncbi/metapub__31789841.xml, has a DOI
const QString noDoiPMID = QStringLiteral("4455667"); // articles/no-doi.xml

// A real library in a temporary home, the controller over it as the
// application wires it, and the desktop's opener recording what it is asked.
struct Fixture
{
    Fixture()
    {
        UserDefaults& defaults = UserDefaults::standard();
        cacheDir = folder.path("cache");
        paperFolder = folder.path("Olvane paper");
        QDir().mkpath(cacheDir);
        defaults.setObject(cacheDir, "cacheDir");
        defaults.setObject(paperFolder, "paperFolder");
        defaults.setBool(true, "copyPDFtoFolder");
        defaults.setObject("submitDate", "sortBy");
        defaults.setObject("ASC", "orderBy");
        previousWorkspace = Workspace::install(std::make_unique<RecordingWorkspace>(opened));
        library = std::make_unique<PMIDLibrary>();
        controller = std::make_unique<ArticleController>();
    }
    ~Fixture()
    {
        controller.reset();
        Workspace::install(std::move(previousWorkspace));
    }

    // Wires the controller and launches it; every batch is recorded on its way.
    void start()
    {
        controller->awakeFromNib();
        controller->setLibrary(library.get());
        controller->setStatusText(&status);
        library->DB().setRecieverOfArticles([this](QList<ArticleRecord>& batch) {
            batches.append(int(batch.size()));
            controller->appendArticles(batch);
        });
        NotificationCenter::defaultCenter().post("OlvaneDidFinishLanching");
    }

    void show()
    {
        controller->mainView()->resize(900, 600);
        controller->mainView()->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller->mainView()));
    }

    ArticleKey addUser(const QString& id, const QString& path = "none")
    {
        UserArticleEntry entry;
        entry.uniqueID = id;
        entry.id = id;
        entry.type = "User";
        entry.authors = "Author, " + id;
        entry.title = QString("Title %1").arg(id.toInt(), 3, 10, QChar('0'));
        entry.journal = "Journal";
        entry.year = "2001";
        entry.PDFpath = path;
        library->DB().open();
        library->DB().insertUserArticleIntoDB(entry);
        library->DB().close();
        return ArticleKey{"User", id};
    }

    QList<ArticleKey> addUsers(int count)
    {
        QList<ArticleKey> keys;
        for (int i = 1; i <= count; ++i)
            keys.append(addUser(QString::number(i)));
        return keys;
    }

    // A PubMed article read from a fixture; its XML file in the cache folder
    // when `cached`.
    ArticleKey addPubMed(const QString& fixture, const QString& pmid, const QString& path,
                         bool cached = true)
    {
        PubMedXML reader;
        reader.setData(fixtureBytes(fixture));
        library->DB().open();
        library->DB().insertArtilceInfoIntoDB(reader, path, pmid);
        library->DB().close();
        if (cached) {
            QFile file(cacheDir + "/" + pmid + ".xml");
            if (!file.open(QIODevice::WriteOnly) || file.write(fixtureBytes(fixture)) < 0)
                qFatal("cannot write the cache file");
        }
        return ArticleKey{"pmid", pmid};
    }

    ArticleTableView* view() const { return controller->articleView(); }
    ArticleTableModel* model() const { return controller->articleModel(); }

    void selectRowOf(const ArticleKey& key)
    {
        for (int row = 0; row < model()->rowCount(); ++row) {
            if (model()->record(row).key() == key) {
                view()->selectRow(row);
                return;
            }
        }
        QFAIL("no row for the key");
    }

    QPoint centreOfRow(int row) const
    {
        return view()->visualRect(model()->index(row, ArticleTableModel::TitleColumn)).center();
    }

    QString statusPlainText() const
    {
        QTextDocument document;
        document.setHtml(status.text());
        return document.toPlainText();
    }

    // Whether the count (the status line's first character) is drawn in red.
    bool countIsRed() const
    {
        QTextDocument document;
        document.setHtml(status.text());
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::NextCharacter);
        return cursor.charFormat().foreground().color() == QColor(Qt::red);
    }

    PreferenceFolder folder;
    QString cacheDir;
    QString paperFolder;
    std::shared_ptr<QList<QUrl>> opened = std::make_shared<QList<QUrl>>();
    std::unique_ptr<Workspace> previousWorkspace;
    std::unique_ptr<PMIDLibrary> library;
    QLabel status;
    std::unique_ptr<ArticleController> controller;
    QList<int> batches;
};

QStringList titlesOf(const QList<ArticleRecord>& records)
{
    QStringList titles;
    for (const ArticleRecord& record : records)
        titles.append(record.title);
    return titles;
}

// Posts of one notification while in scope.
struct Posts
{
    explicit Posts(const QString& name)
    {
        NotificationCenter::defaultCenter().addObserver(
            &observer, name, [this](const Notification& n) { received.append(n); });
    }
    QObject observer;
    QList<Notification> received;
};

} // namespace

class ArticleControllerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showArticles_data();
    void showArticles();
    void databaseOrder_data();
    void databaseOrder();
    void emptyAndMissingKeys();
    void browserChoiceShowsArticles();
    void marksAreStored_data();
    void marksAreStored();
    void openFile_data();
    void openFile();
    void webAddresses_data();
    void webAddresses();
    void removeAndInfo();
    void drawerShowsAbstract();
    void collapseTwiceExpandOnce();
    void launchAndShutdown();
    void preferencesChanged();
};

void ArticleControllerTest::showArticles_data()
{
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("limitOn");
    QTest::addColumn<int>("limitMax");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("batches");
    QTest::addColumn<bool>("red");
    QTest::newRow("120 articles in three batches")
        << 120 << false << 100 << 120 << QList<int>{50, 50, 20} << false;
    QTest::newRow("cut at the display limit")
        << 120 << true << 100 << 100 << QList<int>{50, 50} << true;
    QTest::newRow("a list of 3 under the limit") << 3 << true << 100 << 3 << QList<int>{3} << false;
    QTest::newRow("limit reached but not on") << 3 << false << 3 << 3 << QList<int>{3} << false;
}

void ArticleControllerTest::showArticles()
{
    QFETCH(int, shown);
    QFETCH(bool, limitOn);
    QFETCH(int, limitMax);
    QFETCH(int, rows);
    QFETCH(QList<int>, batches);
    QFETCH(bool, red);
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(120);
    f.library->DB().removeArtilce(f.addUser("999")); // not counted among the papers
    UserDefaults::standard().setBool(limitOn, "isLimitDisplayArticle");
    UserDefaults::standard().setInteger(limitMax, "isLimitMaxNumber");
    f.start();
    QAbstractItemModelTester tester(f.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.model()->setSortDescriptors({{"title", false}});
    QSignalSpy inserted(f.model(), &QAbstractItemModel::rowsInserted);

    f.controller->showArticles(keys.mid(0, shown));

    QCOMPARE(f.batches, batches);
    QCOMPARE(inserted.count(), 0); // shown once, not batch by batch
    QCOMPARE(f.model()->rowCount(), rows);
    const QStringList titles = titlesOf(f.controller->articleList());
    QStringList sorted = titles;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    QCOMPARE(titles, sorted);
    QCOMPARE(f.statusPlainText(), QString("%1 of 120 papers").arg(rows));
    QCOMPARE(f.countIsRed(), red);
}

void ArticleControllerTest::databaseOrder_data()
{
    QTest::addColumn<QString>("sortBy");
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<QString>("first");
    // Regression: "author" (the table's column) was sent as "authors" and the
    // store, refusing an unknown column, delivered nothing.
    QTest::newRow("author ascending") << "author"
                                      << "ASC"
                                      << "Title 001";
    QTest::newRow("title descending") << "title"
                                      << "DESC"
                                      << "Title 012";
}

// Without sort descriptors the rows keep the order of "sortBy"/"orderBy".
void ArticleControllerTest::databaseOrder()
{
    QFETCH(QString, sortBy);
    QFETCH(QString, orderBy);
    QFETCH(QString, first);
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(12);
    UserDefaults::standard().setObject(sortBy, "sortBy");
    UserDefaults::standard().setObject(orderBy, "orderBy");
    f.start();

    f.controller->showArticles(keys);

    QCOMPARE(f.model()->rowCount(), 12);
    QCOMPARE(titlesOf(f.controller->articleList()).first(), first);
}

void ArticleControllerTest::emptyAndMissingKeys()
{
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(3);
    f.start();
    f.controller->showArticles(keys);
    const QString status = f.status.text();
    QCOMPARE(f.statusPlainText(), QString("3 of 3 papers"));

    f.controller->showArticles(std::nullopt);
    QCOMPARE(f.model()->rowCount(), 3);
    f.controller->showArticles(QList<ArticleKey>{});
    QCOMPARE(f.model()->rowCount(), 0);
    QCOMPARE(f.status.text(), status);
}

void ArticleControllerTest::browserChoiceShowsArticles()
{
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(4);
    f.start();
    Q_EMIT f.controller->authorJournalTab()->articlesChosen(keys.mid(1, 2));
    QCOMPARE(titlesOf(f.controller->articleList()), (QStringList{"Title 002", "Title 003"}));
}

void ArticleControllerTest::marksAreStored_data()
{
    QTest::addColumn<char>("key");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("mark");
    QTest::newRow("r") << 'r' << true << "read";
    QTest::newRow("i") << 'i' << true << "important";
    QTest::newRow("q") << 'q' << true << "question";
    QTest::newRow("u") << 'u' << true << "none";
    QTest::newRow("r without a selection") << 'r' << false << "question";
}

void ArticleControllerTest::marksAreStored()
{
    QFETCH(char, key);
    QFETCH(bool, selected);
    QFETCH(QString, mark);
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(3);
    f.library->DB().open();
    f.library->DB().setMark("question", keys[1]);
    f.library->DB().close();
    f.start();
    f.show();
    f.controller->showArticles(keys);
    if (selected)
        f.selectRowOf(keys[1]);
    else
        f.view()->clearSelection();

    QTest::keyClick(f.view(), key);

    const QList<ArticleRecord> stored = f.library->DB().articleInformationOfArticleIDs({keys[1]});
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().mark, mark);
    QCOMPARE(f.model()->record(1).mark, mark);
}

void ArticleControllerTest::openFile_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("opened"); // under the paper folder when relative; empty: none
    QTest::addColumn<bool>("showWeb");
    QTest::addColumn<bool>("storedExists"); // `stored` is then a real file in the home
    QTest::newRow("user PDF in the paper folder")
        << "User"
        << "/x/y/a.pdf" << true << "User/a.pdf" << false << false;
    QTest::newRow("PubMed PDF in the paper folder")
        << "pmid"
        << "/x/y/31789841.pdf" << true << "31789841.pdf" << false << false;
    QTest::newRow("not copied: the stored path")
        << "User"
        << "/x/y/a.pdf" << false << "/x/y/a.pdf" << false << false;
    // Regression: a PDF the import could not copy keeps the user's own path;
    // the paper folder's name for it named no file.
    QTest::newRow("copy missing, own file there")
        << "User"
        << "own/a.pdf" << true << "own/a.pdf" << false << true;
    QTest::newRow("PubMed without PDF") << "pmid"
                                        << "none" << true << "" << true << false;
    QTest::newRow("user article without PDF") << "User"
                                              << "none" << true << "" << false << false;
}

void ArticleControllerTest::openFile()
{
    QFETCH(QString, type);
    QFETCH(QString, stored);
    QFETCH(bool, copy);
    QFETCH(QString, opened);
    QFETCH(bool, showWeb);
    QFETCH(bool, storedExists);
    Fixture f;
    UserDefaults::standard().setBool(copy, "copyPDFtoFolder");
    if (storedExists) {
        QDir().mkpath(QFileInfo(f.folder.path(stored)).path());
        stored = f.folder.write(stored, "%PDF-1.4\n");
        opened = stored;
    }
    const ArticleKey key = type == "pmid"
                               ? f.addPubMed("ncbi/metapub__31789841.xml", doiPMID, stored)
                               : f.addUser("7", stored);
    f.start();
    f.show();
    f.controller->showArticles(QList<ArticleKey>{key});
    Posts web("showWeb");

    // What a real double click sends: press, release, double click, release.
    QWidget* viewport = f.view()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, f.centreOfRow(0));
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, f.centreOfRow(0));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, f.centreOfRow(0));

    QList<QUrl> expected;
    if (!opened.isEmpty())
        expected.append(
            QUrl::fromLocalFile(opened.startsWith('/') ? opened : f.paperFolder + "/" + opened));
    QCOMPARE(*f.opened, expected);
    QCOMPARE(web.received.size(), showWeb ? 1 : 0);
    if (showWeb) {
        QCOMPARE(web.received.first().userInfo.value("ID").toString(), doiPMID);
        QCOMPARE(web.received.first().userInfo.value("type").toString(), QString("pmid"));
        QCOMPARE(web.received.first().userInfo.value("title").toString(),
                 QString("The Positivism Paradigm of Research."));
        QVERIFY(!web.received.first().object.isValid());
    }
}

void ArticleControllerTest::webAddresses_data()
{
    QTest::addColumn<QString>("fixture"); // empty: a user article
    QTest::addColumn<QString>("pmid");
    QTest::addColumn<bool>("cached");
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("expected"); // empty: nothing opened
    const QString linkOut = "https://eutils.ncbi.nlm.nih.gov/entrez/eutils/elink.fcgi?"
                            "dbfrom=pubmed&id=%1&retmode=ref&cmd=prlinks";
    QTest::newRow("PubMed page")
        << "ncbi/metapub__31789841.xml" << doiPMID << true << "Browser open Pubmed Site"
        << "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=PubMed&list_uids="
           "31789841&dopt=Abstract";
    QTest::newRow("journal page by DOI")
        << "ncbi/metapub__31789841.xml" << doiPMID << true << "Browser open Journal Site"
        << "https://doi.org/10.1097/ACM.0000000000003093";
    QTest::newRow("journal page without DOI")
        << "articles/no-doi.xml" << noDoiPMID << true << "Browser open Journal Site"
        << linkOut.arg(noDoiPMID);
    QTest::newRow("journal page, XML file missing")
        << "articles/no-doi.xml" << noDoiPMID << false << "Browser open Journal Site"
        << linkOut.arg(noDoiPMID);
    QTest::newRow("user article: no PubMed page") << ""
                                                  << "" << false << "Browser open Pubmed Site"
                                                  << "";
    QTest::newRow("user article: no journal page") << ""
                                                   << "" << false << "Browser open Journal Site"
                                                   << "";
}

void ArticleControllerTest::webAddresses()
{
    QFETCH(QString, fixture);
    QFETCH(QString, pmid);
    QFETCH(bool, cached);
    QFETCH(QString, menuItem);
    QFETCH(QString, expected);
    Fixture f;
    const ArticleKey key =
        fixture.isEmpty() ? f.addUser("3") : f.addPubMed(fixture, pmid, "none", cached);
    f.start();
    f.show();
    f.controller->showArticles(QList<ArticleKey>{key});

    const std::unique_ptr<QMenu> menu(f.view()->menuForEvent(f.centreOfRow(0)));
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                     [&](QAction* a) { return a->text() == menuItem; });
    QVERIFY(action != actions.cend());
    (*action)->trigger();

    QCOMPARE(*f.opened, expected.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(expected)});
}

void ArticleControllerTest::removeAndInfo()
{
    Fixture f;
    const QList<ArticleKey> keys = f.addUsers(3);
    f.start();
    f.show();
    f.controller->showArticles(keys);
    Posts removals("removeArticle");
    QSignalSpy info(f.controller.get(), &ArticleController::infoRequested);

    f.view()->clearSelection();
    QTest::keyClick(f.view(), Qt::Key_Delete);
    QTest::keyClick(f.view(), Qt::Key_Return);
    QCOMPARE(removals.received.size(), 0);
    QCOMPARE(info.count(), 0);

    f.selectRowOf(keys[2]);
    QTest::keyClick(f.view(), Qt::Key_Backspace);
    QTest::keyClick(f.view(), Qt::Key_Enter);
    QCOMPARE(removals.received.size(), 1);
    QCOMPARE(removals.received.first().object.toMap(),
             (QVariantMap{{"ID", "3"}, {"type", "User"}}));
    QCOMPARE(info.count(), 1);
    QCOMPARE(info.first().first().value<ArticleKey>(), keys[2]);
    QCOMPARE(f.model()->rowCount(), 3); // the source list removes; this list stays
}

void ArticleControllerTest::drawerShowsAbstract()
{
    Fixture f;
    const ArticleKey pubmed = f.addPubMed("ncbi/metapub__31789841.xml", doiPMID, "none");
    const ArticleKey user = f.addUser("5");
    f.start();
    f.show();
    QDockWidget drawer;
    f.controller->setDrawer(&drawer);
    QCOMPARE(drawer.widget(), f.controller->abstractView());
    f.controller->showArticles(QList<ArticleKey>{pubmed, user});
    const int pubmedRow = f.model()->record(0).key() == pubmed ? 0 : 1;

    QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      f.centreOfRow(pubmedRow));
    QVERIFY(f.controller->abstractTextView()->toPlainText().startsWith(
        "Research paradigms guide scientific discoveries"));

    QTest::keyClick(f.view(), pubmedRow == 0 ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(f.model()->record(f.view()->selectedRow()).key(), user);
    QCOMPARE(f.controller->abstractTextView()->toPlainText(), QString());
}

void ArticleControllerTest::collapseTwiceExpandOnce()
{
    Fixture f;
    f.start();
    f.show();
    QSplitter* split = f.controller->mainSplitView();
    split->setSizes({180, 380});
    const QList<int> before = split->sizes();
    QVERIFY(before.at(0) > 0);

    f.controller->collapsed();
    f.controller->collapsed();
    QVERIFY(f.controller->isCollapsed());
    QCOMPARE(split->sizes().at(0), 0);
    f.controller->unCollapsed();
    QVERIFY(!f.controller->isCollapsed());
    QCOMPARE(split->sizes(), before);
    f.controller->unCollapsed();
    QCOMPARE(split->sizes(), before);

    // Quitting while a favorites list is shown keeps the expanded heights.
    f.controller->collapsed();
    NotificationCenter::defaultCenter().post(ApplicationNotifications::willTerminate);
    QCOMPARE(UserDefaults::standard().floatForKey("mainSplitTopHeight"), double(before.at(0)));
    QCOMPARE(UserDefaults::standard().floatForKey("mainSplitBottomHeight"), double(before.at(1)));
}

void ArticleControllerTest::launchAndShutdown()
{
    Fixture f;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(QVariantList{QVariantMap{{"key", "title"}, {"ascending", false}},
                                    QVariantMap{{"key", "authors"}, {"ascending", true}}},
                       "articleViewSortDescription");
    defaults.setFloat(150, "mainSplitTopHeight");
    defaults.setFloat(350, "mainSplitBottomHeight");
    defaults.setObject("journal", "selectedTabIdentifierInJournalAuthor");
    defaults.setObject(QVariantMap{{"columns", QStringList{"author", "mark"}}},
                       "articleViewStatus");
    f.start();
    f.show();

    QCOMPARE(f.controller->authorJournalTab()->selectedTabIdentifier(), QString("journal"));
    // The browser pane comes back at its stored height (the table takes the
    // rest of the window), and a pane the user moves afterwards is saved as moved.
    QSplitter* split = f.controller->mainSplitView();
    const QList<int> applied = split->sizes();
    QCOMPARE(applied.at(0), 150);
    split->setSizes({applied.at(0) + 40, applied.at(1) - 40});
    const QList<int> moved = split->sizes();
    QHeaderView* header = f.view()->horizontalHeader();
    QCOMPARE(header->logicalIndex(0), int(ArticleTableModel::AuthorColumn));
    QCOMPARE(header->sortIndicatorSection(), int(ArticleTableModel::TitleColumn));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(f.model()->sortDescriptors(),
             (QList<SortDescriptor>{{"title", false}, {"authors", true}}));

    // A click on the "year" header puts it first.
    const int year = ArticleTableModel::YearColumn;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(year) + header->sectionSize(year) / 2,
                             header->height() / 2));
    QCOMPARE(f.model()->sortDescriptors(),
             (QList<SortDescriptor>{{"year", true}, {"title", false}, {"authors", true}}));

    NotificationCenter::defaultCenter().post(ApplicationNotifications::willTerminate);
    UserDefaults::resetStandard(); // what reached the file
    const UserDefaults& saved = UserDefaults::standard();
    QCOMPARE(saved.objectForKey("articleViewSortDescription").toList(),
             (QVariantList{QVariantMap{{"ascending", true}, {"key", "year"}},
                           QVariantMap{{"ascending", false}, {"key", "title"}},
                           QVariantMap{{"ascending", true}, {"key", "authors"}}}));
    QCOMPARE(saved.floatForKey("mainSplitTopHeight"), double(moved.at(0)));
    QCOMPARE(saved.floatForKey("mainSplitBottomHeight"), double(moved.at(1)));
    QCOMPARE(saved.stringForKey("selectedTabIdentifierInJournalAuthor"), QString("journal"));
    const QVariantMap status = saved.objectForKey("articleViewStatus").toMap();
    QCOMPARE(status.value("columns").toStringList().mid(0, 2), (QStringList{"author", "mark"}));
    QVERIFY(status.contains("SubmitDateWidth"));
}

void ArticleControllerTest::preferencesChanged()
{
    Fixture f;
    const ArticleKey key = f.addPubMed("ncbi/metapub__31789841.xml", doiPMID, "none");
    UserDefaults::standard().setFloat(12, "ArticleViewFontSize");
    f.start();
    f.show();
    f.controller->showArticles(QList<ArticleKey>{key});
    const int rowHeight = f.view()->rowHeight(0);
    QCOMPARE(f.model()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::darkGray));

    UserDefaults::standard().setFloat(24, "ArticleViewFontSize");
    UserDefaults::standard().setObject(QVariantMap{{"PubMed", archiveColor(QColor(0, 0, 200))}},
                                       "textColors");
    NotificationCenter::defaultCenter().post("updateView");

    QCOMPARE(f.model()->index(0, 1).data(Qt::FontRole).value<QFont>().pointSizeF(), 24.0);
    QCOMPARE(f.model()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 200));
    QVERIFY(f.view()->rowHeight(0) > rowHeight);
    QCOMPARE(f.controller->abstractTextView()->font().pointSizeF(), 24.0);
}

QTEST_MAIN(ArticleControllerTest)
#include "tst_articlecontroller.moc"
