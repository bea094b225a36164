#include "SourceTableView.h"

#include "MimeTypes.h"
#include "SourceListModel.h"

#include "platform/UserDefaults.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyledItemDelegate>

// Draws the rows at the list's row height, and ends a rename on Return
// without going on to the next row, the list keeping the keyboard.
class SourceTableView::Delegate final : public QStyledItemDelegate
{
public:
    explicit Delegate(SourceTableView* view) : QStyledItemDelegate(view), view(view) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (view->rowHeight() > 0)
            size.setHeight(view->rowHeight());
        return size;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor != nullptr && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                view->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    SourceTableView* view;
};

SourceTableView::SourceTableView(QWidget* parent) : QListView(parent)
{
    setObjectName(QStringLiteral("SourceView"));
    setItemDelegate(new Delegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked);
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
    setUniformItemSizes(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(false);
    setDefaultDropAction(Qt::CopyAction);

    contextMenu = new QMenu(QStringLiteral("context menu"), this);
    connect(contextMenu->addAction(QStringLiteral("Show Information")), &QAction::triggered, this,
            &SourceTableView::favoriteInfoRequested);
    contextMenu->addSeparator();
    connect(contextMenu->addAction(QStringLiteral("Rename")), &QAction::triggered, this,
            &SourceTableView::renameRequested);
    connect(contextMenu->addAction(QStringLiteral("Delete")), &QAction::triggered, this,
            &SourceTableView::removeFavoriteRequested);
}

SourceTableView::~SourceTableView() = default;

void SourceTableView::setModel(QAbstractItemModel* newModel)
{
    if (model() != nullptr)
        disconnect(model(), nullptr, this, nullptr);
    QListView::setModel(newModel);
    if (newModel == nullptr)
        return;
    // A reload keeps the selected row, as long as it still exists.
    connect(newModel, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { rowBeforeReset = currentRow(); });
    connect(newModel, &QAbstractItemModel::modelReset, this, [this] {
        setCurrentRow(rowBeforeReset);
        rowBeforeReset = -1;
    });
}

int SourceTableView::currentRow() const
{
    if (selectionModel() == nullptr)
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void SourceTableView::setCurrentRow(int row)
{
    if (model() == nullptr || selectionModel() == nullptr)
        return;
    const QModelIndex index = model()->index(row, 0, rootIndex());
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
}

int SourceTableView::count() const
{
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

void SourceTableView::setRowHeight(int height)
{
    rowHeightPx = qMax(0, height);
    doItemsLayout();
    viewport()->update();
}

void SourceTableView::updateView()
{
    const double fontSize = UserDefaults::standard().floatForKey(QStringLiteral("fontSize"));
    setRowHeight(fontSize > 0 ? qRound(fontSize + 6) : 0);
}

void SourceTableView::moveSelection(int row)
{
    setCurrentRow(row);
    scrollTo(model()->index(row, 0, rootIndex()));
    Q_EMIT openSourceRequested();
}

void SourceTableView::keyPressEvent(QKeyEvent* event)
{
    const int row = currentRow();
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (row >= SourceListModel::startRowOfFavorite)
            Q_EMIT removeFavoriteRequested();
        break;
    case Qt::Key_Up:
        if (row > 0)
            moveSelection(row - 1);
        break;
    case Qt::Key_Down:
        if (row >= 0 && row < count() - 1)
            moveSelection(row + 1);
        break;
    default:
        // No type-to-select, no editing or jumping by key.
        break;
    }
    event->accept();
}

void SourceTableView::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton &&
        viewport()->rect().contains(event->position().toPoint()))
        Q_EMIT openSourceRequested();
}

QMenu* SourceTableView::menuForEvent(QPoint viewportPos)
{
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid())
        return nullptr;
    setCurrentRow(index.row());
    return index.row() >= SourceListModel::startRowOfFavorite ? contextMenu : nullptr;
}

void SourceTableView::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = menuForEvent(event->pos()))
        menu->exec(event->globalPos());
    event->accept();
}

bool SourceTableView::isForeignRowDrag(const QDropEvent* event) const
{
    return event->source() != this && event->mimeData() != nullptr &&
           event->mimeData()->hasFormat(MimeTypes::originalRow);
}

void SourceTableView::dragEnterEvent(QDragEnterEvent* event)
{
    if (isForeignRowDrag(event)) {
        event->ignore();
        return;
    }
    QListView::dragEnterEvent(event);
}

void SourceTableView::dragMoveEvent(QDragMoveEvent* event)
{
    if (isForeignRowDrag(event)) {
        event->ignore();
        return;
    }
    QListView::dragMoveEvent(event);
}

void SourceTableView::dropEvent(QDropEvent* event)
{
    if (isForeignRowDrag(event)) {
        event->ignore();
        return;
    }
    QListView::dropEvent(event);
}
