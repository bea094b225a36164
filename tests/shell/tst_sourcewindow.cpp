// The source list wired into the main window: what each row shows, the
// favorites lists, drops, removing articles, searching and the drawer,
// through the application delegate with a real library.
#include "../library/ImportTestSupport.h"
#include "ArticleKeys.h"
#include "ScriptedPanels.h"

#include "library/FavoriteFile.h"
#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/ApplicationNotifications.h"
#include "platform/PropertyList.h"
#include "shell/MainWindow.h"
#include "shell/SourceController.h"
#include "store/accessDB.h"
#include "window/ArticleController.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"
#include "window/MimeTypes.h"
#include "window/SourceListModel.h"
#include "window/SourceTableView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

Q_DECLARE_METATYPE(AlertResponse)

namespace {

// Two articles in the library (PMIDs 900001 and 900002, their XML in the
// cache folder and their PDFs in the paper folder) and three favorites lists
// "A", "B", "C" (rows 2, 3, 4); the window shown.
struct Run
{
    Run()
    {
        for (const QString& id : {QString("900001"), QString("900002")}) {
            home.cacheArticle(id);
            home.pdf(home.paperFolder, id + ".pdf");
        }
        if (!controller.init())
            qFatal("start-up failed");
        for (const char* name : {"A", "B", "C"})
            favorite().addNewFavorite(name);
        controller.awakeFromNib(&window);
        controller.applicationDidFinishLanching();
        controller.importNewInArticleDirectory();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }

    MyFavorite& favorite() { return *controller.favorite(); }
    PMIDLibrary& library() { return *controller.library(); }
    ArticleController& articles() { return *controller.articleController(); }
    SourceTableView* view() { return window.sourceView(); }
    SourceListModel& model() { return *controller.sourceModel(); }
    QString caption() const { return window.searchTextField()->text(); }
    QPoint centreOf(int row) { return view()->visualRect(model().index(row)).center(); }
    void click(int row)
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, centreOf(row));
    }

    // The IDs the article list shows, sorted.
    QStringList shownIDs() const
    {
        QStringList ids;
        for (const ArticleRecord& record : controller.articleController()->articleList())
            ids.append(record.ID);
        ids.sort();
        return ids;
    }
    // The favorites file: "name: ID ID" per list.
    QStringList listsOnDisk() const
    {
        const auto record = FavoriteFile::readFile(home.preferenceDir + "/favorite.dat");
        QStringList lines;
        for (const FavoriteList& list : record ? record->favoriteList : QList<FavoriteList>()) {
            QStringList ids;
            for (const ArticleKey& key : list.list)
                ids.append(key.ID);
            lines.append(list.name + ":" + (ids.isEmpty() ? QString() : " " + ids.join(' ')));
        }
        return lines;
    }
    QStringList rowTexts()
    {
        QStringList texts;
        for (int row = 0; row < view()->count(); ++row)
            texts.append(model().index(row).data().toString());
        return texts;
    }
    // Selects the article in the article table.
    void selectArticle(const QString& id)
    {
        const auto& list = articles().articleList();
        for (int row = 0; row < list.size(); ++row) {
            if (list[row].ID == id)
                articles().articleView()->selectRow(row);
        }
    }

    ImportHome home;
    ScriptedPanelsScope panels;
    SourceController controller;
    MainWindow window;
};

// Sends a drag over `row` (its centre, or the top edge: above it) and drops
// it there; true when the list offered to take it.
bool dragAndDrop(SourceTableView* view, const QMimeData& data, int row, bool above = false)
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    const QPoint pos = above ? QPoint(rect.center().x(), rect.top() + 1) : rect.center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &move);
    if (!move.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &drop);
    return true;
}

} // namespace

class TestSourceWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsShowTheirSources();
    void keysAtTheEndsDoNothing_data();
    void keysAtTheEndsDoNothing();
    void reorderLists_data();
    void reorderLists();
    void articlesDroppedTwiceOnAList();
    void pdfDrops_data();
    void pdfDrops();
    void removeArticle_data();
    void removeArticle();
    void rightClickOnLibrary();
    void renameKeepsTheListFocused();
    void searchPerRow_data();
    void searchPerRow();
    void newFavoriteList();
    void deleteFavoriteList_data();
    void deleteFavoriteList();
    void drawer_data();
    void drawer();
    void quittingSavesBothControllers();
};

void TestSourceWindow::rowsShowTheirSources()
{
    Run run;
    QCOMPARE(run.view()->count(), 5);
    QCOMPARE(run.rowTexts(), QStringList({"Library", "PubMed Search", "A", "B", "C"}));
    QCOMPARE(run.view()->currentRow(), 0);
    QCOMPARE(run.window.rightBoxContent(), run.articles().mainView());

    run.window.statusMessage()->setText("2 of 2 papers");
    run.click(1);
    QCOMPARE(run.window.rightBoxContent()->objectName(), QString("pubmedSearchView"));
    QCOMPARE(run.caption(), QString("Search PubMed"));
    QCOMPARE(run.window.statusMessage()->text(), QString());

    run.click(0);
    QCOMPARE(run.window.rightBoxContent(), run.articles().mainView());
    QCOMPARE(run.caption(), QString("Search Library"));
    QCOMPARE(run.shownIDs(), QStringList({"900001", "900002"}));
    QVERIFY(!run.articles().isCollapsed());

    // A list: its articles, the browser pane collapsed.
    run.favorite().addArticle(pmidKeys({"900002"}), 1);
    run.click(3);
    QCOMPARE(run.caption(), QString("Search the Favorite"));
    QCOMPARE(run.shownIDs(), QStringList{"900002"});
    QVERIFY(run.articles().isCollapsed());
}

void TestSourceWindow::keysAtTheEndsDoNothing_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("caption");
    QTest::newRow("up on library") << 0 << int(Qt::Key_Up) << 0 << "Search Library";
    QTest::newRow("down on last") << 4 << int(Qt::Key_Down) << 4 << "Search Library";
    QTest::newRow("down from library") << 0 << int(Qt::Key_Down) << 1 << "Search PubMed";
    QTest::newRow("up from a list") << 2 << int(Qt::Key_Up) << 1 << "Search PubMed";
}

void TestSourceWindow::keysAtTheEndsDoNothing()
{
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(int, after);
    QFETCH(QString, caption);
    Run run;
    run.view()->setCurrentRow(row); // by program: not shown
    QTest::keyClick(run.view(), Qt::Key(key));
    QCOMPARE(run.view()->currentRow(), after);
    QCOMPARE(run.caption(), caption);
}

void TestSourceWindow::reorderLists_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("above");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("4 above 2: first") << 4 << 2 << QStringList{"C", "A", "B"};
    QTest::newRow("2 above 5: last") << 2 << 5 << QStringList{"B", "C", "A"};
    QTest::newRow("3 above 3: unchanged") << 3 << 3 << QStringList{"A", "B", "C"};
    QTest::newRow("3 above 4: unchanged") << 3 << 4 << QStringList{"A", "B", "C"};
}

void TestSourceWindow::reorderLists()
{
    QFETCH(int, from);
    QFETCH(int, above);
    QFETCH(QStringList, order);
    Run run;
    run.favorite().addArticle(pmidKeys({"900001"}), from - 2);
    std::unique_ptr<QMimeData> drag(run.model().mimeData({run.model().index(from)}));
    QVERIFY(drag);
    const int row = above == run.view()->count() ? -1 : above;

    QVERIFY(run.model().canDropMimeData(drag.get(), Qt::CopyAction, row, 0, QModelIndex()));
    QVERIFY(run.model().dropMimeData(drag.get(), Qt::CopyAction, row, 0, QModelIndex()));

    QStringList expected;
    for (const QString& name : order)
        expected.append(name + ":" + (name == QChar('A' + from - 2) ? " 900001" : ""));
    QCOMPARE(run.listsOnDisk(), expected);
    QCOMPARE(run.rowTexts().mid(2), order);
    QCOMPARE(run.caption(), QString("Search Library")); // nothing was opened
}

void TestSourceWindow::articlesDroppedTwiceOnAList()
{
    Run run;
    ArticleTableModel* table = run.articles().articleModel();
    QCOMPARE(table->rowCount(), 2);
    // The article list's own drag record of both rows.
    std::unique_ptr<QMimeData> drag(table->mimeData({table->index(0, 1), table->index(1, 1)}));
    QVERIFY(drag);

    QVERIFY(dragAndDrop(run.view(), *drag, 3));
    QVERIFY(dragAndDrop(run.view(), *drag, 3));
    QVERIFY(!dragAndDrop(run.view(), *drag, 3, true)); // between rows: refused

    QCOMPARE(run.listsOnDisk(), QStringList({"A:", "B: 900001 900002", "C:"}));
    QCOMPARE(run.view()->currentRow(), 3);
    QCOMPARE(run.caption(), QString("Search the Favorite"));
    QCOMPARE(run.shownIDs(), QStringList({"900001", "900002"}));
}

void TestSourceWindow::pdfDrops_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("lists");
    QTest::newRow("onto PubMed search") << 1 << false << QStringList{"A:", "B:", "C:"};
    QTest::newRow("onto the library") << 0 << true << QStringList{"A:", "B:", "C:"};
    QTest::newRow("onto a list") << 4 << true << QStringList{"A:", "B:", "C: 900003"};
}

void TestSourceWindow::pdfDrops()
{
    QFETCH(int, row);
    QFETCH(bool, accepted);
    QFETCH(QStringList, lists);
    Run run;
    run.home.cacheArticle("900003");
    const QString pdf = run.home.pdf(run.home.downloads, "900003.pdf");
    run.controller.droppedRow = 7;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(pdf)});

    QCOMPARE(dragAndDrop(run.view(), data, row), accepted);

    if (accepted) {
        QTRY_COMPARE(run.controller.droppedRow, unsigned(row));
        QTRY_COMPARE(run.library().DB().numberOfAllArticles(), 3);
        QCOMPARE(run.library().storedFilePath(ArticleKey{"pmid", "900003"}).value_or(""),
                 run.home.paperFolder + "/900003.pdf");
    } else {
        QTest::qWait(50);
        QCOMPARE(run.controller.droppedRow, 7u);
        QCOMPARE(run.library().DB().numberOfAllArticles(), 2);
    }
    QCOMPARE(run.listsOnDisk(), lists);
    QVERIFY(run.panels->alerts.isEmpty());
}

void TestSourceWindow::removeArticle_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("answer"); // AlertResponse; -1: no alert expected
    QTest::addColumn<int>("inLibrary");
    QTest::addColumn<QStringList>("lists");
    QTest::newRow("from a list") << 2 << -1 << 2 << QStringList{"A: 900002", "B: 900001", "C:"};
    QTest::newRow("from the library, cancelled")
        << 0 << int(AlertResponse::Default) << 2
        << QStringList{"A: 900001 900002", "B: 900001", "C:"};
    QTest::newRow("from the library")
        << 0 << int(AlertResponse::Alternate) << 1 << QStringList{"A: 900002", "B:", "C:"};
}

void TestSourceWindow::removeArticle()
{
    QFETCH(int, row);
    QFETCH(int, answer);
    QFETCH(int, inLibrary);
    QFETCH(QStringList, lists);
    Run run;
    run.favorite().addArticle(pmidKeys({"900001", "900002"}), 0);
    run.favorite().addArticle(pmidKeys({"900001"}), 1);
    run.click(row);
    run.selectArticle("900001");
    if (answer >= 0)
        run.panels->alertAnswers.enqueue(AlertResponse(answer));

    run.window.command(MainWindow::Command::DeleteArticle)->trigger();

    QCOMPARE(run.panels->alerts.size(), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
        const Alert& alert = run.panels->alerts.first();
        QCOMPARE(alert.style, Alert::Style::Critical);
        QCOMPARE(alert.message, QString("Are you sure you want to delete it?"));
        QCOMPARE(alert.informativeText, QString("Delete type: pmid, ID: 900001"));
        QCOMPARE(alert.defaultButton, QString("Cancel"));
        QCOMPARE(alert.alternateButton, QString("Delete"));
    }
    QCOMPARE(run.library().DB().numberOfAllArticles(), inLibrary);
    QCOMPARE(run.listsOnDisk(), lists);
    // The source is shown again without the article.
    const bool gone = answer != int(AlertResponse::Default);
    QCOMPARE(run.shownIDs().contains("900001"), !gone);
}

void TestSourceWindow::rightClickOnLibrary()
{
    Run run;
    run.click(3);
    QCOMPARE(run.caption(), QString("Search the Favorite"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, run.centreOf(0),
                            run.view()->viewport()->mapToGlobal(run.centreOf(0)));
    QCoreApplication::sendEvent(run.view()->viewport(), &event);
    QCOMPARE(run.view()->currentRow(), 0);
    QCOMPARE(run.caption(), QString("Search the Favorite")); // selected, not opened
    QVERIFY(run.view()->menuForEvent(run.centreOf(0)) == nullptr);
    QVERIFY(run.view()->menuForEvent(run.centreOf(1)) == nullptr);
    QVERIFY(run.view()->menuForEvent(run.centreOf(2)) != nullptr);
}

void TestSourceWindow::renameKeepsTheListFocused()
{
    Run run;
    run.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.window));
    for (int row : {0, 1}) {
        run.view()->setCurrentRow(row);
        run.controller.editFavoriteName();
        QVERIFY(!run.view()->isEditing());
    }
    run.view()->setCurrentRow(3);
    run.controller.editFavoriteName();
    auto* editor = run.view()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClicks(editor, "Reading");
    QTest::keyClick(editor, Qt::Key_Return);

    QVERIFY(!run.view()->isEditing());
    QVERIFY(run.view()->hasFocus());
    QCOMPARE(run.view()->currentRow(), 3);
    QCOMPARE(run.rowTexts().value(3), QString("Reading"));
    // Saved with the next favorites write.
    QCOMPARE(run.listsOnDisk().value(1), QString("B:"));
    run.controller.applicationWillTerminate();
    QCOMPARE(run.listsOnDisk().value(1), QString("Reading:"));
}

void TestSourceWindow::searchPerRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("library") << 0 << "900001" << QStringList{"900001"};
    QTest::newRow("list holding it") << 2 << "900002" << QStringList{"900002"};
    QTest::newRow("list without it") << 2 << "900001" << QStringList();
    QTest::newRow("PubMed search: list unchanged")
        << 1 << "900001" << QStringList{"900001", "900002"};
}

void TestSourceWindow::searchPerRow()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    Run run;
    run.favorite().addArticle(pmidKeys({"900002"}), 0);
    run.click(row);
    run.window.searchControl()->setText(text);
    QTest::keyClick(run.window.searchControl(), Qt::Key_Return);
    QCOMPARE(run.shownIDs(), shown);
}

void TestSourceWindow::newFavoriteList()
{
    Run run;
    run.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.window));
    run.window.command(MainWindow::Command::NewFavorite)->trigger();

    QCOMPARE(run.view()->count(), 6);
    QCOMPARE(run.view()->currentRow(), 5);
    QCOMPARE(run.caption(), QString("Search Library")); // not opened
    QVERIFY(run.view()->isEditing());
    auto* editor = run.view()->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->selectedText(), QString("Favorite"));
    QCOMPARE(run.listsOnDisk(), QStringList({"A:", "B:", "C:", "Favorite:"}));
}

void TestSourceWindow::deleteFavoriteList_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("lists");
    QTest::newRow("confirmed") << 3 << int(AlertResponse::Alternate) << QStringList{"A:", "C:"};
    QTest::newRow("cancelled") << 3 << int(AlertResponse::Default) << QStringList{"A:", "B:", "C:"};
    QTest::newRow("library row") << 0 << int(AlertResponse::Alternate)
                                 << QStringList{"A:", "B:", "C:"};
}

void TestSourceWindow::deleteFavoriteList()
{
    QFETCH(int, row);
    QFETCH(int, answer);
    QFETCH(QStringList, lists);
    Run run;
    run.click(row);
    run.panels->alertAnswers.enqueue(AlertResponse(answer));
    QTest::keyClick(run.view(), Qt::Key_Backspace);
    QCOMPARE(run.panels->alerts.size(), row >= 2 ? 1 : 0);
    QCOMPARE(run.listsOnDisk(), lists);
    QCOMPARE(run.view()->count(), 2 + lists.size());
}

void TestSourceWindow::drawer_data()
{
    QTest::addColumn<QString>("position");
    QTest::addColumn<int>("area");
    QTest::newRow("side") << "side" << int(Qt::RightDockWidgetArea);
    QTest::newRow("bottom") << "bottom" << int(Qt::BottomDockWidgetArea);
}

void TestSourceWindow::drawer()
{
    QFETCH(QString, position);
    QFETCH(int, area);
    Run run;
    UserDefaults::standard().setObject(position, "drawerPosition");
    QDockWidget* drawer = run.window.drawer();
    QVERIFY(drawer->isHidden());
    run.selectArticle("900001");

    run.window.command(MainWindow::Command::ShowAbstract)->trigger();
    QVERIFY(!drawer->isHidden());
    QCOMPARE(int(run.window.dockWidgetArea(drawer)), area);
    QCOMPARE(drawer->widget(), run.articles().abstractView());
    QVERIFY(!run.articles().abstractTextView()->toPlainText().isEmpty());

    run.controller.toggleDrawer();
    QVERIFY(drawer->isHidden());
}

void TestSourceWindow::quittingSavesBothControllers()
{
    Run run;
    run.click(3);
    NotificationCenter::defaultCenter().post(ApplicationNotifications::willTerminate);
    const QVariantMap saved =
        PropertyList::readFile(UserDefaults::defaultPath()).value_or(QVariant()).toMap();
    QCOMPARE(saved.value("Olvane Source Selected Row").toLongLong(), 3);
    QVERIFY(saved.contains("articleViewSortDescription"));
    QVERIFY(saved.contains("mainSplitTopHeight"));
}

QTEST_MAIN(TestSourceWindow)
#include "tst_sourcewindow.moc"
