#pragma once

#include "store/ArticleKey.h"
#include "store/ArticleRecord.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class ArticleTableModel;
class ArticleTableView;
class AuthorJournalBrowser;
class MyFavorite;
class PMIDLibrary;
class QDockWidget;
class QLabel;
class QSplitter;
class QTextBrowser;
class QWidget;

// The right-hand side of the main window: the author/journal browser above
// the article table in a split view, the abstract shown in the drawer, and
// the article counts in the status line. It shows the articles the source
// list or the browser asks for, and carries out what the user does to them.
class ArticleController final : public QObject
{
    Q_OBJECT

public:
    explicit ArticleController(QObject* parent = nullptr);
    ~ArticleController() override;

    // Wires the views and registers the observers; then restores the
    // browser tab and the table's columns. Once only.
    void awakeFromNib();
    // On "OlvaneDidFinishLanching": remembered split heights, sort order.
    void applicationDidFinishLanching();
    // On quitting: sort order, columns, split heights, browser tab.
    void applicationWillTerminate();

    void setLibrary(PMIDLibrary* library);
    void setFavorite(MyFavorite* favorites) { favorite = favorites; }
    void setStatusText(QLabel* statusText);
    // Hands over the drawer: it shows the abstract view from now on.
    void setDrawer(QDockWidget* drawer);
    void setContentViewOfDrawer();

    QWidget* mainView() const { return _mainView; }
    QWidget* abstractView() const { return _abstractView; }
    bool isCollapsed() const { return _isCollapsed; }
    const QList<ArticleRecord>& articleList() const;
    ArticleTableView* articleView() const { return ArticleView; }
    ArticleTableModel* articleModel() const { return model; }
    QSplitter* mainSplitView() const { return _mainSplitView; }
    AuthorJournalBrowser* authorJournalTab() const { return AuthorJournalTab; }
    QTextBrowser* abstractTextView() const { return abstractText; }

    // Hide and restore the browser pane; each does nothing in its own state.
    void collapsed();
    void unCollapsed();

    // Replaces the list with the articles of the keys; no value: nothing.
    void showArticles(const std::optional<QList<ArticleKey>>& keys);
    void resetArticles();
    // One batch of a query's records (the store's receiver).
    void appendArticles(QList<ArticleRecord>& batch);

    // The row actions: each acts on the selected row, none without one.
    void setReadMark();
    void setImportantMark();
    void setQuestionMark();
    void unsetMark();
    // Sets the mark in the list and stores it at once.
    void setMarkOnArticle(int row, const QString& mark);
    void removeArticle();
    void openFile();
    void openInfo();
    void openPubmedSite();
    void openJournalSite();
    // Fills the drawer with the selected article's abstract (never opens it).
    void openDrawer();

    // After the preferences changed: fonts, colours, row height, browsers.
    void updateView();
    // After the library changed: the browsers' first columns.
    void showArticleJournalBrowser();

Q_SIGNALS:
    void infoRequested(const ArticleKey& key);

private:
    void buildViews();
    void connectViews();
    // The record of the selected row, or none.
    std::optional<ArticleRecord> selectedRecord() const;
    // The file a PDF is opened from: with copying on, its copy in the paper
    // folder.
    static QString pdfToOpen(const ArticleRecord& record);
    void updateStatusLine();
    void applyFonts();

    AuthorJournalBrowser* AuthorJournalTab = nullptr;
    QPointer<QWidget> _mainView;
    QPointer<QWidget> _abstractView;
    QSplitter* _mainSplitView = nullptr;
    ArticleTableView* ArticleView = nullptr;
    QTextBrowser* abstractText = nullptr;
    ArticleTableModel* model = nullptr;

    PMIDLibrary* PMIDlib = nullptr;
    MyFavorite* favorite = nullptr;
    QPointer<QLabel> statusMessage;
    QPointer<QDockWidget> drawer;

    bool awoken = false;
    bool _isCollapsed = false;
    int TopHeight = 0;
    int BottomHeight = 0;
    int batchesDelivered = 0; // during one showArticles()
};
