#include "window/IndexBrowser.h"

#include "window/IndexLevelModel.h"

#include <QFont>
#include <QHBoxLayout>
#include <QListView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// Rows that lead to a further column show an arrow at their right edge.
class BranchDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QStyle* style = option->widget ? option->widget->style() : nullptr;
        if (!style)
            return;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = style->standardIcon(QStyle::SP_ArrowRight, nullptr, option->widget);
        option->decorationPosition = QStyleOptionViewItem::Right;
        const int side = option->fontMetrics.height() * 2 / 3;
        option->decorationSize = QSize(side, side);
    }
};

// Restores a flag when a scope ends.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : flag(flag), old(flag) { flag = true; }
    ~FlagScope() { flag = old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag;
    bool old;
};

} // namespace

IndexBrowser::IndexBrowser(const QString& listName, QWidget* parent)
    : QWidget(parent), list(listName)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int column = 0; column < ColumnCount; ++column) {
        auto* model = new IndexLevelModel(this);
        auto* view = new QListView(this);
        view->setModel(model);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setUniformItemSizes(true);
        view->setTextElideMode(Qt::ElideRight);
        if (column + 1 < ColumnCount)
            view->setItemDelegate(new BranchDelegate(view));
        view->viewport()->installEventFilter(this);
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, column] {
                    if (changingSelection)
                        return;
                    pressChangedSelection = true;
                    userChose(column);
                });
        connect(view, &QAbstractItemView::pressed, this, [this, column](const QModelIndex& index) {
            if (leftPress && !pressChangedSelection && index.isValid() &&
                selectedTitle(column) == titleAt(column, index.row()))
                userChose(column);
        });
        layout->addWidget(view, 1);
        views[column] = view;
        models[column] = model;
    }
}

IndexBrowser::~IndexBrowser() = default;

void IndexBrowser::setLibrary(PMIDLibrary* newLibrary)
{
    library = newLibrary;
    FlagScope quiet(changingSelection);
    for (int column = 0; column < ColumnCount; ++column)
        fill(column, false);
}

const IndexTree* IndexBrowser::tree() const
{
    if (!library)
        return nullptr;
    if (list == u"journalList")
        return &library->journalList();
    if (list == u"authorList")
        return &library->authorList();
    return nullptr;
}

QStringList IndexBrowser::keysFor(int column) const
{
    const IndexTree* initials = tree();
    if (!initials)
        return {};
    if (column == 0)
        return initials->keys();
    const auto initial = selectedTitle(0);
    const auto names = initial ? initials->constFind(*initial) : initials->cend();
    if (names == initials->cend())
        return {};
    if (column == 1)
        return names->keys();
    const auto name = selectedTitle(1);
    const auto years = name ? names->constFind(*name) : names->cend();
    if (column != 2 || years == names->cend())
        return {};
    return years->keys();
}

void IndexBrowser::fill(int column, bool keepSelection)
{
    const std::optional<QString> previous = keepSelection ? selectedTitle(column) : std::nullopt;
    views[column]->selectionModel()->clear();
    models[column]->setKeys(keysFor(column));
    const int row = previous ? models[column]->rowOf(*previous) : -1;
    if (row >= 0)
        setSelectedRow(column, row);
}

void IndexBrowser::setSelectedRow(int column, int row)
{
    const QModelIndex index = models[column]->index(row);
    views[column]->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    views[column]->scrollTo(index);
}

int IndexBrowser::numberOfRowsInColumn(int column) const
{
    return validColumn(column) ? models[column]->rowCount() : 0;
}

QString IndexBrowser::titleAt(int column, int row) const
{
    if (!validColumn(column) || row < 0 || row >= models[column]->rowCount())
        return QString();
    return models[column]->keys().at(row);
}

std::optional<QString> IndexBrowser::selectedTitle(int column) const
{
    if (!validColumn(column))
        return std::nullopt;
    const QModelIndexList selected = views[column]->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return std::nullopt;
    return models[column]->keys().at(selected.first().row());
}

BrowserSelection IndexBrowser::selection() const
{
    BrowserSelection chosen;
    chosen.initial = selectedTitle(0);
    if (chosen.initial)
        chosen.name = selectedTitle(1);
    if (chosen.name)
        chosen.year = selectedTitle(2);
    return chosen;
}

bool IndexBrowser::selectRow(int column, int row)
{
    if (!selectRowSilently(column, row))
        return false;
    userChose(column);
    return true;
}

bool IndexBrowser::selectRowSilently(int column, int row)
{
    if (!validColumn(column) || row < 0 || row >= models[column]->rowCount())
        return false;
    FlagScope quiet(changingSelection);
    setSelectedRow(column, row);
    for (int deeper = column + 1; deeper < ColumnCount; ++deeper)
        fill(deeper, false);
    return true;
}

void IndexBrowser::reloadColumn(int column)
{
    if (!validColumn(column))
        return;
    FlagScope quiet(changingSelection);
    for (int reloaded = column; reloaded < ColumnCount; ++reloaded)
        fill(reloaded, true);
}

void IndexBrowser::userChose(int column)
{
    {
        FlagScope quiet(changingSelection);
        for (int deeper = column + 1; deeper < ColumnCount; ++deeper)
            fill(deeper, false);
    }
    Q_EMIT articlesChosen(library ? library->articles(selection(), list) : QList<ArticleKey>());
}

void IndexBrowser::setBrowserFont(const QFont& font)
{
    for (QListView* view : views) {
        view->setFont(font);
        // Uniform rows cache their height: measure again with the new font.
        view->doItemsLayout();
    }
}

QListView* IndexBrowser::columnView(int column) const
{
    return validColumn(column) ? views[column] : nullptr;
}

QAbstractItemModel* IndexBrowser::columnModel(int column) const
{
    return validColumn(column) ? models[column] : nullptr;
}

bool IndexBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        pressChangedSelection = false;
        leftPress = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    }
    return QWidget::eventFilter(watched, event);
}
