#include "SourceListModel.h"

#include "Icons.h"
#include "MimeTypes.h"
#include "WindowLog.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/UserDefaults.h"

#include <QFont>
#include <QMimeData>
#include <QUrl>

#include <optional>
#include <set>

namespace {

const QString uriList = QStringLiteral("text/uri-list");

// The payloads the list takes, or no value when the data carries none of
// that kind (absent, undecodable or empty).
std::optional<qint64> originalRowIn(const QMimeData* data)
{
    const auto value = MimeTypes::decode(data, MimeTypes::originalRow);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qint64 row = value->toLongLong(&ok);
    return ok ? std::optional<qint64>(row) : std::nullopt;
}

std::optional<QList<ArticleKey>> articleKeysIn(const QMimeData* data)
{
    const auto value = MimeTypes::decode(data, MimeTypes::pmid);
    if (!value || value->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QList<ArticleKey> keys;
    for (const QVariant& entry : value->toList()) {
        if (const auto key = ArticleKey::fromVariant(entry))
            keys.append(*key);
    }
    return keys.isEmpty() ? std::nullopt : std::optional(keys);
}

std::optional<QStringList> localFilesIn(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return std::nullopt;
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths.isEmpty() ? std::nullopt : std::optional(paths);
}

std::optional<QStringList> pmidsIn(const QMimeData* data)
{
    const auto value = MimeTypes::decode(data, MimeTypes::pubmedArticle);
    if (!value || value->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    QStringList pmids;
    for (const QVariant& entry : value->toList()) {
        const QString pmid = entry.toString();
        if (!pmid.isEmpty())
            pmids.append(pmid);
    }
    return pmids.isEmpty() ? std::nullopt : std::optional(pmids);
}

} // namespace

SourceListModel::SourceListModel(PMIDLibrary* library, MyFavorite* favorite, QObject* parent)
    : QAbstractListModel(parent), PMIDlib(library), favorite(favorite)
{
}

QString SourceListModel::identifier()
{
    return QStringLiteral("library");
}

int SourceListModel::numberOfSources() const
{
    return startRowOfFavorite + (favorite ? favorite->numberOfFavorite() : 0);
}

void SourceListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int SourceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : numberOfSources();
}

bool SourceListModel::isFavoriteRow(int row) const
{
    return row >= startRowOfFavorite && row < numberOfSources();
}

QString SourceListModel::textOfRow(int row) const
{
    if (row == 0)
        return PMIDlib ? PMIDlib->libraryName() : QStringLiteral("Library");
    if (row == 1)
        return QStringLiteral("PubMed Search");
    return favorite ? favorite->nameAtIndex(row - startRowOfFavorite) : QString();
}

QString SourceListModel::iconOfRow(int row) const
{
    if (row == 0)
        return QStringLiteral("library");
    if (row == 1)
        return QStringLiteral("pubmedSearch");
    return QStringLiteral("favorite");
}

QVariant SourceListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return textOfRow(row);
    case Qt::DecorationRole:
        return Icons::named(iconOfRow(row));
    case Qt::FontRole: {
        const UserDefaults& defaults = UserDefaults::standard();
        QFont font(defaults.stringForKey(QStringLiteral("fontType")));
        const double size = defaults.floatForKey(QStringLiteral("fontSize"));
        if (size > 0)
            font.setPointSizeF(size);
        return font;
    }
    default:
        return QVariant();
    }
}

Qt::ItemFlags SourceListModel::flags(const QModelIndex& index) const
{
    // Drops between rows and below the last one land on the root.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
                          Qt::ItemIsDropEnabled | Qt::ItemNeverHasChildren;
    if (index.row() >= startRowOfFavorite)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool SourceListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !isFavoriteRow(index.row()))
        return false;
    FavoriteList* entry = favorite->aFavoriteAtIndex(index.row() - startRowOfFavorite);
    if (entry == nullptr)
        return false;
    entry->name = value.toString();
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QStringList SourceListModel::mimeTypes() const
{
    return {MimeTypes::pmid, MimeTypes::originalRow, uriList, MimeTypes::pubmedArticle};
}

QMimeData* SourceListModel::mimeData(const QModelIndexList& indexes) const
{
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid())
            rows.insert(index.row());
    }
    if (rows.size() != 1)
        return nullptr;
    auto* data = new QMimeData;
    data->setData(MimeTypes::originalRow, MimeTypes::encode(qint64(*rows.begin())));
    return data;
}

Qt::DropActions SourceListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

Qt::DropActions SourceListModel::supportedDropActions() const
{
    return Qt::CopyAction;
}

SourceListModel::DropTarget SourceListModel::dropTarget(int row, const QModelIndex& parent) const
{
    if (parent.isValid())
        return DropTarget{parent.row(), true};
    if (row < 0 || row > rowCount())
        return DropTarget{rowCount(), false};
    return DropTarget{row, false};
}

bool SourceListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                      int column, const QModelIndex& parent) const
{
    Q_UNUSED(column);
    if (data == nullptr || action != Qt::CopyAction)
        return false;
    const DropTarget target = dropTarget(row, parent);
    const int R = target.row;
    // A favorites row here includes the place below the last list.
    const bool favoriteTarget = R >= startRowOfFavorite && R <= numberOfSources();

    if (data->hasFormat(MimeTypes::originalRow) && favoriteTarget) {
        const auto O = originalRowIn(data);
        return !target.onto && O && *O >= startRowOfFavorite && *O < numberOfSources();
    }
    if (data->hasFormat(MimeTypes::pmid) && favoriteTarget)
        return target.onto && R < numberOfSources() && articleKeysIn(data).has_value();
    if (R == 1 || R > numberOfSources())
        return false;
    if (data->hasUrls())
        return target.onto && localFilesIn(data).has_value();
    if (data->hasFormat(MimeTypes::pubmedArticle))
        return target.onto && pmidsIn(data).has_value();
    return false;
}

bool SourceListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const DropTarget target = dropTarget(row, parent);
    const int R = target.row;

    if (data->hasFormat(MimeTypes::originalRow)) {
        // Only a move the list validated: a list is never removed without
        // a place to put it back.
        const auto O = originalRowIn(data);
        const bool favoriteTarget = R >= startRowOfFavorite && R <= numberOfSources();
        if (O && *O >= startRowOfFavorite && *O < numberOfSources() && favoriteTarget &&
            !target.onto)
            moveFavorite(int(*O), R);
        return true;
    }
    if (data->hasFormat(MimeTypes::pmid)) {
        if (isFavoriteRow(R)) {
            favorite->addArticle(*articleKeysIn(data), R - startRowOfFavorite);
            Q_EMIT favoriteShown(R);
        }
        return true;
    }
    if (const auto paths = localFilesIn(data)) {
        Q_EMIT filesDropped(*paths, R);
        return true;
    }
    if (const auto pmids = pmidsIn(data))
        Q_EMIT pubmedArticlesDropped(*pmids, R);
    return true;
}

void SourceListModel::moveFavorite(int originalRow, int row)
{
    const FavoriteList* moved = favorite->aFavoriteAtIndex(originalRow - startRowOfFavorite);
    if (moved == nullptr)
        return;
    const FavoriteList entry = *moved;
    favorite->removeFavoriteAtIndex(originalRow - startRowOfFavorite);
    // Above its own row or above the next one, the list keeps its place.
    const int index = row <= originalRow ? row - startRowOfFavorite : row - startRowOfFavorite - 1;
    favorite->insertFavorite(entry, index);
    qCDebug(lcWindow) << "favorites list moved from row" << originalRow << "to index" << index;
    reload();
}
