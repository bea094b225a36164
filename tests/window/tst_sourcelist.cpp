// The source list: its model over a real library and favorites file, and the
// view driven with real keys, clicks, menus and drops.
#include "ArticleKeys.h"
#include "ScriptedPanels.h"
#include "TempHome.h"

#include "library/FavoriteFile.h"
#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/UserDefaults.h"
#include "window/Icons.h"
#include "window/MimeTypes.h"
#include "window/SourceListModel.h"
#include "window/SourceTableView.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

// A fresh home with a real library and three favorites lists "A", "B", "C"
// (rows 2, 3, 4).
struct Fixture
{
    Fixture()
    {
        preferenceDir = home.defaultPreferenceDir();
        QDir().mkpath(preferenceDir);
        UserDefaults& defaults = UserDefaults::standard();
        defaults.setObject(preferenceDir, "preferenceDir");
        defaults.setObject(QString("DejaVu Sans"), "fontType");
        defaults.setFloat(13.0, "fontSize");
        library = std::make_unique<PMIDLibrary>();
        favorite = std::make_unique<MyFavorite>();
        favorite->setLibrary(library.get());
        for (const char* name : {"A", "B", "C"})
            favorite->addNewFavorite(name);
        model = std::make_unique<SourceListModel>(library.get(), favorite.get());
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    QStringList namesOnDisk() const
    {
        const auto record = FavoriteFile::readFile(preferenceDir + "/favorite.dat");
        QStringList names;
        for (const FavoriteList& list : record ? record->favoriteList : QList<FavoriteList>())
            names.append(list.name);
        return names;
    }
    QStringList rowTexts() const
    {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row).data().toString());
        return texts;
    }

    TempHome home;
    ScriptedPanelsScope panels;
    QString preferenceDir;
    std::unique_ptr<PMIDLibrary> library;
    std::unique_ptr<MyFavorite> favorite;
    std::unique_ptr<SourceListModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

// Counts the keys that reach the list's parent.
class Host : public QWidget
{
public:
    int keysPassedOn = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        ++keysPassedOn;
        event->ignore();
    }
};

// The model shown in a real view, in a window.
struct ViewFixture : Fixture
{
    ViewFixture()
    {
        view = new SourceTableView(&host);
        view->setModel(model.get());
        host.resize(300, 400);
        view->resize(300, 400);
        host.show();
        if (!QTest::qWaitForWindowExposed(&host))
            qFatal("window not exposed");
    }
    QPoint centreOf(int row) const { return view->visualRect(model->index(row)).center(); }

    Host host;
    SourceTableView* view = nullptr;
};

QVariantList keyVariants(const QStringList& ids)
{
    QVariantList list;
    for (const ArticleKey& key : pmidKeys(ids))
        list.append(key.toVariant());
    return list;
}

// The payloads the list may be offered, by name.
std::unique_ptr<QMimeData> payload(const QString& kind)
{
    auto data = std::make_unique<QMimeData>();
    if (kind.startsWith("row ")) {
        data->setData(MimeTypes::originalRow, MimeTypes::encode(qint64(kind.mid(4).toInt())));
    } else if (kind == "pmid") {
        data->setData(MimeTypes::pmid, MimeTypes::encode(keyVariants({"11", "12"})));
    } else if (kind == "pmid garbage") {
        data->setData(MimeTypes::pmid, "not a property list");
    } else if (kind == "files") {
        data->setUrls({QUrl::fromLocalFile("/tmp/1.pdf"), QUrl::fromLocalFile("/tmp/2.pdf")});
    } else if (kind == "web address") {
        data->setUrls({QUrl("https://example.org/1.pdf")});
    } else if (kind == "PubMed results") {
        data->setData(MimeTypes::pubmedArticle, MimeTypes::encode(QStringList{"31", "32"}));
    } else if (kind == "article drag") { // as the article list writes it
        data->setData(MimeTypes::pmid, MimeTypes::encode(keyVariants({"11"})));
        data->setUrls({QUrl::fromLocalFile("/tmp/11.pdf")});
    } else if (kind == "text") {
        data->setText("11");
    }
    return data;
}

// Qt's drop positions for "onto row R" and "above row R" (R = rowCount:
// below the last row).
void dropPosition(const QString& where, int R, int rowCount, int* row, QModelIndex* parent,
                  const QAbstractItemModel& model)
{
    if (where == "on") {
        *row = -1;
        *parent = model.index(R, 0);
    } else if (where == "viewport") {
        *row = -1;
        *parent = QModelIndex();
    } else {
        *row = R == rowCount ? -1 : R;
        *parent = QModelIndex();
    }
}

} // namespace

class TestSourceList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsOfLibraryPubMedAndLists();
    void renameInPlace_data();
    void renameInPlace();
    void dragOfOneRowOnly();
    void validateDrop_data();
    void validateDrop();
    void reorderLists_data();
    void reorderLists();
    void articlesDroppedOnAList();
    void filesAndPubMedResultsHandedOn_data();
    void filesAndPubMedResultsHandedOn();
    void keys_data();
    void keys();
    void clickOpensProgramSelectionDoesNot();
    void contextMenu_data();
    void contextMenu();
    void renameEndsWithReturn();
    void dropEventsOnTheView_data();
    void dropEventsOnTheView();
    void rowHeightFollowsFontSize();
    void reloadKeepsSelection_data();
    void reloadKeepsSelection();
};

void TestSourceList::rowsOfLibraryPubMedAndLists()
{
    Fixture f;
    QCOMPARE(f.model->numberOfSources(), 5);
    QCOMPARE(f.rowTexts(), QStringList({"Library", "PubMed Search", "A", "B", "C"}));
    const QStringList icons{"library", "pubmedSearch", "favorite", "favorite", "favorite"};
    for (int row = 0; row < 5; ++row) {
        const QModelIndex index = f.model->index(row);
        const auto icon = index.data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.cacheKey(), Icons::named(icons[row]).cacheKey());
        const auto font = index.data(Qt::FontRole).value<QFont>();
        QCOMPARE(font.family(), QString("DejaVu Sans"));
        QCOMPARE(font.pointSizeF(), 13.0);
        QCOMPARE(bool(f.model->flags(index) & Qt::ItemIsEditable), row >= 2);
        QVERIFY(f.model->flags(index) & Qt::ItemIsDragEnabled);
    }
    f.favorite->addNewFavorite("D");
    f.model->reload();
    QCOMPARE(f.model->rowCount(), 6);
}

void TestSourceList::renameInPlace_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("library") << 0 << false
                             << QStringList{"Library", "PubMed Search", "A", "B", "C"};
    QTest::newRow("PubMed search")
        << 1 << false << QStringList{"Library", "PubMed Search", "A", "B", "C"};
    QTest::newRow("favorites list")
        << 3 << true << QStringList{"Library", "PubMed Search", "A", "New", "C"};
}

void TestSourceList::renameInPlace()
{
    QFETCH(int, row);
    QFETCH(bool, taken);
    QFETCH(QStringList, texts);
    Fixture f;
    QCOMPARE(f.model->setData(f.model->index(row), "New"), taken);
    QCOMPARE(f.rowTexts(), texts);
    // The file learns the name with the next favorites write.
    QCOMPARE(f.namesOnDisk(), QStringList({"A", "B", "C"}));
    f.favorite->writeToFile();
    QCOMPARE(f.namesOnDisk(), texts.mid(2));
}

void TestSourceList::dragOfOneRowOnly()
{
    Fixture f;
    std::unique_ptr<QMimeData> one(f.model->mimeData({f.model->index(3)}));
    QVERIFY(one);
    QCOMPARE(MimeTypes::decode(one.get(), MimeTypes::originalRow).value_or(QVariant()).toInt(), 3);
    std::unique_ptr<QMimeData> two(f.model->mimeData({f.model->index(2), f.model->index(3)}));
    QVERIFY(!two);
    QCOMPARE(f.model->supportedDragActions(), Qt::CopyAction);
}

void TestSourceList::validateDrop_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("where"); // "on", "above" a row, or "viewport" (below the rows)
    QTest::addColumn<int>("R");
    QTest::addColumn<bool>("accepted");
    // Reordering: only above a favorites row, only lists move.
    QTest::newRow("list above first list") << "row 4"
                                           << "above" << 2 << true;
    QTest::newRow("list above its own row") << "row 3"
                                            << "above" << 3 << true;
    QTest::newRow("list below the last") << "row 2"
                                         << "above" << 5 << true;
    QTest::newRow("list onto the empty area") << "row 2"
                                              << "viewport" << 5 << true;
    QTest::newRow("list onto a list") << "row 3"
                                      << "on" << 2 << false;
    QTest::newRow("list above PubMed") << "row 3"
                                       << "above" << 1 << false;
    QTest::newRow("list above library") << "row 3"
                                        << "above" << 0 << false;
    QTest::newRow("PubMed row moved") << "row 1"
                                      << "above" << 3 << false;
    QTest::newRow("library row moved") << "row 0"
                                       << "above" << 3 << false;
    QTest::newRow("row past the lists") << "row 9"
                                        << "above" << 3 << false;
    // Articles: onto a list only.
    QTest::newRow("articles onto a list") << "pmid"
                                          << "on" << 2 << true;
    QTest::newRow("articles above a list") << "pmid"
                                           << "above" << 3 << false;
    QTest::newRow("articles onto library") << "pmid"
                                           << "on" << 0 << false;
    QTest::newRow("articles onto PubMed") << "pmid"
                                          << "on" << 1 << false;
    QTest::newRow("unreadable articles") << "pmid garbage"
                                         << "on" << 2 << false;
    QTest::newRow("article drag onto library") << "article drag"
                                               << "on" << 0 << true;
    // Files and PubMed results: onto the library or a list, never PubMed.
    QTest::newRow("files onto library") << "files"
                                        << "on" << 0 << true;
    QTest::newRow("files onto a list") << "files"
                                       << "on" << 4 << true;
    QTest::newRow("files onto PubMed") << "files"
                                       << "on" << 1 << false;
    QTest::newRow("files above a list") << "files"
                                        << "above" << 3 << false;
    QTest::newRow("web address onto library") << "web address"
                                              << "on" << 0 << false;
    QTest::newRow("results onto library") << "PubMed results"
                                          << "on" << 0 << true;
    QTest::newRow("results onto a list") << "PubMed results"
                                         << "on" << 3 << true;
    QTest::newRow("results onto PubMed") << "PubMed results"
                                         << "on" << 1 << false;
    QTest::newRow("results below the rows") << "PubMed results"
                                            << "viewport" << 5 << false;
    QTest::newRow("plain text") << "text"
                                << "on" << 0 << false;
}

void TestSourceList::validateDrop()
{
    QFETCH(QString, kind);
    QFETCH(QString, where);
    QFETCH(int, R);
    QFETCH(bool, accepted);
    Fixture f;
    const auto data = payload(kind);
    int row = 0;
    QModelIndex parent;
    dropPosition(where, R, f.model->rowCount(), &row, &parent, *f.model);
    QCOMPARE(f.model->canDropMimeData(data.get(), Qt::CopyAction, row, 0, parent), accepted);
    QVERIFY(!f.model->canDropMimeData(data.get(), Qt::MoveAction, row, 0, parent));
    // A refused drop changes nothing when it arrives all the same.
    if (!accepted) {
        QSignalSpy shown(f.model.get(), &SourceListModel::favoriteShown);
        QSignalSpy files(f.model.get(), &SourceListModel::filesDropped);
        QVERIFY(!f.model->dropMimeData(data.get(), Qt::CopyAction, row, 0, parent));
        QCOMPARE(f.namesOnDisk(), QStringList({"A", "B", "C"}));
        QVERIFY(f.favorite->aFavoriteAtIndex(0)->list.isEmpty());
        QVERIFY(shown.isEmpty() && files.isEmpty());
    }
}

void TestSourceList::reorderLists_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("above");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("4 above 2: first") << 4 << 2 << QStringList{"C", "A", "B"};
    QTest::newRow("2 above 5: last") << 2 << 5 << QStringList{"B", "C", "A"};
    QTest::newRow("3 above 3: unchanged") << 3 << 3 << QStringList{"A", "B", "C"};
    QTest::newRow("3 above 4: unchanged") << 3 << 4 << QStringList{"A", "B", "C"};
    QTest::newRow("4 above 3") << 4 << 3 << QStringList{"A", "C", "B"};
    QTest::newRow("2 above 4") << 2 << 4 << QStringList{"B", "A", "C"};
}

void TestSourceList::reorderLists()
{
    QFETCH(int, from);
    QFETCH(int, above);
    QFETCH(QStringList, order);
    Fixture f;
    f.favorite->addArticle(pmidKeys({"7"}), from - 2);
    std::unique_ptr<QMimeData> drag(f.model->mimeData({f.model->index(from)}));
    const int row = above == f.model->rowCount() ? -1 : above;

    QVERIFY(f.model->canDropMimeData(drag.get(), Qt::CopyAction, row, 0, QModelIndex()));
    QVERIFY(f.model->dropMimeData(drag.get(), Qt::CopyAction, row, 0, QModelIndex()));

    QCOMPARE(f.namesOnDisk(), order);
    QCOMPARE(f.rowTexts().mid(2), order);
    // The list moved with its articles.
    const qsizetype at = order.indexOf(QString(QChar('A' + from - 2)));
    QCOMPARE(f.favorite->aFavoriteAtIndex(int(at))->list, pmidKeys({"7"}));
}

void TestSourceList::articlesDroppedOnAList()
{
    Fixture f;
    QSignalSpy shown(f.model.get(), &SourceListModel::favoriteShown);
    const QModelIndex onto = f.model->index(3);
    for (const QStringList& ids : {QStringList{"11", "12"}, QStringList{"12", "13", "11"}}) {
        QMimeData data;
        data.setData(MimeTypes::pmid, MimeTypes::encode(keyVariants(ids)));
        QVERIFY(f.model->canDropMimeData(&data, Qt::CopyAction, -1, -1, onto));
        QVERIFY(f.model->dropMimeData(&data, Qt::CopyAction, -1, -1, onto));
    }
    QCOMPARE(f.favorite->aFavoriteAtIndex(1)->list, pmidKeys({"11", "12", "13"}));
    QVERIFY(f.favorite->aFavoriteAtIndex(0)->list.isEmpty());
    const auto record = FavoriteFile::readFile(f.preferenceDir + "/favorite.dat");
    QVERIFY(record);
    QCOMPARE(record->favoriteList.value(1).list, pmidKeys({"11", "12", "13"}));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last().first().toInt(), 3);
}

void TestSourceList::filesAndPubMedResultsHandedOn_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("R");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("pmids");
    const QStringList pdfs{"/tmp/1.pdf", "/tmp/2.pdf"};
    QTest::newRow("files onto library") << "files" << 0 << pdfs << QStringList();
    QTest::newRow("files onto a list") << "files" << 3 << pdfs << QStringList();
    QTest::newRow("results onto a list")
        << "PubMed results" << 4 << QStringList() << QStringList{"31", "32"};
    // Article keys come first: the library holds them already.
    QTest::newRow("article drag onto library")
        << "article drag" << 0 << QStringList() << QStringList();
}

void TestSourceList::filesAndPubMedResultsHandedOn()
{
    QFETCH(QString, kind);
    QFETCH(int, R);
    QFETCH(QStringList, files);
    QFETCH(QStringList, pmids);
    Fixture f;
    QSignalSpy filesSpy(f.model.get(), &SourceListModel::filesDropped);
    QSignalSpy pmidsSpy(f.model.get(), &SourceListModel::pubmedArticlesDropped);
    const auto data = payload(kind);
    QVERIFY(f.model->dropMimeData(data.get(), Qt::CopyAction, -1, -1, f.model->index(R)));
    QCOMPARE(filesSpy.size(), files.isEmpty() ? 0 : 1);
    QCOMPARE(pmidsSpy.size(), pmids.isEmpty() ? 0 : 1);
    if (!files.isEmpty())
        QCOMPARE(filesSpy.first(), QVariantList({files, R}));
    if (!pmids.isEmpty())
        QCOMPARE(pmidsSpy.first(), QVariantList({pmids, R}));
    for (int i = 0; i < 3; ++i)
        QVERIFY(f.favorite->aFavoriteAtIndex(i)->list.isEmpty());
}

void TestSourceList::keys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("opened");
    QTest::addColumn<int>("removes");
    QTest::newRow("up on library") << 0 << int(Qt::Key_Up) << 0 << 0 << 0;
    QTest::newRow("down on last") << 4 << int(Qt::Key_Down) << 4 << 0 << 0;
    QTest::newRow("up") << 3 << int(Qt::Key_Up) << 2 << 1 << 0;
    QTest::newRow("down") << 1 << int(Qt::Key_Down) << 2 << 1 << 0;
    QTest::newRow("up, nothing selected") << -1 << int(Qt::Key_Up) << -1 << 0 << 0;
    QTest::newRow("down, nothing selected") << -1 << int(Qt::Key_Down) << -1 << 0 << 0;
    QTest::newRow("backspace on a list") << 3 << int(Qt::Key_Backspace) << 3 << 0 << 1;
    QTest::newRow("delete on a list") << 2 << int(Qt::Key_Delete) << 2 << 0 << 1;
    QTest::newRow("backspace on PubMed") << 1 << int(Qt::Key_Backspace) << 1 << 0 << 0;
    QTest::newRow("delete on library") << 0 << int(Qt::Key_Delete) << 0 << 0 << 0;
    QTest::newRow("letter: no type-to-select") << 2 << int(Qt::Key_C) << 2 << 0 << 0;
    QTest::newRow("end") << 2 << int(Qt::Key_End) << 2 << 0 << 0;
    QTest::newRow("home") << 3 << int(Qt::Key_Home) << 3 << 0 << 0;
    QTest::newRow("page down") << 2 << int(Qt::Key_PageDown) << 2 << 0 << 0;
    QTest::newRow("return does not edit") << 3 << int(Qt::Key_Return) << 3 << 0 << 0;
    QTest::newRow("F2 does not edit") << 3 << int(Qt::Key_F2) << 3 << 0 << 0;
}

void TestSourceList::keys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, after);
    QFETCH(int, opened);
    QFETCH(int, removes);
    ViewFixture f;
    f.view->setCurrentRow(start);
    QSignalSpy openSpy(f.view, &SourceTableView::openSourceRequested);
    QSignalSpy removeSpy(f.view, &SourceTableView::removeFavoriteRequested);

    QTest::keyClick(f.view, Qt::Key(key));

    QCOMPARE(f.view->currentRow(), after);
    QCOMPARE(openSpy.size(), opened);
    QCOMPARE(removeSpy.size(), removes);
    QVERIFY(!f.view->isEditing());
    QCOMPARE(f.host.keysPassedOn, 0);
}

void TestSourceList::clickOpensProgramSelectionDoesNot()
{
    ViewFixture f;
    QSignalSpy openSpy(f.view, &SourceTableView::openSourceRequested);
    f.view->setCurrentRow(2);
    QCOMPARE(f.view->currentRow(), 2);
    QCOMPARE(openSpy.size(), 0);

    QTest::mouseClick(f.view->viewport(), Qt::LeftButton, {}, f.centreOf(4));
    QCOMPARE(f.view->currentRow(), 4);
    QCOMPARE(openSpy.size(), 1);
}

void TestSourceList::contextMenu_data()
{
    QTest::addColumn<int>("row"); // -1: below the last row
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("menu");
    QTest::newRow("library") << 0 << 0 << false;
    QTest::newRow("PubMed search") << 1 << 1 << false;
    QTest::newRow("favorites list") << 3 << 3 << true;
    QTest::newRow("below the rows") << -1 << 2 << false;
}

void TestSourceList::contextMenu()
{
    QFETCH(int, row);
    QFETCH(int, selected);
    QFETCH(bool, menu);
    ViewFixture f;
    f.view->setCurrentRow(2);
    QSignalSpy openSpy(f.view, &SourceTableView::openSourceRequested);
    const QPoint at = row >= 0 ? f.centreOf(row) : QPoint(10, f.view->viewport()->height() - 5);

    QMenu* shown = f.view->menuForEvent(at);

    QCOMPARE(f.view->currentRow(), selected);
    QCOMPARE(openSpy.size(), 0);
    QCOMPARE(shown != nullptr, menu);
    if (!shown)
        return;
    QCOMPARE(shown->title(), QString("context menu"));
    QStringList items;
    for (QAction* action : shown->actions()) {
        items.append(action->isSeparator() ? "-" : action->text());
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(items, QStringList({"Show Information", "-", "Rename", "Delete"}));
    QSignalSpy info(f.view, &SourceTableView::favoriteInfoRequested);
    QSignalSpy rename(f.view, &SourceTableView::renameRequested);
    QSignalSpy remove(f.view, &SourceTableView::removeFavoriteRequested);
    for (QAction* action : shown->actions())
        action->trigger();
    QCOMPARE(info.size() + rename.size() + remove.size(), 3);
    QVERIFY(info.size() == 1 && rename.size() == 1);
}

void TestSourceList::renameEndsWithReturn()
{
    ViewFixture f;
    f.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.host));
    f.view->setCurrentRow(3);
    f.view->edit(f.model->index(3));
    auto* editor = f.view->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->selectedText(), QString("B")); // all of it, ready to be typed over

    QTest::keyClicks(editor, "Reading");
    QTest::keyClick(editor, Qt::Key_Return);

    QCOMPARE(f.model->index(3).data().toString(), QString("Reading"));
    QVERIFY(!f.view->isEditing());
    QCOMPARE(f.view->currentRow(), 3);
    QVERIFY(f.view->hasFocus());
    QTRY_VERIFY(f.view->viewport()->findChild<QLineEdit*>() == nullptr);

    // The library and PubMed rows cannot be edited.
    for (int row : {0, 1}) {
        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
        f.view->edit(f.model->index(row));
        QVERIFY(!f.view->isEditing());
    }
}

void TestSourceList::dropEventsOnTheView_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("where"); // "centre" or "top" of the row
    QTest::addColumn<int>("R");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("listB"); // articles of list B (row 3) afterwards
    QTest::newRow("articles onto list B") << "pmid"
                                          << "centre" << 3 << true << QStringList{"11", "12"};
    QTest::newRow("articles between lists") << "pmid"
                                            << "top" << 3 << false << QStringList();
    // Only the list itself starts a reordering drag.
    QTest::newRow("row from elsewhere") << "row 4"
                                        << "top" << 2 << false << QStringList();
}

void TestSourceList::dropEventsOnTheView()
{
    QFETCH(QString, kind);
    QFETCH(QString, where);
    QFETCH(int, R);
    QFETCH(bool, accepted);
    QFETCH(QStringList, listB);
    ViewFixture f;
    const QRect rect = f.view->visualRect(f.model->index(R));
    const QPoint pos =
        where == "centre" ? rect.center() : QPoint(rect.center().x(), rect.top() + 1);
    const auto data = payload(kind);

    QDragEnterEvent enter(pos, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.view->viewport(), &enter);
    QDragMoveEvent move(pos, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.view->viewport(), &move);
    QCOMPARE(move.isAccepted(), accepted);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.view->viewport(), &drop);

    QCOMPARE(f.favorite->aFavoriteAtIndex(1)->list, pmidKeys(listB));
    QCOMPARE(f.namesOnDisk(), QStringList({"A", "B", "C"}));
}

void TestSourceList::rowHeightFollowsFontSize()
{
    ViewFixture f;
    UserDefaults::standard().setFloat(20.0, "fontSize");
    f.view->updateView();
    QCOMPARE(f.view->rowHeight(), 26);
    QCOMPARE(f.view->visualRect(f.model->index(3)).height(), 26);
    QCOMPARE(f.view->visualRect(f.model->index(3)).top(), 3 * 26);
}

void TestSourceList::reloadKeepsSelection_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("removedList");
    QTest::addColumn<int>("after");
    QTest::newRow("row still there") << 3 << 0 << 3;
    QTest::newRow("row gone") << 4 << 1 << -1;
}

void TestSourceList::reloadKeepsSelection()
{
    QFETCH(int, selected);
    QFETCH(int, removedList);
    QFETCH(int, after);
    ViewFixture f;
    f.view->setCurrentRow(selected);
    QSignalSpy openSpy(f.view, &SourceTableView::openSourceRequested);
    f.favorite->removeFavoriteAtIndex(removedList);
    f.model->reload();
    QCOMPARE(f.view->count(), 4);
    QCOMPARE(f.view->currentRow(), after);
    QCOMPARE(openSpy.size(), 0);
}

QTEST_MAIN(TestSourceList)
#include "tst_sourcelist.moc"
