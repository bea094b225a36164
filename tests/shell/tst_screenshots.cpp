// Starts the program over a generated library of 200 articles and saves
// pictures of the main window for a person to look at: the library, the
// author browser with a selection and the abstract drawer open, and a
// favorites list; and a sheet of the icons. The images land in
// <build>/screenshots/.

#include "ScriptedPanels.h"
#include "SyntheticLibrary.h"
#include "TempHome.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/UserDefaults.h"
#include "shell/MainWindow.h"
#include "shell/SourceController.h"
#include "window/ArticleController.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"
#include "window/AuthorJournalBrowser.h"
#include "window/Icons.h"
#include "window/IndexBrowser.h"
#include "window/SourceTableView.h"

#include <QDir>
#include <QDockWidget>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

namespace {

// A picture that shows something: many colours, not one flat fill.
int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}

} // namespace

class TestScreenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowOverAGeneratedLibrary();
    void iconSheet();

private:
    void save(QWidget& window, const QString& name);
    void save(const QImage& image, const QString& name);
};

void TestScreenshots::save(QWidget& window, const QString& name)
{
    QCoreApplication::processEvents();
    save(window.grab().toImage(), name);
}

void TestScreenshots::save(const QImage& image, const QString& name)
{
    QVERIFY2(distinctColours(image) > 20, qPrintable(name + " looks empty"));
    const QString folder = QStringLiteral(OLVANE_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + u'/' + name + QStringLiteral(".png");
    QVERIFY2(image.save(path), qPrintable(path));
    qInfo("saved %s", qPrintable(path));
}

void TestScreenshots::windowOverAGeneratedLibrary()
{
    TempHome home;
    ScriptedPanelsScope panels;
    const QString P = home.defaultPreferenceDir();
    QString error;
    const auto summary =
        SyntheticLibrary::generate(200, P, P + QStringLiteral("/cache"), 7, &error);
    QVERIFY2(summary, qPrintable(error));
    QVERIFY(summary->favoriteLists > 0);

    UserDefaults::standard().setObject(QStringLiteral("All in Library"),
                                       QStringLiteral("DisplayOfLibrary"));
    SourceController controller;
    MainWindow window;
    QVERIFY(controller.init());
    controller.awakeFromNib(&window);
    controller.applicationDidFinishLanching();
    window.resize(1280, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ArticleController* articles = controller.articleController();
    ArticleTableModel* model = articles->articleModel();

    // The library, as it opens.
    QCOMPARE(window.sourceView()->currentRow(), 0);
    QCOMPARE(model->rowCount(), summary->liveArticles);
    save(window, QStringLiteral("library"));

    // An author chosen in the browser, one of the articles with an abstract
    // selected and the abstract in the drawer.
    IndexBrowser* authors = articles->authorJournalTab()->authorBrowser();
    QVERIFY(articles->authorJournalTab()->selectTab(QStringLiteral("author")));
    QVERIFY(authors->selectRow(0, 0));
    int withAbstract = -1;
    for (int name = 0; withAbstract < 0 && name < authors->numberOfRowsInColumn(1); ++name) {
        QVERIFY(authors->selectRow(1, name));
        QVERIFY(model->rowCount() > 0);
        for (int row = 0; withAbstract < 0 && row < model->rowCount(); ++row) {
            if (!controller.library()->abstract(model->record(row).key()).isEmpty())
                withAbstract = row;
        }
    }
    QVERIFY(withAbstract >= 0);
    QVERIFY(model->rowCount() < summary->liveArticles);
    articles->articleView()->selectRow(withAbstract);
    articles->openDrawer();
    controller.toggleDrawer();
    QVERIFY(window.drawer()->isVisible());
    QVERIFY(!articles->abstractTextView()->toPlainText().isEmpty());
    save(window, QStringLiteral("browser"));
    controller.toggleDrawer();

    // The first favorites list: the browser pane is folded away.
    window.sourceView()->setCurrentRow(2);
    controller.openSource();
    QVERIFY(articles->isCollapsed());
    QCOMPARE(model->rowCount(), controller.favorite()->aFavoriteAtIndex(0)->list.size());
    save(window, QStringLiteral("favorites"));

    QCOMPARE(panels->alerts.size(), 0);
    controller.applicationWillTerminate();
}

// Every icon at 16, 32 and 64 pixels on white, one row per size.
void TestScreenshots::iconSheet()
{
    const QStringList names{"library",   "pubmedSearch", "favorite", "check",
                            "important", "question",     "memo",     "pdf"};
    const QList<int> sizes{16, 32, 64};
    QImage sheet(int(names.size()) * 80, int(sizes.size()) * 80, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int column = 0; column < names.size(); ++column) {
        const QIcon icon = Icons::named(names.at(column));
        QVERIFY2(!icon.isNull(), qPrintable(names.at(column)));
        for (int row = 0; row < sizes.size(); ++row) {
            const int size = sizes.at(row);
            painter.drawPixmap(column * 80 + (80 - size) / 2, row * 80 + (80 - size) / 2,
                               icon.pixmap(size, size));
        }
    }
    painter.end();
    save(sheet, QStringLiteral("icons"));
}

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
