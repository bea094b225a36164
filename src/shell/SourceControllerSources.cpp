// The application delegate as the source list's controller: what each row
// shows, the search field, the favorites lists, removing articles, drops
// onto the list, the abstract drawer and the main menu's commands.
#include "SourceController.h"

#include "MainWindow.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/NotificationCenter.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "window/ArticleController.h"
#include "window/SourceListModel.h"
#include "window/SourceTableView.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>

namespace {

constexpr int firstListRow = SourceListModel::startRowOfFavorite;

} // namespace

void SourceController::connectSourceList()
{
    SourceTableView* view = sourceView();
    connect(view, &SourceTableView::openSourceRequested, this, &SourceController::clickSource);
    connect(view, &SourceTableView::removeFavoriteRequested, this,
            &SourceController::removeFavorite);
    connect(view, &SourceTableView::renameRequested, this, &SourceController::editFavoriteName);
    connect(view, &SourceTableView::favoriteInfoRequested, this,
            &SourceController::openFavoriteInfo);
    connect(mainWindow, &MainWindow::searchRequested, this, &SourceController::search);

    SourceListModel* model = sourceListModel.get();
    connect(model, &SourceListModel::favoriteShown, this, [this](int row) {
        sourceView()->setCurrentRow(row);
        openSource();
    });
    // Imports start once the drop is over, so that no alert or pause of
    // theirs runs inside the drag and drop.
    connect(
        model, &SourceListModel::filesDropped, this,
        [this](const QStringList& paths, int row) {
            droppedRow = unsigned(row);
            importArticlesByDandD(paths);
        },
        Qt::QueuedConnection);
    connect(
        model, &SourceListModel::pubmedArticlesDropped, this,
        [this](const QStringList& pmids, int row) {
            droppedRow = unsigned(row);
            importPubMedArticles(pmids);
        },
        Qt::QueuedConnection);
}

void SourceController::connectMenus()
{
    using Command = MainWindow::Command;
    const auto on = [this](Command command, auto* receiver, auto method) {
        connect(mainWindow->command(command), &QAction::triggered, receiver,
                [receiver, method] { (receiver->*method)(); });
    };
    on(Command::NewFavorite, this, &SourceController::addNewFavorite);
    on(Command::ShowRecentlyImported, this, &SourceController::searchRecently);
    on(Command::ShowAbstract, this, &SourceController::toggleDrawer);

    ArticleController* articles = _articleController.get();
    on(Command::MarkRead, articles, &ArticleController::setReadMark);
    on(Command::MarkImportant, articles, &ArticleController::setImportantMark);
    on(Command::MarkQuestion, articles, &ArticleController::setQuestionMark);
    on(Command::RemoveMark, articles, &ArticleController::unsetMark);
    on(Command::OpenFile, articles, &ArticleController::openFile);
    on(Command::OpenInfo, articles, &ArticleController::openInfo);
    on(Command::OpenPubmedSite, articles, &ArticleController::openPubmedSite);
    on(Command::OpenJournalSite, articles, &ArticleController::openJournalSite);
    on(Command::DeleteArticle, articles, &ArticleController::removeArticle);
}

void SourceController::setCaption(const QString& caption)
{
    mainWindow->searchTextField()->setText(caption);
    mainWindow->searchTextField()->repaint();
}

void SourceController::openSource()
{
    if (!mainWindow || !_articleController)
        return;
    const int row = selectedRow();
    if (row == 1) {
        mainWindow->setRightBoxContent(pubmedSearchView);
        setCaption(tr("Search PubMed"));
        mainWindow->statusMessage()->setText(QString());
        mainWindow->statusMessage()->repaint();
        return;
    }
    const FavoriteList* list =
        row >= firstListRow ? _favorite->aFavoriteAtIndex(row - firstListRow) : nullptr;
    if (list != nullptr) {
        const QList<ArticleKey> keys = list->list;
        _articleController->collapsed();
        _articleController->setContentViewOfDrawer();
        _articleController->showArticles(keys);
        setCaption(tr("Search the Favorite"));
    } else {
        _articleController->unCollapsed();
        _articleController->setContentViewOfDrawer();
        _articleController->showArticles(PMIDlib->articlesInLibraries());
        setCaption(tr("Search Library"));
    }
    mainWindow->setRightBoxContent(mainView);
}

void SourceController::search(const QString& text)
{
    if (!_articleController)
        return;
    const int row = selectedRow();
    if (row == 0) {
        _articleController->showArticles(PMIDlib->searchInLibraries(text));
    } else if (row >= firstListRow) {
        if (const FavoriteList* list = _favorite->aFavoriteAtIndex(row - firstListRow)) {
            const QList<ArticleKey> keys = list->list;
            _articleController->showArticles(PMIDlib->searchInFavorite(text, keys));
        }
    }
    // Row 1 belongs to the PubMed search view, which searches on its own.
}

void SourceController::searchRecently()
{
    if (_articleController)
        _articleController->showArticles(PMIDlib->searchImportedRecentlyIDs());
}

void SourceController::addNewFavorite()
{
    if (!mainWindow)
        return;
    _favorite->addNewFavorite(QStringLiteral("Favorite"));
    reloadSourceList();
    const int row = firstListRow + _favorite->numberOfFavorite() - 1;
    const QModelIndex index = sourceListModel->index(row);
    sourceView()->setCurrentRow(row);
    sourceView()->scrollTo(index);
    sourceView()->edit(index);
}

void SourceController::editFavoriteName()
{
    const int row = selectedRow();
    if (row >= firstListRow)
        sourceView()->edit(sourceListModel->index(row));
}

void SourceController::removeFavorite()
{
    const int row = selectedRow();
    if (row < firstListRow || row - firstListRow >= _favorite->numberOfFavorite())
        return;
    _favorite->removeFavoriteAtIndexWithAlerm(row - firstListRow);
    reloadSourceList();
}

void SourceController::openFavoriteInfo()
{
    const int row = selectedRow();
    if (row >= firstListRow && row - firstListRow < _favorite->numberOfFavorite())
        Q_EMIT favoriteInfoRequested(row - firstListRow);
}

void SourceController::removeArticle(const Notification& notification)
{
    const auto key = ArticleKey::fromVariant(notification.object);
    if (!key)
        return;
    const int row = selectedRow();
    if (row >= firstListRow) {
        if (row - firstListRow >= _favorite->numberOfFavorite())
            return;
        _favorite->removeArticle({*key}, row - firstListRow);
        openSource();
        return;
    }
    if (row != 0)
        return;
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = QStringLiteral("Are you sure you want to delete it?");
    alert.informativeText = QStringLiteral("Delete type: %1, ID: %2").arg(key->type, key->ID);
    alert.defaultButton = QStringLiteral("Cancel");
    alert.alternateButton = QStringLiteral("Delete");
    if (Panels::shared().runAlert(alert) != AlertResponse::Alternate)
        return;
    PMIDlib->deleteArticle(*key);
    _favorite->removeArticleFromAllFavorites({*key});
    openSource();
}

QSize SourceController::drawerSize() const
{
    // The drawer is docked inside the window: it takes a third of the
    // window's width at the side, or of its height at the bottom.
    const QDockWidget* drawer = mainWindow->drawer();
    QSize size = drawer->size();
    if (UserDefaults::standard().stringForKey(QStringLiteral("drawerPosition")) == u"side")
        size.setWidth(mainWindow->width() / 3);
    else
        size.setHeight(mainWindow->height() / 3);
    return size;
}

void SourceController::toggleDrawer()
{
    if (!mainWindow)
        return;
    QDockWidget* drawer = mainWindow->drawer();
    if (!drawer->isHidden()) {
        drawer->hide();
        return;
    }
    const bool side =
        UserDefaults::standard().stringForKey(QStringLiteral("drawerPosition")) == u"side";
    const Qt::DockWidgetArea edge = side ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea;
    if (mainWindow->dockWidgetArea(drawer) != edge)
        mainWindow->addDockWidget(edge, drawer);
    const QSize size = drawerSize();
    drawer->show();
    mainWindow->resizeDocks({drawer}, {side ? size.width() : size.height()},
                            side ? Qt::Horizontal : Qt::Vertical);
    _articleController->openDrawer();
}
