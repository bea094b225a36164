#pragma once

#include "store/ArticleKey.h"

#include <QList>
#include <QString>
#include <QTabWidget>

class IndexBrowser;
class PMIDLibrary;

// The upper pane of the article view: one tab browsing the library's authors
// (identifier "author") and one its journals ("journal"). A choice in either
// browser reports the articles under it.
class AuthorJournalBrowser final : public QTabWidget
{
    Q_OBJECT

public:
    explicit AuthorJournalBrowser(QWidget* parent = nullptr);
    ~AuthorJournalBrowser() override;

    void setLibrary(PMIDLibrary* library);

    // Selects the tab named by "selectedTabIdentifierInJournalAuthor" when
    // that default names one; otherwise the current tab stays.
    void restoreSelectedTab();
    // Stores the current tab's identifier under that default.
    void saveSelectedTab() const;
    // "author" or "journal".
    QString selectedTabIdentifier() const;
    // Selects the tab with that identifier; false for an unknown one.
    bool selectTab(const QString& identifier);

    // Reloads the shown columns of both browsers, keeping the selections
    // whose titles still exist.
    void updateView();
    // After the library gained or lost entries: reloads column 0 (and what
    // hangs off it) of both browsers.
    void showArticleJournalBrowser();
    // Applies "JournalAuthorViewFontType" at "JournalAuthorViewFontSize".
    void updateFonts();

    IndexBrowser* authorBrowser() const { return _authorBrowser; }
    IndexBrowser* journalBrowser() const { return _journalBrowser; }
    // The browser of a tab identifier; null for an unknown one.
    IndexBrowser* browserOf(const QString& identifier) const;

Q_SIGNALS:
    void articlesChosen(const QList<ArticleKey>& keys);

private:
    void tabSelected(int index);

    IndexBrowser* _authorBrowser;
    IndexBrowser* _journalBrowser;
};
