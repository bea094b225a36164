#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ArticleController;
class MainWindow;
class MyFavorite;
class PMIDLibrary;
class QSize;
class QWidget;
class SourceListModel;
class SourceTableView;
struct MultiArticleResult;
struct Notification;

// The application's central object: settles the folders, creates the library
// model and the favorites, wires the window's controllers together, shows the
// first source, and saves everything when the program ends.
//
// Start-up runs in three steps, as the application object calls them:
// init() before any window exists, awakeFromNib() once the main window is
// built, applicationDidFinishLanching() just before the first event; then
// applicationWillTerminate() once, however the program is asked to quit.
class SourceController final : public QObject
{
    Q_OBJECT

public:
    SourceController();
    ~SourceController() override;

    // False when the program must not go on (the user has been told why);
    // nothing has then been written.
    bool init();
    void awakeFromNib(MainWindow* window);
    void applicationDidFinishLanching();
    void applicationWillTerminate();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

    void updateView();

    PMIDLibrary* library() const { return PMIDlib.get(); }
    MyFavorite* favorite() const { return _favorite.get(); }
    MainWindow* window() const { return mainWindow; }
    ArticleController* articleController() const { return _articleController.get(); }
    SourceListModel* sourceModel() const { return sourceListModel.get(); }

    // --- The source list (SourceControllerSources.cpp) ---

    // Shows the selected row on the right: the library's articles (also
    // with nothing selected), the PubMed search view, or a favorites list.
    void openSource();
    // The list's click, Up and Down.
    void clickSource() { openSource(); }
    // Searches within the selected source; nothing without a selection.
    void search(const QString& text);
    // Shows the recently imported articles; the selection stays.
    void searchRecently();
    // Appends a list named "Favorite", selects it (without showing it) and
    // starts editing its name.
    void addNewFavorite();
    void editFavoriteName();
    // Deletes the selected favorites list after the user confirmed.
    void removeFavorite();
    void openFavoriteInfo();
    // "removeArticle": from the shown favorites list, or after confirmation
    // from the library and every list.
    void removeArticle(const Notification& notification);
    // Opens the abstract drawer, or closes it when it is open.
    void toggleDrawer();
    // The size the drawer gets when it opens.
    QSize drawerSize() const;

    // Source-list row that a running import adds its articles to.
    unsigned droppedRow = 0;

    // --- Import (SourceControllerImport.cpp) ---

    // Actions: import the new PDFs of the paper folder / of a folder the
    // user chooses; rebuild the journal and author trees from the cache.
    void importNewInArticleDirectory();
    void importArticlesFromDirectory();
    void reconstructAuthorJournal();

    // The folder import: the PDFs among `names` (file names in
    // `inDirectory`) that the library does not hold yet, fetched in batches
    // of at most 100 spaced by the pacer.
    void importNewInArticle(const QStringList& names, const QString& inDirectory);
    // Imports files given by absolute path, each from its own folder. An
    // empty list does nothing.
    void importArticlesByDandD(const QStringList& paths);
    // Files handed to the program (its command line): those that do not
    // exist are logged and left out; droppedRow is not changed.
    void applicationOpenFiles(const QStringList& paths);
    // "importArticle": PDF paths dropped on the article list or imported
    // from the web view; they go to the selected favorites list, if any.
    void importArticleWithNotificatioin(const Notification& notification);
    // PubMed search results, imported without PDF.
    void importPubMedArticles(const QStringList& pmids);
    void importPubMedArticlesInfomation(std::optional<MultiArticleResult> result);
    // "importArticleDone": favorites, selection, the alert for PMIDs that
    // were not obtained, then the selected source is shown again.
    void importArticleDone(const Notification& notification);

    // The PMID of each path whose name contains ".pdf", in order.
    static QStringList getPMIDsFromFilenames(const QStringList& paths);

Q_SIGNALS:
    // "Show Information" of a favorites list: the citation style panel of
    // that list (its index) is to open.
    void favoriteInfoRequested(int listIndex);

private:
    struct FileInFolder
    {
        QString folder;
        QString name;
    };
    void importFiles(const QList<FileInFolder>& files);
    void connectImport();
    void startActivity();
    void stopActivity();
    void setStatus(const QString& text);
    // Replaces the source-list selection without showing the row.
    void selectRowWithoutOpening(int row);
    // The favorites list index of droppedRow, or no value when droppedRow
    // names no existing list.
    std::optional<int> droppedList() const;

    bool refuseLegacyDatabase(const QString& preferenceDir) const;
    void reportSettingsProblems() const;
    void checkPreferenceFolderWritable(const QString& preferenceDir) const;
    void reloadSourceList();
    void applySearchFieldMode();
    void setCaption(const QString& caption);
    void connectSourceList();
    void connectMenus();
    SourceTableView* sourceView() const;
    int selectedRow() const;

    std::unique_ptr<PMIDLibrary> PMIDlib;
    std::unique_ptr<MyFavorite> _favorite;
    QPointer<MainWindow> mainWindow;
    std::unique_ptr<SourceListModel> sourceListModel;
    std::unique_ptr<ArticleController> _articleController;
    QPointer<QWidget> mainView;         // the article view
    QPointer<QWidget> pubmedSearchView; // the PubMed search view
    bool terminated = false;
};
