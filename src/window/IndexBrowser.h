#pragma once

#include "library/PMIDLibrary.h"
#include "store/ArticleKey.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class IndexLevelModel;
class QAbstractItemModel;
class QFont;
class QListView;

// A three-column browser over one index tree of the library: column 0 the
// initials, column 1 the names under the selected initial, column 2 the
// years under the selected name. The columns read the tree afresh on every
// reload; a choice by the user (click or keyboard) refills the columns to its
// right and reports the articles under the selection.
class IndexBrowser final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 3;

    // `listName` is the tree it shows: "authorList" or "journalList".
    explicit IndexBrowser(const QString& listName, QWidget* parent = nullptr);
    ~IndexBrowser() override;

    // The library whose tree is shown; columns are emptied until reloaded.
    void setLibrary(PMIDLibrary* library);
    const QString& listName() const { return list; }

    int numberOfRowsInColumn(int column) const;
    // The row's key; an empty text outside the column's rows.
    QString titleAt(int column, int row) const;
    // The selected key of the column; no value when nothing is selected
    // there (a year may be the empty text, so that is a real title).
    std::optional<QString> selectedTitle(int column) const;
    // The selected titles of columns 0 to 2, down to the deepest selection.
    BrowserSelection selection() const;

    // Selects the row as a click on it would: the deeper columns are refilled
    // without selection and articlesChosen is emitted. False (and nothing
    // changes) for a row outside the column.
    bool selectRow(int column, int row);
    // The same without reporting articles: the shown list stays as it is.
    bool selectRowSilently(int column, int row);

    // Re-reads the column from the tree, then each column to its right. A
    // column keeps its selection when its title is still there, and loses it
    // (with everything right of it) otherwise. Emits nothing.
    void reloadColumn(int column);

    void setBrowserFont(const QFont& font);

    // The column's view and model, for the window's key handling and tests.
    QListView* columnView(int column) const;
    QAbstractItemModel* columnModel(int column) const;

Q_SIGNALS:
    // The keys under the new selection (a copy), after a user's choice.
    void articlesChosen(const QList<ArticleKey>& keys);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const IndexTree* tree() const;
    // The keys of the column's level under the selections to its left.
    QStringList keysFor(int column) const;
    void fill(int column, bool keepSelection);
    void setSelectedRow(int column, int row);
    void userChose(int column);
    bool validColumn(int column) const { return column >= 0 && column < ColumnCount; }

    QString list;
    PMIDLibrary* library = nullptr;
    std::array<QListView*, ColumnCount> views{};
    std::array<IndexLevelModel*, ColumnCount> models{};
    // Set while the browser changes selections itself: those are no choices.
    bool changingSelection = false;
    // Whether the current left-button press changed a selection; a press
    // that did not is a click on the selected row, which chooses it again.
    bool pressChangedSelection = false;
    bool leftPress = false;
};
