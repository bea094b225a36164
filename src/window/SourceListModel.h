#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

class MyFavorite;
class PMIDLibrary;
class QMimeData;

// The rows of the source list: row 0 the library, row 1 the PubMed search
// view, rows from 2 on the favorites lists (list index = row - 2). The model
// reads the library name and the lists afresh on every call; after any
// change to the favorites the owner calls reload().
//
// It is also the list's drop handler: it reorders the favorites lists and
// adds dragged articles to a list itself; files and PubMed search results
// are handed on through signals.
class SourceListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int startRowOfFavorite = 2;

    // Either may be null (a row 0 named "Library", no favorites lists).
    SourceListModel(PMIDLibrary* library, MyFavorite* favorite, QObject* parent = nullptr);

    int numberOfSources() const;
    // Rebuilds every row after the favorites changed.
    void reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames favorites list row - 2 in place; the favorites file keeps the
    // old name until the favorites are next written. Rows 0 and 1: false.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    // Exactly one row: its number as the original row. Otherwise no data.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Always true: the list reports every drop as taken, as it validated it.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The column's identifier.
    static QString identifier();

Q_SIGNALS:
    // Articles were added to the list at `row`: select that row and show it.
    void favoriteShown(int row);
    // PDF files (absolute paths) dropped onto `row`, to be imported.
    void filesDropped(const QStringList& paths, int row);
    // PubMed IDs dropped onto `row`, to be imported without PDF.
    void pubmedArticlesDropped(const QStringList& pmids, int row);

private:
    // Where a drop lands, in the list's terms: onto row `row`, or above it
    // (row n + 2 being below the last favorites list).
    struct DropTarget
    {
        int row = 0;
        bool onto = false;
    };
    DropTarget dropTarget(int row, const QModelIndex& parent) const;
    bool isFavoriteRow(int row) const;
    QString textOfRow(int row) const;
    QString iconOfRow(int row) const;
    // Moves list originalRow - 2 to drop above `row`.
    void moveFavorite(int originalRow, int row);

    PMIDLibrary* PMIDlib;
    MyFavorite* favorite;
};
