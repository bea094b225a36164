#include "TempHome.h"
#include "platform/ArchivedColor.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "window/ArticleAddresses.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"
#include "window/Icons.h"
#include "window/MimeTypes.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

ArticleRecord article(const QString& id, const QString& authors = QString(),
                      const QString& title = QString(), const QString& type = "User",
                      const QString& filepath = "none")
{
    ArticleRecord record;
    record.ID = id;
    record.type = type;
    record.authors = authors;
    record.title = title;
    record.filepath = filepath;
    record.mark = QStringLiteral("none");
    return record;
}

// A model under the item-model tester, filled outside any delivery.
struct Table
{
    explicit Table(QList<ArticleRecord> records = {}) { model.appendArticles(records); }
    QStringList ids() const
    {
        QStringList list;
        for (const ArticleRecord& record : model.articleList())
            list.append(record.ID);
        return list;
    }
    ArticleTableModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

QList<ArticleRecord> fiveArticles()
{
    return {article("1", "Baker", "beta"), article("2", "Adams", "alpha"),
            article("3", "Baker", "alpha"), article("4", "adams", "gamma"),
            article("5", "Adams", "beta")};
}

// A shown view over five articles.
struct ShownTable : Table
{
    ShownTable() : Table(fiveArticles())
    {
        view.setModel(&model);
        view.resize(900, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    ArticleTableView view;
};

QStringList identifiersInDisplayOrder(const QTableView& view)
{
    QStringList identifiers;
    for (int visual = 0; visual < view.horizontalHeader()->count(); ++visual)
        identifiers.append(
            ArticleTableModel::columnIdentifier(view.horizontalHeader()->logicalIndex(visual)));
    return identifiers;
}

} // namespace

class ArticleTableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { home = std::make_unique<TempHome>(); }
    void cleanup() { home.reset(); }

    void archivedColors_data();
    void archivedColors();
    void kindColors_data();
    void kindColors();
    void markIcons_data();
    void markIcons();
    void submitDateText_data();
    void submitDateText();
    void headerSort_data();
    void headerSort();
    void deliverySortsOnce();
    void appendOutsideDeliverySortsAtOnce();
    void selectionFollowsSortedRow();
    void setMarkKeepsOrder();
    void dragRecordOfTwoRows();
    void severalRowsSelectedByClicks();
    void drops_data();
    void drops();
    void dropEventsOnViewport_data();
    void dropEventsOnViewport();
    void columnsRoundTrip();
    void columnsRestore_data();
    void columnsRestore();
    void contextMenu_data();
    void contextMenu();
    void contextMenuActions();
    void keys_data();
    void keys();
    void addresses_data();
    void addresses();

private:
    std::unique_ptr<TempHome> home;
};

void ArticleTableTest::archivedColors_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("archived with alpha")
        << QVariant(archiveColor(QColor(10, 20, 30, 128))) << true << QColor(10, 20, 30, 128);
    QTest::newRow("archived opaque")
        << QVariant(archiveColor(Qt::darkGray)) << true << QColor(Qt::darkGray);
    QTest::newRow("string form") << QVariant(QStringLiteral("#ff102030")) << true
                                 << QColor(0x10, 0x20, 0x30);
    QTest::newRow("short string form")
        << QVariant(QStringLiteral("#102030")) << true << QColor(0x10, 0x20, 0x30);
    QTest::newRow("colour name") << QVariant(QStringLiteral("red")) << false << QColor();
    QTest::newRow("not hex") << QVariant(QByteArray("#gg102030")) << false << QColor();
    QTest::newRow("garbage data") << QVariant(QByteArray("\x04\x0bstreamtyped")) << false
                                  << QColor();
    QTest::newRow("number") << QVariant(42) << false << QColor();
    QTest::newRow("absent") << QVariant() << false << QColor();
}

void ArticleTableTest::archivedColors()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, valid);
    QFETCH(QColor, expected);
    const auto color = unarchiveColor(stored);
    QCOMPARE(color.has_value(), valid);
    if (valid)
        QCOMPARE(color->rgba(), expected.rgba());
}

void ArticleTableTest::kindColors_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("filepath");
    QTest::addColumn<bool>("withTextColors");
    QTest::addColumn<QColor>("expected");
    const QColor pubmedPDF(1, 2, 3), pubmed(4, 5, 6), userPDF(7, 8, 9);
    QTest::newRow("PubMed with PDF") << "pmid"
                                     << "/p/1.pdf" << false << QColor(Qt::black);
    QTest::newRow("PubMed without PDF") << "pmid"
                                        << "none" << false << QColor(Qt::darkGray);
    QTest::newRow("user with PDF") << "User"
                                   << "/p/a.pdf" << false << QColor(Qt::black);
    QTest::newRow("user without PDF") << "User"
                                      << "none" << false << QColor(Qt::darkGray);
    QTest::newRow("colours: PubMed with PDF") << "pmid"
                                              << "/p/1.pdf" << true << pubmedPDF;
    QTest::newRow("colours: PubMed without PDF") << "pmid"
                                                 << "none" << true << pubmed;
    QTest::newRow("colours: user with PDF") << "User"
                                            << "/p/a.pdf" << true << userPDF;
    // The stored "User" entry is not a colour: the default stays.
    QTest::newRow("colours: unreadable entry") << "User"
                                               << "none" << true << QColor(Qt::darkGray);
    QTest::newRow("colours: other type with PDF") << "Book"
                                                  << "/p/b.pdf" << false << QColor(Qt::darkGray);
    QTest::newRow("empty path counts as no PDF") << "pmid"
                                                 << "" << false << QColor(Qt::darkGray);
}

void ArticleTableTest::kindColors()
{
    QFETCH(QString, type);
    QFETCH(QString, filepath);
    QFETCH(bool, withTextColors);
    QFETCH(QColor, expected);
    if (withTextColors)
        UserDefaults::standard().setObject(QVariantMap{{"PubMedPDF", archiveColor(QColor(1, 2, 3))},
                                                       {"PubMed", archiveColor(QColor(4, 5, 6))},
                                                       {"UserPDF", archiveColor(QColor(7, 8, 9))},
                                                       {"User", QStringLiteral("not a colour")}},
                                           "textColors");
    Table table({article("1", "A", "T", type, filepath)});
    for (int column = 0; column < ArticleTableModel::ColumnCount; ++column)
        QCOMPARE(table.model.index(0, column).data(Qt::ForegroundRole).value<QColor>(), expected);
}

void ArticleTableTest::markIcons_data()
{
    QTest::addColumn<QString>("mark");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("icon");
    QTest::newRow("read, memo ignored") << "read"
                                        << "a note"
                                        << "check";
    QTest::newRow("important") << "important"
                               << ""
                               << "important";
    QTest::newRow("question") << "question"
                              << ""
                              << "question";
    QTest::newRow("no mark, memo") << "none"
                                   << "a note"
                                   << "memo";
    QTest::newRow("no mark, no memo") << "none"
                                      << ""
                                      << "";
    QTest::newRow("unknown mark, memo") << "starred"
                                        << "x"
                                        << "memo";
}

void ArticleTableTest::markIcons()
{
    QFETCH(QString, mark);
    QFETCH(QString, memo);
    QFETCH(QString, icon);
    ArticleRecord record = article("1", "A", "T");
    record.mark = mark;
    record.memo = memo;
    Table table({record});
    const QVariant decoration =
        table.model.index(0, ArticleTableModel::MarkColumn).data(Qt::DecorationRole);
    if (icon.isEmpty()) {
        QVERIFY(!decoration.isValid());
    } else {
        QVERIFY(!Icons::named(icon).isNull());
        QCOMPARE(decoration.value<QIcon>().cacheKey(), Icons::named(icon).cacheKey());
    }
    QCOMPARE(table.model.index(0, ArticleTableModel::MarkColumn).data().toString(), QString());
    QVERIFY(
        !table.model.index(0, ArticleTableModel::TitleColumn).data(Qt::DecorationRole).isValid());
}

void ArticleTableTest::submitDateText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("stored form") << "2006-03-05 14:22:01 +0900"
                                 << "Mar 05 2006";
    QTest::newRow("absent") << ""
                            << "";
    QTest::newRow("unparsable") << "yesterday"
                                << "";
}

void ArticleTableTest::submitDateText()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    ArticleRecord record = article("1", "Smith, J", "A title");
    record.submitDate = stored;
    Table table({record});
    QCOMPARE(table.model.index(0, ArticleTableModel::SubmitDateColumn).data().toString(), shown);
    QCOMPARE(table.model.index(0, ArticleTableModel::AuthorColumn).data().toString(),
             QString("Smith, J"));
}

void ArticleTableTest::headerSort_data()
{
    // Five articles (ID authors title): 1 Baker beta, 2 Adams alpha,
    // 3 Baker alpha, 4 adams gamma, 5 Adams beta.
    QTest::addColumn<QList<int>>("clickColumns");
    QTest::addColumn<QList<bool>>("clickAscending");
    QTest::addColumn<QStringList>("descriptors");
    QTest::addColumn<QStringList>("ids");
    using M = ArticleTableModel;
    QTest::newRow("no descriptors: delivery order")
        << QList<int>{} << QList<bool>{} << QStringList{} << QStringList{"1", "2", "3", "4", "5"};
    // Case-sensitive: "Adams" < "Baker" < "adams"; ties keep their order.
    QTest::newRow("author ascending")
        << QList<int>{M::AuthorColumn} << QList<bool>{true} << QStringList{"authors+"}
        << QStringList{"2", "5", "1", "3", "4"};
    QTest::newRow("title then author descending")
        << QList<int>{M::TitleColumn, M::AuthorColumn} << QList<bool>{true, false}
        << QStringList{"authors-", "title+"} << QStringList{"4", "3", "1", "2", "5"};
    QTest::newRow("clicking a key again moves it to the front, once")
        << QList<int>{M::TitleColumn, M::AuthorColumn, M::TitleColumn}
        << QList<bool>{true, true, false} << QStringList{"title-", "authors+"}
        << QStringList{"4", "5", "1", "2", "3"};
}

void ArticleTableTest::headerSort()
{
    QFETCH(QList<int>, clickColumns);
    QFETCH(QList<bool>, clickAscending);
    QFETCH(QStringList, descriptors);
    QFETCH(QStringList, ids);
    Table table(fiveArticles());
    for (int i = 0; i < clickColumns.size(); ++i)
        table.model.sort(clickColumns[i],
                         clickAscending[i] ? Qt::AscendingOrder : Qt::DescendingOrder);
    QStringList shown;
    for (const SortDescriptor& descriptor : table.model.sortDescriptors())
        shown.append(descriptor.key + (descriptor.ascending ? "+" : "-"));
    QCOMPARE(shown, descriptors);
    QCOMPARE(table.ids(), ids);
}

void ArticleTableTest::deliverySortsOnce()
{
    Table table;
    table.model.setSortDescriptors({{"title", true}, {"authors", true}});
    QSignalSpy inserted(&table.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&table.model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&table.model, &QAbstractItemModel::layoutChanged);

    table.model.beginDelivery();
    QList<ArticleRecord> records = fiveArticles();
    QList<ArticleRecord> first = records.mid(0, 2), second = records.mid(2);
    table.model.appendArticles(first);
    table.model.appendArticles(second);
    QVERIFY(first.isEmpty() && second.isEmpty());
    QCOMPARE(resets.count(), 0);
    table.model.endDelivery();

    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(table.ids(), (QStringList{"2", "3", "5", "1", "4"}));
}

void ArticleTableTest::appendOutsideDeliverySortsAtOnce()
{
    Table table({article("1", "B", "b")});
    table.model.setSortDescriptors({{"title", false}});
    QList<ArticleRecord> batch{article("2", "A", "a"), article("3", "C", "c")};
    QSignalSpy inserted(&table.model, &QAbstractItemModel::rowsInserted);
    table.model.appendArticles(batch);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(table.ids(), (QStringList{"3", "1", "2"}));
}

void ArticleTableTest::selectionFollowsSortedRow()
{
    ShownTable table;
    table.view.selectRow(0); // article 1
    QCOMPARE(table.view.selectedRow(), 0);
    table.view.horizontalHeader()->setSortIndicator(ArticleTableModel::TitleColumn,
                                                    Qt::DescendingOrder);
    // Titles descending: gamma(4), beta(1), beta(5), alpha(2), alpha(3).
    QCOMPARE(table.ids(), (QStringList{"4", "1", "5", "2", "3"}));
    QCOMPARE(table.view.selectedRow(), 1);
    QCOMPARE(table.model.record(table.view.selectedRow()).ID, QString("1"));
}

void ArticleTableTest::setMarkKeepsOrder()
{
    Table table(fiveArticles());
    table.model.setSortDescriptors({{"mark", true}});
    QSignalSpy changed(&table.model, &QAbstractItemModel::dataChanged);
    table.model.setMark(4, "read");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(table.model.record(4).mark, QString("read"));
    QCOMPARE(table.ids(), (QStringList{"1", "2", "3", "4", "5"}));
    table.model.setMark(5, "read"); // no such row
    QCOMPARE(changed.count(), 1);
}

void ArticleTableTest::dragRecordOfTwoRows()
{
    ArticleRecord withPDF = article("17284678", "Smith, J", "One", "pmid", "/papers/17284678.pdf");
    withPDF.volume = "12";
    withPDF.number = "3";
    withPDF.year = "2007";
    withPDF.journal = "J Test";
    const ArticleRecord withoutPDF = article("4", "Doe, J", "Two", "User", "none");
    Table table({article("0"), withPDF, withoutPDF});
    QVERIFY(table.model.flags(table.model.index(1, 2)).testFlag(Qt::ItemIsDragEnabled));

    // Indexes of whole rows, out of order, as a selection hands them over.
    const QModelIndexList indexes{table.model.index(2, 3), table.model.index(1, 0),
                                  table.model.index(2, 0), table.model.index(1, 5)};
    const std::unique_ptr<QMimeData> data(table.model.mimeData(indexes));
    QVERIFY(data);

    const auto keys = MimeTypes::decode(data.get(), MimeTypes::pmid);
    QVERIFY(keys);
    QCOMPARE(keys->toList(), (QVariantList{QVariantMap{{"ID", "17284678"}, {"type", "pmid"}},
                                           QVariantMap{{"ID", "4"}, {"type", "User"}}}));
    const auto records = MimeTypes::decode(data.get(), MimeTypes::pubmedRecord);
    QVERIFY(records);
    QCOMPARE(records->toList().size(), 2);
    QCOMPARE(records->toList().at(0).toMap(), (QVariantMap{{"PMAuthor", "Smith, J"},
                                                           {"PMTitle", "One"},
                                                           {"PMJournal", "J Test"},
                                                           {"PMVolume", "12"},
                                                           {"PMNumber", "3"},
                                                           {"PMYeaer", "2007"},
                                                           {"PMFilePath", "/papers/17284678.pdf"},
                                                           {"PMID", "17284678"},
                                                           {"PMIDType", "pmid"}}));
    QCOMPARE(records->toList().at(1).toMap().value("PMFilePath").toString(), QString("none"));
    QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile("/papers/17284678.pdf")});
    QCOMPARE(table.model.supportedDragActions(), Qt::DropActions(Qt::CopyAction));
}

void ArticleTableTest::drops_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("parentRow"); // -1: no parent
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<bool>("accepted");
    const QList<QUrl> pdfs{QUrl::fromLocalFile("/in/123.pdf"), QUrl::fromLocalFile("/in/4.pdf")};
    QTest::newRow("between rows") << 1 << -1 << pdfs << true;
    QTest::newRow("above the first row") << 0 << -1 << pdfs << true;
    QTest::newRow("below the last row") << -1 << -1 << pdfs << true;
    QTest::newRow("onto a row") << -1 << 1 << pdfs << false;
    QTest::newRow("no local files") << 1 << -1 << QList<QUrl>{QUrl("https://x.org/1.pdf")} << false;
    QTest::newRow("no files at all") << 1 << -1 << QList<QUrl>{} << false;
}

void ArticleTableTest::drops()
{
    QFETCH(int, row);
    QFETCH(int, parentRow);
    QFETCH(QList<QUrl>, urls);
    QFETCH(bool, accepted);
    Table table(fiveArticles());
    QObject observer;
    QList<QVariant> posted;
    NotificationCenter::defaultCenter().addObserver(
        &observer, "importArticle", [&](const Notification& n) { posted.append(n.object); });

    QMimeData data;
    data.setUrls(urls);
    const QModelIndex parent = parentRow < 0 ? QModelIndex() : table.model.index(parentRow, 0);
    QCOMPARE(table.model.canDropMimeData(&data, Qt::CopyAction, row, -1, parent), accepted);
    QCOMPARE(table.model.dropMimeData(&data, Qt::CopyAction, row, -1, parent), accepted);
    if (accepted)
        QCOMPARE(posted, QList<QVariant>{QStringList({"/in/123.pdf", "/in/4.pdf"})});
    else
        QVERIFY(posted.isEmpty());
}

void ArticleTableTest::dropEventsOnViewport_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("middle of a row") << "onto" << false;
    QTest::newRow("edge between two rows") << "between" << true;
    QTest::newRow("empty space below the rows") << "below" << true;
}

void ArticleTableTest::dropEventsOnViewport()
{
    QFETCH(QString, where);
    QFETCH(bool, accepted);
    ShownTable table;
    QObject observer;
    int posts = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, "importArticle",
                                                    [&](const Notification&) { ++posts; });
    const QRect second = table.view.visualRect(table.model.index(1, 2));
    QPoint point = second.center();
    if (where == "between")
        point = QPoint(second.center().x(), second.top() + 1);
    else if (where == "below")
        point = QPoint(second.center().x(),
                       table.view.visualRect(table.model.index(4, 2)).bottom() + 40);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/in/99.pdf")});
    QWidget* viewport = table.view.viewport();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QCOMPARE(move.isAccepted(), accepted);
    QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(posts, accepted ? 1 : 0);
}

void ArticleTableTest::columnsRoundTrip()
{
    UserDefaults::standard().setObject(QVariantMap{{"Foo", "kept"}, {"MarkWidth", 5.0}},
                                       "articleViewStatus");
    int markWidth = 0;
    {
        ShownTable table;
        markWidth = table.view.columnWidth(ArticleTableModel::MarkColumn);
        QHeaderView* header = table.view.horizontalHeader();
        header->moveSection(header->visualIndex(ArticleTableModel::TitleColumn), 0);
        table.view.setColumnWidth(ArticleTableModel::TitleColumn, 411);
        table.view.setColumnWidth(ArticleTableModel::MarkColumn, markWidth + 50);
        table.view.saveColumns();
    }
    UserDefaults::resetStandard(); // read back from the file
    const QVariantMap status = UserDefaults::standard().objectForKey("articleViewStatus").toMap();
    QCOMPARE(status.value("Foo").toString(), QString("kept"));
    QCOMPARE(status.value("TitleWidth").toDouble(), 411.0);
    QCOMPARE(status.value("MarkWidth").toDouble(), double(markWidth + 50));
    QCOMPARE(status.value("columns").toStringList(),
             (QStringList{"title", "mark", "author", "journal", "volume", "year", "pages",
                          "submitDate"}));

    ShownTable again;
    again.view.resizeColumns();
    QCOMPARE(identifiersInDisplayOrder(again.view), status.value("columns").toStringList());
    QCOMPARE(again.view.columnWidth(ArticleTableModel::TitleColumn), 411);
    QCOMPARE(again.view.columnWidth(ArticleTableModel::MarkColumn), markWidth);
}

void ArticleTableTest::columnsRestore_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("authorWidth"); // -1: the layout's, 0: the minimum
    QTest::addColumn<int>("titleWidth");
    const QStringList layout{"mark",   "author", "title", "journal",
                             "volume", "year",   "pages", "submitDate"};
    QTest::newRow("nothing stored") << QVariant() << layout << -1 << -1;
    QTest::newRow("unknown identifier skipped, missing width is the minimum")
        << QVariant(QVariantMap{{"columns", QStringList{"bogus", "title", "mark"}},
                                {"AuthorWidth", 210.0}})
        << QStringList{"title",  "author", "mark",  "journal",
                       "volume", "year",   "pages", "submitDate"}
        << 210 << 0;
}

void ArticleTableTest::columnsRestore()
{
    QFETCH(QVariant, stored);
    QFETCH(QStringList, order);
    QFETCH(int, authorWidth);
    QFETCH(int, titleWidth);
    if (stored.isValid())
        UserDefaults::standard().setObject(stored, "articleViewStatus");
    ShownTable table;
    const int layoutAuthor = table.view.columnWidth(ArticleTableModel::AuthorColumn);
    const int layoutTitle = table.view.columnWidth(ArticleTableModel::TitleColumn);
    const int minimum = table.view.horizontalHeader()->minimumSectionSize();
    table.view.resizeColumns();
    QCOMPARE(identifiersInDisplayOrder(table.view), order);
    const auto expected = [&](int wanted, int layoutWidth) {
        return wanted < 0 ? layoutWidth : wanted == 0 ? minimum : wanted;
    };
    QCOMPARE(table.view.columnWidth(ArticleTableModel::AuthorColumn),
             expected(authorWidth, layoutAuthor));
    QCOMPARE(table.view.columnWidth(ArticleTableModel::TitleColumn),
             expected(titleWidth, layoutTitle));
}

void ArticleTableTest::contextMenu_data()
{
    QTest::addColumn<int>("leftmost");
    QTest::addColumn<int>("clickRow"); // -1: below the last row
    QTest::addColumn<bool>("menu");
    using M = ArticleTableModel;
    QTest::newRow("mark leftmost, on a row") << int(M::MarkColumn) << 2 << true;
    QTest::newRow("author leftmost, on a row") << int(M::AuthorColumn) << 3 << true;
    QTest::newRow("title leftmost") << int(M::TitleColumn) << 2 << false;
    QTest::newRow("below the last row") << int(M::MarkColumn) << -1 << false;
}

void ArticleTableTest::contextMenu()
{
    QFETCH(int, leftmost);
    QFETCH(int, clickRow);
    QFETCH(bool, menu);
    ShownTable table;
    QHeaderView* header = table.view.horizontalHeader();
    header->moveSection(header->visualIndex(leftmost), 0);
    table.view.selectRow(0);

    const QPoint point =
        clickRow >= 0 ? table.view.visualRect(table.model.index(clickRow, 2)).center()
                      : QPoint(10, table.view.visualRect(table.model.index(4, 2)).bottom() + 30);
    const std::unique_ptr<QMenu> shown(table.view.menuForEvent(point));
    QCOMPARE(bool(shown), menu);
    if (!menu)
        return;
    QCOMPARE(table.view.selectedRow(), clickRow);
    QCOMPARE(shown->title(), QString("context menu"));
    QStringList items, shortcuts;
    for (QAction* action : shown->actions()) {
        items.append(action->isSeparator() ? "-" : action->text());
        shortcuts.append(action->shortcut().toString());
    }
    QCOMPARE(items, (QStringList{"Mark", "Open Info", "Open File", "-", "Browser open Pubmed Site",
                                 "Browser open Journal Site", "-", "Delete"}));
    QCOMPARE(shortcuts,
             (QStringList{"", "Ctrl+I", "Ctrl+O", "", "Ctrl+P", "Ctrl+J", "", "Ctrl+D"}));
    QMenu* marks = shown->actions().first()->menu();
    QVERIFY(marks);
    QStringList markItems;
    for (QAction* action : marks->actions())
        markItems.append(action->text());
    QCOMPARE(markItems,
             (QStringList{"Mark Read", "Mark Important", "Mark Question", "remove mark"}));
}

void ArticleTableTest::contextMenuActions()
{
    ShownTable table;
    const std::unique_ptr<QMenu> menu(
        table.view.menuForEvent(table.view.visualRect(table.model.index(1, 1)).center()));
    QVERIFY(menu);
    struct Wiring
    {
        QString title;
        void (ArticleTableView::*signal)();
    };
    const QList<Wiring> wiring{
        {"Open Info", &ArticleTableView::openInfoRequested},
        {"Open File", &ArticleTableView::openFileRequested},
        {"Browser open Pubmed Site", &ArticleTableView::openPubmedSiteRequested},
        {"Browser open Journal Site", &ArticleTableView::openJournalSiteRequested},
        {"Delete", &ArticleTableView::removeArticleRequested},
        {"Mark Read", &ArticleTableView::setReadMarkRequested},
        {"Mark Important", &ArticleTableView::setImportantMarkRequested},
        {"Mark Question", &ArticleTableView::setQuestionMarkRequested},
        {"remove mark", &ArticleTableView::unsetMarkRequested}};
    QList<QAction*> actions = menu->actions();
    actions += menu->actions().first()->menu()->actions();
    for (const Wiring& entry : wiring) {
        QSignalSpy spy(&table.view, entry.signal);
        const auto found = std::find_if(actions.cbegin(), actions.cend(),
                                        [&](QAction* a) { return a->text() == entry.title; });
        QVERIFY2(found != actions.cend(), qPrintable(entry.title));
        (*found)->trigger();
        QCOMPARE(spy.count(), 1);
    }
}

void ArticleTableTest::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selected");   // before; -1 none
    QTest::addColumn<QString>("signal"); // emitted, or empty
    QTest::addColumn<int>("selectedAfter");
    const int none = Qt::NoModifier;
    QTest::newRow("Backspace, selection")
        << int(Qt::Key_Backspace) << none << 2 << "removeArticleRequested" << 2;
    QTest::newRow("Backspace, no selection") << int(Qt::Key_Backspace) << none << -1 << "" << -1;
    QTest::newRow("Delete, selection")
        << int(Qt::Key_Delete) << none << 0 << "removeArticleRequested" << 0;
    QTest::newRow("Delete, no selection") << int(Qt::Key_Delete) << none << -1 << "" << -1;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 1 << "openInfoRequested" << 1;
    QTest::newRow("Enter, no selection")
        << int(Qt::Key_Enter) << none << -1 << "openInfoRequested" << -1;
    QTest::newRow("i") << int(Qt::Key_I) << none << 1 << "setImportantMarkRequested" << 1;
    QTest::newRow("I") << int(Qt::Key_I) << int(Qt::ShiftModifier) << 1
                       << "setImportantMarkRequested" << 1;
    QTest::newRow("q") << int(Qt::Key_Q) << none << 1 << "setQuestionMarkRequested" << 1;
    QTest::newRow("r, no selection")
        << int(Qt::Key_R) << none << -1 << "setReadMarkRequested" << -1;
    QTest::newRow("U") << int(Qt::Key_U) << int(Qt::ShiftModifier) << 3 << "unsetMarkRequested"
                       << 3;
    QTest::newRow("up") << int(Qt::Key_Up) << none << 2 << "openDrawerRequested" << 1;
    QTest::newRow("up on the first row") << int(Qt::Key_Up) << none << 0 << "" << 0;
    QTest::newRow("up, no selection") << int(Qt::Key_Up) << none << -1 << "" << -1;
    QTest::newRow("down") << int(Qt::Key_Down) << none << 3 << "openDrawerRequested" << 4;
    QTest::newRow("down on the last row") << int(Qt::Key_Down) << none << 4 << "" << 4;
    QTest::newRow("down, no selection") << int(Qt::Key_Down) << none << -1 << "" << -1;
    QTest::newRow("page down is swallowed") << int(Qt::Key_PageDown) << none << 0 << "" << 0;
    QTest::newRow("type-to-select is off") << int(Qt::Key_A) << none << 0 << "" << 0;
}

void ArticleTableTest::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selected);
    QFETCH(QString, signal);
    QFETCH(int, selectedAfter);
    ShownTable table;
    // Through the selection model: QTableView::selectRow() would read the
    // modifier keys a previous row left pressed.
    if (selected >= 0)
        table.view.selectionModel()->setCurrentIndex(table.model.index(selected, 0),
                                                     QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    else
        table.view.clearSelection();

    const QMetaObject* meta = table.view.metaObject();
    QList<std::pair<QString, std::shared_ptr<QSignalSpy>>> spies;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            spies.append({QString::fromLatin1(method.name()),
                          std::make_shared<QSignalSpy>(&table.view, method)});
    }
    QCOMPARE(spies.size(), 10);

    QTest::keyClick(&table.view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QStringList emitted;
    for (const auto& [name, spy] : spies) {
        if (spy->count() > 0)
            emitted.append(name);
    }
    QCOMPARE(emitted, signal.isEmpty() ? QStringList() : QStringList{signal});
    QCOMPARE(table.view.selectedRow(), selectedAfter);
}

void ArticleTableTest::addresses_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("PubMed page")
        << ArticleAddresses::pubmedPage("17284678")
        << "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=PubMed&list_uids="
           "17284678&dopt=Abstract";
    QTest::newRow("link-out")
        << ArticleAddresses::linkOut("9997")
        << "https://eutils.ncbi.nlm.nih.gov/entrez/eutils/elink.fcgi?dbfrom=pubmed&id=9997&"
           "retmode=ref&cmd=prlinks";
    QTest::newRow("DOI") << ArticleAddresses::doiPage("10.1097/ACM.0000000000003093")
                         << "https://doi.org/10.1097/ACM.0000000000003093";
    // "#", "?" and "<" stay in the DOI instead of cutting the address short.
    QTest::newRow("DOI with reserved characters")
        << ArticleAddresses::doiPage("10.1002/(SICI)1097<213::AID>3.0.CO;2-K#x?y")
        << "https://doi.org/10.1002/(SICI)1097%3C213::AID%3E3.0.CO;2-K%23x%3Fy";
    QTest::newRow("an ID cannot add parameters")
        << ArticleAddresses::pubmedPage("1&db=x")
        << "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Retrieve&db=PubMed&list_uids="
           "1%26db%3Dx&dopt=Abstract";
}

void ArticleTableTest::addresses()
{
    QFETCH(QUrl, url);
    QFETCH(QString, expected);
    QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
}

// Ctrl-clicks select several articles to drag together; the row actions take
// the row clicked last.
void ArticleTableTest::severalRowsSelectedByClicks()
{
    ShownTable table;
    const auto clickRow = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell =
            table.view.visualRect(table.model.index(row, ArticleTableModel::TitleColumn));
        QTest::mouseClick(table.view.viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    clickRow(3, Qt::NoModifier);
    clickRow(1, Qt::ControlModifier);

    const QModelIndexList selected = table.view.selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 2);
    QCOMPARE(table.view.selectedRow(), 1);
    std::unique_ptr<QMimeData> data(
        table.model.mimeData(table.view.selectionModel()->selectedIndexes()));
    QVERIFY(data);
    const auto keys = MimeTypes::decode(data.get(), MimeTypes::pmid);
    QVERIFY(keys);
    QCOMPARE(keys->toList().size(), 2);
    QCOMPARE(ArticleKey::fromVariant(keys->toList().at(0))->ID, table.model.record(1).ID);
    QCOMPARE(ArticleKey::fromVariant(keys->toList().at(1))->ID, table.model.record(3).ID);
}

QTEST_MAIN(ArticleTableTest)
#include "tst_articletable.moc"
