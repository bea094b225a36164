#include "../library/LibraryTestSupport.h"
#include "library/PMIDLibrary.h"
#include "platform/UserDefaults.h"
#include "store/UserArticleEntry.h"
#include "store/accessDB.h"
#include "window/AuthorJournalBrowser.h"
#include "window/IndexBrowser.h"

#include <QAbstractItemModelTester>
#include <QListView>
#include <QTabBar>
#include <QTest>

#include <memory>
#include <vector>

namespace {

struct Article
{
    QString id;
    QStringList authors;
    QString journal;
    QString year;
};

// Names equal but for case, an initial holding lower- and upper-case names,
// and journals sharing an initial.
const QList<Article> articles = {
    {"1", {"adams, J", "Baker, T"}, "Nature", "2003"},
    {"2", {"Baker, T"}, "Nature", "2004"},
    {"3", {"Brown, A"}, "Neuron", "2004"},
    {"4", {"baker, t", "Avery, M"}, "Cell", "2004"},
    {"5", {"Zed, Q"}, "Nature", "2003"},
};

// Stores the article and files it in both trees, as the import does.
void addArticle(PMIDLibrary& library, const Article& article)
{
    UserArticleEntry entry;
    entry.uniqueID = article.id;
    entry.authors = article.authors.join(", ");
    entry.title = "Title " + article.id;
    entry.journal = article.journal;
    entry.year = article.year;
    entry.type = "User";
    entry.id = article.id;
    entry.PDFpath = "none";
    library.DB().open();
    library.DB().insertUserArticleIntoDB(entry);
    library.DB().close();
    library.updateJournalList(article.journal, "User", article.id, article.year);
    library.updateAuthorList(article.authors, "User", article.id, article.year);
}

QStringList idsOf(const QList<ArticleKey>& keys)
{
    QStringList ids;
    for (const ArticleKey& key : keys)
        ids.append(key.ID);
    return ids;
}

QStringList titlesOf(const IndexBrowser& browser, int column)
{
    QStringList titles;
    for (int row = 0; row < browser.numberOfRowsInColumn(column); ++row)
        titles.append(browser.titleAt(column, row));
    return titles;
}

QStringList selectedPath(const IndexBrowser& browser)
{
    QStringList path;
    for (int column = 0; column < IndexBrowser::ColumnCount; ++column) {
        if (const auto title = browser.selectedTitle(column))
            path.append(*title);
    }
    return path;
}

// A real library in a temporary home with the browser over it; every
// column model runs under a model tester, every choice is recorded.
struct Fixture
{
    Fixture()
    {
        for (const Article& article : articles)
            addArticle(library, article);
        browser = std::make_unique<AuthorJournalBrowser>();
        for (IndexBrowser* index : {browser->authorBrowser(), browser->journalBrowser()}) {
            for (int column = 0; column < IndexBrowser::ColumnCount; ++column)
                testers.push_back(std::make_unique<QAbstractItemModelTester>(
                    index->columnModel(column),
                    QAbstractItemModelTester::FailureReportingMode::QtTest));
        }
        QObject::connect(browser.get(), &AuthorJournalBrowser::articlesChosen,
                         [this](const QList<ArticleKey>& keys) { chosen.append(idsOf(keys)); });
        browser->setLibrary(&library);
    }

    IndexBrowser& of(const QString& listName) const
    {
        return listName == "journalList" ? *browser->journalBrowser() : *browser->authorBrowser();
    }

    // Selects each title in turn from column 0 on, as clicks would.
    bool choose(IndexBrowser& index, const QStringList& path)
    {
        for (int column = 0; column < path.size(); ++column) {
            const int row = titlesOf(index, column).indexOf(path.at(column));
            if (row < 0 || !index.selectRow(column, row))
                return false;
        }
        return true;
    }

    PreferenceFolder folder;
    PMIDLibrary library;
    std::unique_ptr<AuthorJournalBrowser> browser;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    QList<QStringList> chosen;
};

} // namespace

class TestAuthorJournalBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsFollowTheSelection_data();
    void columnsFollowTheSelection();
    void choiceReportsArticlesUnderDeepestSelection_data();
    void choiceReportsArticlesUnderDeepestSelection();
    void mouseAndKeysChoose();
    void tabSwitchSelectsFirstInitialSilently();
    void restoreSelectedTab_data();
    void restoreSelectedTab();
    void reloadFollowsTheLibrary_data();
    void reloadFollowsTheLibrary();
    void fontsFromDefaults_data();
    void fontsFromDefaults();
};

void TestAuthorJournalBrowser::columnsFollowTheSelection_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("author initials") << "authorList" << QStringList() << QStringList{"A", "B", "Z"};
    QTest::newRow("case-insensitive: adams before Avery")
        << "authorList" << QStringList{"A"} << QStringList{"adams, J", "Avery, M"};
    QTest::newRow("names equal but for case keep their order")
        << "authorList" << QStringList{"B"} << QStringList{"Baker, T", "baker, t", "Brown, A"};
    QTest::newRow("years of the lower-case twin")
        << "authorList" << QStringList{"B", "baker, t"} << QStringList{"2004"};
    QTest::newRow("years of an author")
        << "authorList" << QStringList{"B", "Baker, T"} << QStringList{"2003", "2004"};
    QTest::newRow("journal initials") << "journalList" << QStringList() << QStringList{"C", "N"};
    QTest::newRow("Nature under N")
        << "journalList" << QStringList{"N"} << QStringList{"Nature", "Neuron"};
    QTest::newRow("years of Nature")
        << "journalList" << QStringList{"N", "Nature"} << QStringList{"2003", "2004"};
}

void TestAuthorJournalBrowser::columnsFollowTheSelection()
{
    QFETCH(QString, listName);
    QFETCH(QStringList, path);
    QFETCH(QStringList, titles);
    Fixture fixture;
    IndexBrowser& index = fixture.of(listName);

    QVERIFY(fixture.choose(index, path));
    const int shown = int(path.size());
    QCOMPARE(titlesOf(index, shown), titles);
    // Nothing selected yet at the shown level, nothing deeper.
    QCOMPARE(index.selectedTitle(shown), std::nullopt);
    for (int deeper = shown + 1; deeper < IndexBrowser::ColumnCount; ++deeper)
        QCOMPARE(index.numberOfRowsInColumn(deeper), 0);
    QCOMPARE(index.titleAt(shown, int(titles.size())), QString());
    QCOMPARE(index.numberOfRowsInColumn(IndexBrowser::ColumnCount), 0);

    // A reload of an unchanged tree keeps the exact (case-sensitive) selection.
    fixture.browser->updateView();
    QCOMPARE(selectedPath(index), path);
    QCOMPARE(titlesOf(index, shown), titles);
}

void TestAuthorJournalBrowser::choiceReportsArticlesUnderDeepestSelection_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("initial N: every journal under N")
        << "journalList" << QStringList{"N"} << QStringList{"1", "5", "2", "3"};
    QTest::newRow("Nature: all its years")
        << "journalList" << QStringList{"N", "Nature"} << QStringList{"1", "5", "2"};
    QTest::newRow("Nature 2003") << "journalList" << QStringList{"N", "Nature", "2003"}
                                 << QStringList{"1", "5"};
    QTest::newRow("author initial B")
        << "authorList" << QStringList{"B"} << QStringList{"1", "2", "3", "4"};
    QTest::newRow("lower-case twin only")
        << "authorList" << QStringList{"B", "baker, t"} << QStringList{"4"};
    QTest::newRow("author year") << "authorList" << QStringList{"B", "Baker, T", "2004"}
                                 << QStringList{"2"};
}

void TestAuthorJournalBrowser::choiceReportsArticlesUnderDeepestSelection()
{
    QFETCH(QString, listName);
    QFETCH(QStringList, path);
    QFETCH(QStringList, ids);
    Fixture fixture;
    IndexBrowser& index = fixture.of(listName);

    QVERIFY(fixture.choose(index, path));
    QCOMPARE(fixture.chosen.size(), path.size());
    QCOMPARE(fixture.chosen.last(), ids);

    // Choosing the initial again clears the deeper selections and widens the list.
    QVERIFY(index.selectRow(0, index.numberOfRowsInColumn(0) - 1));
    QVERIFY(index.selectRow(0, titlesOf(index, 0).indexOf(path.first())));
    QCOMPARE(selectedPath(index), QStringList{path.first()});
    QCOMPARE(index.numberOfRowsInColumn(2), 0);
    QCOMPARE(fixture.chosen.last(), fixture.chosen.at(0));
    // Rows outside a column are refused without a report.
    const qsizetype reports = fixture.chosen.size();
    QVERIFY(!index.selectRow(0, index.numberOfRowsInColumn(0)));
    QVERIFY(!index.selectRow(2, 0));
    QCOMPARE(fixture.chosen.size(), reports);
}

void TestAuthorJournalBrowser::mouseAndKeysChoose()
{
    Fixture fixture;
    fixture.browser->resize(600, 300);
    fixture.browser->show();
    QVERIFY(QTest::qWaitForWindowExposed(fixture.browser.get()));
    IndexBrowser& index = *fixture.browser->authorBrowser();
    const auto click = [&index](int column, int row) {
        QListView* view = index.columnView(column);
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    };

    click(0, 1); // B
    QCOMPARE(fixture.chosen, QList<QStringList>{QStringList({"1", "2", "3", "4"})});
    click(1, 0); // Baker, T
    QCOMPARE(fixture.chosen.last(), QStringList({"1", "2"}));
    QTest::keyClick(index.columnView(1), Qt::Key_Down); // baker, t
    QCOMPARE(index.selectedTitle(1), QString("baker, t"));
    QCOMPARE(fixture.chosen.last(), QStringList{"4"});
    QCOMPARE(titlesOf(index, 2), QStringList{"2004"});

    // A click on the selected initial chooses it again: deeper selection cleared.
    click(0, 1);
    QCOMPARE(fixture.chosen.size(), 4);
    QCOMPARE(fixture.chosen.last(), QStringList({"1", "2", "3", "4"}));
    QCOMPARE(selectedPath(index), QStringList{"B"});
    QCOMPARE(index.numberOfRowsInColumn(2), 0);
}

void TestAuthorJournalBrowser::tabSwitchSelectsFirstInitialSilently()
{
    Fixture fixture;
    AuthorJournalBrowser& browser = *fixture.browser;
    QCOMPARE(browser.selectedTabIdentifier(), QString("author"));
    QCOMPARE(browser.tabText(0), QString("Author"));
    QCOMPARE(browser.tabText(1), QString("Journal"));
    QCOMPARE(browser.widget(1), browser.journalBrowser());

    QVERIFY(browser.selectTab("journal"));
    QCOMPARE(browser.selectedTabIdentifier(), QString("journal"));
    QCOMPARE(selectedPath(*browser.journalBrowser()), QStringList{"C"});
    QCOMPARE(titlesOf(*browser.journalBrowser(), 1), QStringList{"Cell"});
    QVERIFY(fixture.chosen.isEmpty());

    // A browser that has a selection keeps it when its tab comes back.
    QVERIFY(fixture.choose(*browser.authorBrowser(), {"B", "Brown, A"}));
    browser.setCurrentIndex(1);
    browser.setCurrentIndex(0);
    QCOMPARE(selectedPath(*browser.authorBrowser()), QStringList({"B", "Brown, A"}));
    QCOMPARE(fixture.chosen.size(), 2);
    QVERIFY(!browser.selectTab("other"));
    QCOMPARE(browser.selectedTabIdentifier(), QString("author"));
}

void TestAuthorJournalBrowser::restoreSelectedTab_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("identifier");

    QTest::newRow("absent") << QVariant() << "author";
    QTest::newRow("journal") << QVariant("journal") << "journal";
    QTest::newRow("author") << QVariant("author") << "author";
    QTest::newRow("unknown") << QVariant("year") << "author";
    QTest::newRow("not a text") << QVariant(3) << "author";
}

void TestAuthorJournalBrowser::restoreSelectedTab()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, identifier);
    Fixture fixture;
    if (stored.isValid())
        UserDefaults::standard().setObject(stored, "selectedTabIdentifierInJournalAuthor");

    fixture.browser->restoreSelectedTab();
    QCOMPARE(fixture.browser->selectedTabIdentifier(), identifier);
    QVERIFY(fixture.chosen.isEmpty());

    // Saving writes the shown tab back.
    fixture.browser->selectTab(identifier == "author" ? "journal" : "author");
    fixture.browser->saveSelectedTab();
    QCOMPARE(UserDefaults::standard().stringForKey("selectedTabIdentifierInJournalAuthor"),
             fixture.browser->selectedTabIdentifier());
}

void TestAuthorJournalBrowser::reloadFollowsTheLibrary_data()
{
    QTest::addColumn<bool>("afterHandEntry");
    QTest::addColumn<QStringList>("deleted");
    QTest::addColumn<QStringList>("initials");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("years");

    QTest::newRow("new journal, selection kept")
        << true << QStringList() << QStringList{"C", "N"} << QStringList{"N", "Nature", "2003"}
        << QStringList{"Nature", "Neuron", "Nucleic Acids Res"} << QStringList{"2003", "2004"};
    QTest::newRow("selected year emptied")
        << false << QStringList{"1", "5"} << QStringList{"C", "N"} << QStringList{"N", "Nature"}
        << QStringList{"Nature", "Neuron"} << QStringList{"2004"};
    QTest::newRow("selected journal gone")
        << false << QStringList{"1", "2", "5"} << QStringList{"C", "N"} << QStringList{"N"}
        << QStringList{"Neuron"} << QStringList();
    QTest::newRow("selected initial gone")
        << false << QStringList{"1", "2", "3", "5"} << QStringList{"C"} << QStringList()
        << QStringList() << QStringList();
}

void TestAuthorJournalBrowser::reloadFollowsTheLibrary()
{
    QFETCH(bool, afterHandEntry);
    QFETCH(QStringList, deleted);
    QFETCH(QStringList, initials);
    QFETCH(QStringList, path);
    QFETCH(QStringList, names);
    QFETCH(QStringList, years);
    Fixture fixture;
    IndexBrowser& journals = *fixture.browser->journalBrowser();
    QVERIFY(fixture.choose(journals, {"N", "Nature", "2003"}));
    const qsizetype reports = fixture.chosen.size();

    for (const QString& id : deleted)
        fixture.library.deleteArticle(ArticleKey{"User", id});
    if (afterHandEntry) {
        addArticle(fixture.library, {"6", {"Ochoa, S"}, "Nucleic Acids Res", "2006"});
        fixture.browser->showArticleJournalBrowser();
        QCOMPARE(titlesOf(*fixture.browser->authorBrowser(), 0), QStringList({"A", "B", "O", "Z"}));
    } else {
        fixture.browser->updateView();
    }

    QCOMPARE(titlesOf(journals, 0), initials);
    QCOMPARE(selectedPath(journals), path);
    QCOMPARE(titlesOf(journals, 1), names);
    QCOMPARE(titlesOf(journals, 2), years);
    // Reloads never change the shown article list.
    QCOMPARE(fixture.chosen.size(), reports);
}

void TestAuthorJournalBrowser::fontsFromDefaults_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("size");

    QTest::newRow("installed family") << "DejaVu Sans" << 14.0;
    QTest::newRow("missing family is still asked for") << "No Such Family" << 9.5;
}

void TestAuthorJournalBrowser::fontsFromDefaults()
{
    QFETCH(QString, family);
    QFETCH(double, size);
    TempHome home;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(family, "JournalAuthorViewFontType");
    defaults.setFloat(size, "JournalAuthorViewFontSize");

    AuthorJournalBrowser browser;
    const auto fontsAre = [&browser](const QString& family, double size) {
        for (IndexBrowser* index : {browser.authorBrowser(), browser.journalBrowser()}) {
            for (int column = 0; column < IndexBrowser::ColumnCount; ++column) {
                const QFont font = index->columnView(column)->font();
                if (font.family() != family || font.pointSizeF() != size)
                    return false;
            }
        }
        return true;
    };
    QVERIFY(fontsAre(family, size));

    defaults.setFloat(size + 2, "JournalAuthorViewFontSize");
    QVERIFY(fontsAre(family, size)); // read on request, not on every paint
    browser.updateFonts();
    QVERIFY(fontsAre(family, size + 2));
}

QTEST_MAIN(TestAuthorJournalBrowser)
#include "tst_authorjournalbrowser.moc"
