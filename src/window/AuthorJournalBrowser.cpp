#include "window/AuthorJournalBrowser.h"

#include "platform/UserDefaults.h"
#include "window/IndexBrowser.h"

#include <QFont>
#include <QGuiApplication>
#include <QTabBar>

namespace {

const QString tabKey = QStringLiteral("selectedTabIdentifierInJournalAuthor");

} // namespace

AuthorJournalBrowser::AuthorJournalBrowser(QWidget* parent)
    : QTabWidget(parent), _authorBrowser(new IndexBrowser(QStringLiteral("authorList"), this)),
      _journalBrowser(new IndexBrowser(QStringLiteral("journalList"), this))
{
    addTab(_authorBrowser, tr("Author"));
    tabBar()->setTabData(0, QStringLiteral("author"));
    addTab(_journalBrowser, tr("Journal"));
    tabBar()->setTabData(1, QStringLiteral("journal"));
    for (IndexBrowser* browser : {_authorBrowser, _journalBrowser})
        connect(browser, &IndexBrowser::articlesChosen, this,
                &AuthorJournalBrowser::articlesChosen);
    // Connected after the tabs exist, so only real switches count.
    connect(this, &QTabWidget::currentChanged, this, &AuthorJournalBrowser::tabSelected);
    updateFonts();
}

AuthorJournalBrowser::~AuthorJournalBrowser() = default;

void AuthorJournalBrowser::setLibrary(PMIDLibrary* library)
{
    _authorBrowser->setLibrary(library);
    _journalBrowser->setLibrary(library);
    showArticleJournalBrowser();
}

void AuthorJournalBrowser::restoreSelectedTab()
{
    const QString identifier = UserDefaults::standard().stringForKey(tabKey);
    if (!identifier.isNull())
        selectTab(identifier);
}

void AuthorJournalBrowser::saveSelectedTab() const
{
    UserDefaults::standard().setObject(selectedTabIdentifier(), tabKey);
}

QString AuthorJournalBrowser::selectedTabIdentifier() const
{
    return tabBar()->tabData(currentIndex()).toString();
}

bool AuthorJournalBrowser::selectTab(const QString& identifier)
{
    for (int index = 0; index < count(); ++index) {
        if (tabBar()->tabData(index).toString() == identifier) {
            setCurrentIndex(index);
            return true;
        }
    }
    return false;
}

IndexBrowser* AuthorJournalBrowser::browserOf(const QString& identifier) const
{
    if (identifier == u"author")
        return _authorBrowser;
    if (identifier == u"journal")
        return _journalBrowser;
    return nullptr;
}

void AuthorJournalBrowser::tabSelected(int index)
{
    IndexBrowser* browser = browserOf(tabBar()->tabData(index).toString());
    if (!browser)
        return;
    browser->reloadColumn(0);
    // Something to show, but not a choice: the article list stays as it is.
    if (!browser->selectedTitle(0))
        browser->selectRowSilently(0, 0);
}

void AuthorJournalBrowser::updateView()
{
    _journalBrowser->reloadColumn(0);
    _authorBrowser->reloadColumn(0);
}

void AuthorJournalBrowser::showArticleJournalBrowser()
{
    _authorBrowser->reloadColumn(0);
    _journalBrowser->reloadColumn(0);
}

void AuthorJournalBrowser::updateFonts()
{
    const UserDefaults& defaults = UserDefaults::standard();
    QFont font = QGuiApplication::font();
    const QString family = defaults.stringForKey(QStringLiteral("JournalAuthorViewFontType"));
    if (!family.isEmpty())
        font.setFamily(family);
    const double size = defaults.floatForKey(QStringLiteral("JournalAuthorViewFontSize"));
    if (size > 0)
        font.setPointSizeF(size);
    _authorBrowser->setBrowserFont(font);
    _journalBrowser->setBrowserFont(font);
}
