#pragma once

#include <QListView>

class QMenu;

// The source list on the left of the main window. Over a SourceListModel it
// adds what the list does for the user: the keys (delete a favorites list,
// move up and down), the context menu of a favorites list, ending a rename
// with Return, and opening a row only when the user chose it.
//
// Selecting a row by program (setCurrentRow) never opens it; a mouse click,
// Up or Down does, through openSourceRequested.
class SourceTableView final : public QListView
{
    Q_OBJECT

public:
    explicit SourceTableView(QWidget* parent = nullptr);
    ~SourceTableView() override;

    void setModel(QAbstractItemModel* model) override;

    // The selected row, or -1 when none is.
    int currentRow() const;
    // Selects `row` (none when out of range) without opening it.
    void setCurrentRow(int row);
    int count() const;
    // True while a row's name is being edited.
    bool isEditing() const { return state() == EditingState; }

    // 0: the style's own height.
    void setRowHeight(int height);
    int rowHeight() const { return rowHeightPx; }
    // Row height "fontSize" + 6 from the user defaults; lays the rows out again.
    void updateView();

    // Selects the row under `viewportPos` (not opening it) and returns the
    // menu for it: none for rows 0 and 1 or below the last row. The menu
    // belongs to the view.
    QMenu* menuForEvent(QPoint viewportPos);

Q_SIGNALS:
    // The user chose the selected row (click, Up, Down): show it.
    void openSourceRequested();
    // Backspace or Delete on a favorites row; the menu's "Delete".
    void removeFavoriteRequested();
    // The menu's "Show Information".
    void favoriteInfoRequested();
    // The menu's "Rename".
    void renameRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Delegate;

    void moveSelection(int row);
    // A reordering drag offered by another view is never taken.
    bool isForeignRowDrag(const QDropEvent* event) const;

    int rowHeightPx = 0;
    int rowBeforeReset = -1;
    QMenu* contextMenu = nullptr;
};
