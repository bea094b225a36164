#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class MainWindow;
class MyFavorite;
class PMIDLibrary;
class QWidget;

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
    // Shows the selected source in the right-hand box.
    void openSource();

    PMIDLibrary* library() const { return PMIDlib.get(); }
    MyFavorite* favorite() const { return _favorite.get(); }
    MainWindow* window() const { return mainWindow; }

    // Source-list row that a running import adds its articles to.
    unsigned droppedRow = 0;

private:
    bool refuseLegacyDatabase(const QString& preferenceDir) const;
    void reportSettingsProblems() const;
    void checkPreferenceFolderWritable(const QString& preferenceDir) const;
    void reloadSourceList();
    void applySearchFieldMode();

    std::unique_ptr<PMIDLibrary> PMIDlib;
    std::unique_ptr<MyFavorite> _favorite;
    QPointer<MainWindow> mainWindow;
    QWidget* mainView = nullptr;         // the article view
    QWidget* pubmedSearchView = nullptr; // the PubMed search view
    bool terminated = false;
};
