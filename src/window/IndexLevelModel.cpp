#include "window/IndexLevelModel.h"

#include <algorithm>

IndexLevelModel::IndexLevelModel(QObject* parent) : QAbstractListModel(parent) {}

void IndexLevelModel::setKeys(QStringList keys)
{
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    beginResetModel();
    sortedKeys = std::move(keys);
    endResetModel();
}

int IndexLevelModel::rowOf(const QString& key) const
{
    // Binary search to the block of keys equal but for case, then an exact
    // match inside it: cheap even for an initial holding thousands of names.
    const auto lessCaseless = [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    };
    auto it = std::lower_bound(sortedKeys.cbegin(), sortedKeys.cend(), key, lessCaseless);
    for (; it != sortedKeys.cend() && QString::compare(*it, key, Qt::CaseInsensitive) == 0; ++it) {
        if (*it == key)
            return int(it - sortedKeys.cbegin());
    }
    return -1;
}

int IndexLevelModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(sortedKeys.size());
}

QVariant IndexLevelModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return sortedKeys.at(index.row());
    default:
        return QVariant();
    }
}

Qt::ItemFlags IndexLevelModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
