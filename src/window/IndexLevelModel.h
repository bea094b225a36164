#pragma once

#include <QAbstractListModel>
#include <QStringList>

// One level of an index tree (initials, names or years) as a flat list.
// The keys are sorted once when they are set, case-insensitively; keys equal
// but for case keep the order they were given in.
class IndexLevelModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit IndexLevelModel(QObject* parent = nullptr);

    void setKeys(QStringList keys);
    const QStringList& keys() const { return sortedKeys; }
    // Row of `key` (exact match), or -1.
    int rowOf(const QString& key) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList sortedKeys;
};
