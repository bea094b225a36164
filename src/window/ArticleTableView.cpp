#include "window/ArticleTableView.h"

#include "platform/UserDefaults.h"
#include "window/ArticleTableModel.h"
#include "window/WindowLog.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QVariantList>
#include <QVariantMap>
#include <QtMath>

#include <array>
#include <memory>

namespace {

const QString statusKey = QStringLiteral("articleViewStatus");
const QString columnsEntry = QStringLiteral("columns");

// Width entries by logical column (the model's column order).
constexpr std::array<const char*, ArticleTableModel::ColumnCount> widthEntries{
    "MarkWidth",   "AuthorWidth", "TitleWidth", "JournalWidth",
    "VolumeWidth", "YearWidth",   "PagesWidth", "SubmitDateWidth"};

// The layout's widths, used until a stored state replaces them.
constexpr std::array<int, ArticleTableModel::ColumnCount> defaultWidths{26, 180, 400, 170,
                                                                        60, 56,  90,  116};

// Widths are restored in this order; "mark" keeps the layout's width.
constexpr std::array<int, 7> restoredColumns{
    ArticleTableModel::AuthorColumn,    ArticleTableModel::JournalColumn,
    ArticleTableModel::TitleColumn,     ArticleTableModel::VolumeColumn,
    ArticleTableModel::YearColumn,      ArticleTableModel::PagesColumn,
    ArticleTableModel::SubmitDateColumn};

} // namespace

ArticleTableView::ArticleTableView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("ArticleView"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several articles can be selected (Shift, Ctrl) to drag them together;
    // the row actions act on the row the user selected last.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setShowGrid(false);
    setAlternatingRowColors(true);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    // The rightmost column takes the room left, so the table has no blank
    // strip at its right edge.
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(20);
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                if (model() != nullptr)
                    model()->sort(column, order);
            });

    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(false);
    setDropIndicatorShown(true);
    setDefaultDropAction(Qt::CopyAction);
}

ArticleTableView::~ArticleTableView() = default;

void ArticleTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    applyDefaultWidths();
}

void ArticleTableView::applyDefaultWidths()
{
    const int columns = horizontalHeader()->count();
    for (int column = 0; column < columns && column < int(defaultWidths.size()); ++column)
        setColumnWidth(column, defaultWidths[column]);
}

void ArticleTableView::saveColumns()
{
    UserDefaults& defaults = UserDefaults::standard();
    QVariantMap status = defaults.objectForKey(statusKey).toMap();
    const QHeaderView* header = horizontalHeader();
    for (int column = 0; column < int(widthEntries.size()) && column < header->count(); ++column)
        status.insert(QLatin1String(widthEntries[column]), double(columnWidth(column)));

    QVariantList order;
    for (int visual = 0; visual < header->count(); ++visual)
        order.append(ArticleTableModel::columnIdentifier(header->logicalIndex(visual)));
    status.insert(columnsEntry, order);

    defaults.setObject(status, statusKey);
    defaults.synchronize();
}

void ArticleTableView::resizeColumns()
{
    const QVariant stored = UserDefaults::standard().objectForKey(statusKey);
    if (stored.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap status = stored.toMap();
    QHeaderView* header = horizontalHeader();
    if (header->count() < ArticleTableModel::ColumnCount)
        return;

    for (int column : restoredColumns) {
        // A missing width reads as 0, which the column's minimum raises.
        const int width = qRound(status.value(QLatin1String(widthEntries[column])).toDouble());
        setColumnWidth(column,
                       qBound(header->minimumSectionSize(), width, header->maximumSectionSize()));
    }

    const QVariantList order = status.value(columnsEntry).toList();
    for (int position = 0; position < order.size() && position < header->count(); ++position) {
        const int column = ArticleTableModel::columnOfIdentifier(order.at(position).toString());
        if (column >= 0)
            header->moveSection(header->visualIndex(column), position);
    }
}

QMenu* ArticleTableView::menuForEvent(QPoint viewportPos)
{
    if (model() == nullptr)
        return nullptr;
    const QString leftmost =
        ArticleTableModel::columnIdentifier(horizontalHeader()->logicalIndex(0));
    if (leftmost != u"mark" && leftmost != u"author")
        return nullptr;

    const int row = rowAt(viewportPos.y());
    if (row < 0 || row >= model()->rowCount())
        return nullptr;
    selectOnly(row);

    auto menu = std::make_unique<QMenu>(tr("context menu"));
    QMenu* marks = menu->addMenu(tr("Mark"));
    connect(marks->addAction(tr("Mark Read")), &QAction::triggered, this,
            &ArticleTableView::setReadMarkRequested);
    connect(marks->addAction(tr("Mark Important")), &QAction::triggered, this,
            &ArticleTableView::setImportantMarkRequested);
    connect(marks->addAction(tr("Mark Question")), &QAction::triggered, this,
            &ArticleTableView::setQuestionMarkRequested);
    connect(marks->addAction(tr("remove mark")), &QAction::triggered, this,
            &ArticleTableView::unsetMarkRequested);

    const auto add = [&menu, this](const QString& title, QKeyCombination key,
                                   void (ArticleTableView::*signal)()) {
        QAction* action = menu->addAction(title);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WidgetShortcut); // shown here, not a second window shortcut
        connect(action, &QAction::triggered, this, signal);
    };
    add(tr("Open Info"), Qt::CTRL | Qt::Key_I, &ArticleTableView::openInfoRequested);
    add(tr("Open File"), Qt::CTRL | Qt::Key_O, &ArticleTableView::openFileRequested);
    menu->addSeparator();
    add(tr("Browser open Pubmed Site"), Qt::CTRL | Qt::Key_P,
        &ArticleTableView::openPubmedSiteRequested);
    add(tr("Browser open Journal Site"), Qt::CTRL | Qt::Key_J,
        &ArticleTableView::openJournalSiteRequested);
    menu->addSeparator();
    add(tr("Delete"), Qt::CTRL | Qt::Key_D, &ArticleTableView::removeArticleRequested);
    return menu.release();
}

void ArticleTableView::contextMenuEvent(QContextMenuEvent* event)
{
    const std::unique_ptr<QMenu> menu(menuForEvent(event->pos()));
    if (menu)
        menu->exec(event->globalPos());
    event->accept();
}

void ArticleTableView::keyPressEvent(QKeyEvent* event)
{
    const int selected = selectedRow();
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (selected >= 0)
            Q_EMIT removeArticleRequested();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT openInfoRequested();
        break;
    case Qt::Key_I:
        Q_EMIT setImportantMarkRequested();
        break;
    case Qt::Key_Q:
        Q_EMIT setQuestionMarkRequested();
        break;
    case Qt::Key_R:
        Q_EMIT setReadMarkRequested();
        break;
    case Qt::Key_U:
        Q_EMIT unsetMarkRequested();
        break;
    case Qt::Key_Up:
        if (selected > 0)
            moveSelection(selected - 1);
        break;
    case Qt::Key_Down:
        if (selected >= 0 && model() != nullptr && selected < model()->rowCount() - 1)
            moveSelection(selected + 1);
        break;
    default: {
        const QString text = event->text();
        qCDebug(lcWindow).nospace()
            << "article table ignores key: code " << (text.isEmpty() ? 0 : text.at(0).unicode())
            << " key " << event->key() << " characters " << text.size() << " first "
            << (text.isEmpty() ? QString() : text.left(1));
        break;
    }
    }
    // The table's own key handling (type-to-select, page keys) never runs.
    event->accept();
}

int ArticleTableView::selectedRow() const
{
    if (selectionModel() == nullptr)
        return -1;
    const QModelIndex current = selectionModel()->currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ArticleTableView::selectOnly(int row)
{
    if (selectionModel() == nullptr)
        return;
    selectionModel()->setCurrentIndex(model()->index(row, horizontalHeader()->logicalIndex(0)),
                                      QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
}

void ArticleTableView::moveSelection(int row)
{
    selectOnly(row);
    scrollTo(model()->index(row, horizontalHeader()->logicalIndex(0)));
    Q_EMIT openDrawerRequested();
}

void ArticleTableView::setRowHeightForFontSize(double points)
{
    const int pixels = qCeil((points + 6.0) * logicalDpiY() / 72.0);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(pixels);
}

void ArticleTableView::showSortIndicator(int column, Qt::SortOrder order)
{
    const QSignalBlocker blocker(horizontalHeader());
    horizontalHeader()->setSortIndicator(column, order);
    horizontalHeader()->viewport()->update();
}
