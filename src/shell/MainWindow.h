#pragma once

#include "window/SourceTableView.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QMap>

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QStackedWidget;

// The main window and the places the controllers fill: the source list with
// its search field on the left, the right-hand box, the status line with the
// progress indicator, and the abstract drawer.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    // The main menu's commands besides the imports; the application
    // delegate connects them.
    enum class Command {
        NewFavorite,
        ShowRecentlyImported,
        ShowAbstract,
        MarkRead,
        MarkImportant,
        MarkQuestion,
        RemoveMark,
        OpenFile,
        OpenInfo,
        OpenPubmedSite,
        OpenJournalSite,
        DeleteArticle,
    };

    explicit MainWindow(QWidget* parent = nullptr);

    SourceTableView* sourceView() const { return SourceView; }
    QLabel* searchTextField() const { return searchCaption; }
    QLineEdit* searchControl() const { return searchField; }
    QLabel* statusMessage() const { return status; }
    QProgressBar* progressIndicator() const { return progress; }
    QDockWidget* drawer() const { return drawerDock; }

    // File menu: scan the paper folder for new PDFs, import the PDFs of a
    // chosen folder, rebuild the author/journal view from the cache folder.
    QAction* importNewArticlesAction() const { return importNew; }
    QAction* importFromFolderAction() const { return importFolder; }
    QAction* rebuildViewAction() const { return rebuildView; }
    QAction* command(Command which) const { return commands.value(which); }

    // Return only (true) or every change (false) sends searchRequested.
    void setSendsWholeSearchString(bool wholeString);
    bool sendsWholeSearchString() const { return wholeSearchString; }

    // The right-hand box shows one content view at a time.
    void setRightBoxContent(QWidget* view);
    QWidget* rightBoxContent() const;

Q_SIGNALS:
    void searchRequested(const QString& text);

private:
    bool wholeSearchString = true;
    SourceTableView* SourceView = nullptr;
    QLabel* searchCaption = nullptr;
    QLineEdit* searchField = nullptr;
    QStackedWidget* rightBox = nullptr;
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QDockWidget* drawerDock = nullptr;
    QAction* importNew = nullptr;
    QAction* importFolder = nullptr;
    QAction* rebuildView = nullptr;
    QMap<Command, QAction*> commands;

    void buildMenus();
    QAction* addCommand(QMenu* menu, Command which, const QString& text, const QString& name,
                        const QKeySequence& shortcut = QKeySequence());
};
