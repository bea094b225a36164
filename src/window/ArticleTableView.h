#pragma once

#include <QPoint>
#include <QTableView>

class QMenu;

// The article table: a table view that keeps its column widths and order
// across runs ("articleViewStatus"), builds its own context menu and handles
// every key itself. Its model is the article list (ArticleTableModel); what
// the user asks for goes out as the signals below, to the article controller.
class ArticleTableView final : public QTableView
{
    Q_OBJECT

public:
    explicit ArticleTableView(QWidget* parent = nullptr);
    ~ArticleTableView() override;

    void setModel(QAbstractItemModel* model) override;

    // Writes the widths (as floats) and the display order of the columns
    // under "articleViewStatus", keeping other entries, and synchronises.
    void saveColumns();
    // Applies a stored "articleViewStatus"; without one the layout stays.
    void resizeColumns();

    // The context menu for a click at `viewportPos`, or null. The rule: the
    // leftmost column is "mark" or "author" and the click hits a row, which
    // becomes the only selection. The caller owns the menu.
    QMenu* menuForEvent(QPoint viewportPos);

    // Every row gets the same height: the article font's size plus 6 points.
    void setRowHeightForFontSize(double points);
    // The primary sort key as the header's indicator, without sorting again.
    void showSortIndicator(int column, Qt::SortOrder order);

    // The selected row, or -1.
    int selectedRow() const;

Q_SIGNALS:
    void setReadMarkRequested();
    void setImportantMarkRequested();
    void setQuestionMarkRequested();
    void unsetMarkRequested();
    void openInfoRequested();
    void openFileRequested();
    void openPubmedSiteRequested();
    void openJournalSiteRequested();
    void removeArticleRequested();
    void openDrawerRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyDefaultWidths();
    void selectOnly(int row);
    void moveSelection(int row);
};
