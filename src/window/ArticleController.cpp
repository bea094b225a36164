#include "window/ArticleController.h"

#include "library/PMIDLibrary.h"
#include "platform/ApplicationNotifications.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "pubmed/PubMedXML.h"
#include "store/accessDB.h"
#include "window/ArticleAddresses.h"
#include "window/ArticleTableModel.h"
#include "window/ArticleTableView.h"
#include "window/AuthorJournalBrowser.h"

#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString sortDescriptionKey = QStringLiteral("articleViewSortDescription");
const QString topHeightKey = QStringLiteral("mainSplitTopHeight");
const QString bottomHeightKey = QStringLiteral("mainSplitBottomHeight");

// The database order of a query: "sortBy" (a column of the article table)
// and "orderBy"; an absent setting takes the start-up default.
QStringList querySortBy()
{
    const QString sortBy = UserDefaults::standard().stringForKey(QStringLiteral("sortBy"));
    return {sortBy.isEmpty() ? QStringLiteral("submitDate") : sortBy};
}

QString queryOrderBy()
{
    const QString orderBy = UserDefaults::standard().stringForKey(QStringLiteral("orderBy"));
    return orderBy.isEmpty() ? QStringLiteral("ASC") : orderBy;
}

QList<SortDescriptor> storedSortDescriptors()
{
    QList<SortDescriptor> descriptors;
    const QVariantList stored = UserDefaults::standard().objectForKey(sortDescriptionKey).toList();
    for (const QVariant& entry : stored) {
        const QVariantMap map = entry.toMap();
        const QString key = map.value(QStringLiteral("key")).toString();
        if (!key.isEmpty())
            descriptors.append({key, map.value(QStringLiteral("ascending"), true).toBool()});
    }
    return descriptors;
}

int columnOfSortKey(const QString& key)
{
    for (int column = 0; column < ArticleTableModel::ColumnCount; ++column) {
        if (ArticleTableModel::sortKeyOfColumn(column) == key)
            return column;
    }
    return -1;
}

} // namespace

ArticleController::ArticleController(QObject* parent) : QObject(parent)
{
    buildViews();
}

ArticleController::~ArticleController()
{
    // Views handed to the window or the drawer belong to them now.
    if (_mainView && _mainView->parent() == nullptr)
        delete _mainView.data();
    if (_abstractView && _abstractView->parent() == nullptr)
        delete _abstractView.data();
}

void ArticleController::buildViews()
{
    model = new ArticleTableModel(this);

    _mainView = new QWidget;
    _mainView->setObjectName(QStringLiteral("mainView"));
    _mainSplitView = new QSplitter(Qt::Vertical, _mainView);
    _mainSplitView->setObjectName(QStringLiteral("mainSplitView"));
    AuthorJournalTab = new AuthorJournalBrowser(_mainSplitView);
    ArticleView = new ArticleTableView(_mainSplitView);
    ArticleView->setModel(model);
    _mainSplitView->addWidget(AuthorJournalTab);
    _mainSplitView->addWidget(ArticleView);
    _mainSplitView->setCollapsible(0, true);
    _mainSplitView->setCollapsible(1, false);
    _mainSplitView->setStretchFactor(0, 0);
    _mainSplitView->setStretchFactor(1, 1);
    auto* mainLayout = new QVBoxLayout(_mainView);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(_mainSplitView);

    _abstractView = new QWidget;
    _abstractView->setObjectName(QStringLiteral("abstractView"));
    abstractText = new QTextBrowser(_abstractView);
    abstractText->setReadOnly(true);
    abstractText->setOpenLinks(false);
    auto* abstractLayout = new QVBoxLayout(_abstractView);
    abstractLayout->setContentsMargins(0, 0, 0, 0);
    abstractLayout->addWidget(abstractText);

    applyFonts();
}

void ArticleController::awakeFromNib()
{
    if (awoken)
        return;
    awoken = true;

    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, ApplicationNotifications::willTerminate,
                       [this](const Notification&) { applicationWillTerminate(); });
    center.addObserver(this, QStringLiteral("OlvaneDidFinishLanching"),
                       [this](const Notification&) { applicationDidFinishLanching(); });
    center.addObserver(this, QStringLiteral("updateView"),
                       [this](const Notification&) { updateView(); });
    center.addObserver(this, QStringLiteral("updateLibrary"),
                       [this](const Notification&) { showArticleJournalBrowser(); });

    connectViews();
    AuthorJournalTab->restoreSelectedTab();
    ArticleView->resizeColumns();
}

void ArticleController::connectViews()
{
    ArticleTableView* view = ArticleView;
    connect(view, &QAbstractItemView::clicked, this, [this] { openDrawer(); });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { openFile(); });
    connect(view, &ArticleTableView::openDrawerRequested, this, &ArticleController::openDrawer);
    connect(view, &ArticleTableView::setReadMarkRequested, this, &ArticleController::setReadMark);
    connect(view, &ArticleTableView::setImportantMarkRequested, this,
            &ArticleController::setImportantMark);
    connect(view, &ArticleTableView::setQuestionMarkRequested, this,
            &ArticleController::setQuestionMark);
    connect(view, &ArticleTableView::unsetMarkRequested, this, &ArticleController::unsetMark);
    connect(view, &ArticleTableView::openInfoRequested, this, &ArticleController::openInfo);
    connect(view, &ArticleTableView::openFileRequested, this, &ArticleController::openFile);
    connect(view, &ArticleTableView::openPubmedSiteRequested, this,
            &ArticleController::openPubmedSite);
    connect(view, &ArticleTableView::openJournalSiteRequested, this,
            &ArticleController::openJournalSite);
    connect(view, &ArticleTableView::removeArticleRequested, this,
            &ArticleController::removeArticle);
    connect(AuthorJournalTab, &AuthorJournalBrowser::articlesChosen, this,
            [this](const QList<ArticleKey>& keys) { showArticles(keys); });
}

void ArticleController::applicationDidFinishLanching()
{
    const UserDefaults& defaults = UserDefaults::standard();
    const QList<int> sizes = _mainSplitView->sizes();
    TopHeight = defaults.objectForKey(topHeightKey).isValid()
                    ? qRound(defaults.floatForKey(topHeightKey))
                    : sizes.value(0);
    BottomHeight = defaults.objectForKey(bottomHeightKey).isValid()
                       ? qRound(defaults.floatForKey(bottomHeightKey))
                       : sizes.value(1);
    _isCollapsed = false;
    // The pane comes back at the heights the user left it with.
    if (TopHeight + BottomHeight > 0)
        _mainSplitView->setSizes({TopHeight, BottomHeight});

    const QList<SortDescriptor> descriptors = storedSortDescriptors();
    model->setSortDescriptors(descriptors);
    if (descriptors.isEmpty())
        ArticleView->showSortIndicator(-1, Qt::AscendingOrder);
    else
        ArticleView->showSortIndicator(columnOfSortKey(descriptors.first().key),
                                       descriptors.first().ascending ? Qt::AscendingOrder
                                                                     : Qt::DescendingOrder);
}

void ArticleController::applicationWillTerminate()
{
    UserDefaults& defaults = UserDefaults::standard();
    QVariantList descriptions;
    for (const SortDescriptor& descriptor : model->sortDescriptors())
        descriptions.append(QVariantMap{{QStringLiteral("ascending"), descriptor.ascending},
                                        {QStringLiteral("key"), descriptor.key}});
    defaults.setObject(descriptions, sortDescriptionKey);

    ArticleView->saveColumns();

    // A pane moved since launch is saved as it is now; a collapsed one as
    // it was before it collapsed.
    if (!_isCollapsed) {
        const QList<int> sizes = _mainSplitView->sizes();
        TopHeight = sizes.value(0);
        BottomHeight = sizes.value(1);
    }
    defaults.setFloat(TopHeight, topHeightKey);
    defaults.setFloat(BottomHeight, bottomHeightKey);
    AuthorJournalTab->saveSelectedTab();
    defaults.synchronize();
}

void ArticleController::setLibrary(PMIDLibrary* library)
{
    PMIDlib = library;
    AuthorJournalTab->setLibrary(library);
    if (library == nullptr)
        return;
    // The store may outlive this controller: a late batch then goes nowhere.
    library->DB().setRecieverOfArticles(
        [self = QPointer<ArticleController>(this)](QList<ArticleRecord>& batch) {
            if (self)
                self->appendArticles(batch);
        });
}

void ArticleController::setStatusText(QLabel* statusText)
{
    statusMessage = statusText;
}

void ArticleController::setDrawer(QDockWidget* newDrawer)
{
    drawer = newDrawer;
    setContentViewOfDrawer();
    openDrawer();
}

void ArticleController::setContentViewOfDrawer()
{
    if (drawer && _abstractView && drawer->widget() != _abstractView) {
        drawer->setWidget(_abstractView);
        _abstractView->show();
    }
}

const QList<ArticleRecord>& ArticleController::articleList() const
{
    return model->articleList();
}

void ArticleController::collapsed()
{
    if (_isCollapsed)
        return;
    const QList<int> sizes = _mainSplitView->sizes();
    TopHeight = sizes.value(0);
    BottomHeight = sizes.value(1);
    _mainSplitView->setSizes({0, TopHeight + BottomHeight});
    _isCollapsed = true;
}

void ArticleController::unCollapsed()
{
    if (!_isCollapsed)
        return;
    _mainSplitView->setSizes({TopHeight, BottomHeight});
    _isCollapsed = false;
}

void ArticleController::showArticles(const std::optional<QList<ArticleKey>>& keys)
{
    if (!keys)
        return;
    if (!_isCollapsed)
        AuthorJournalTab->updateView();
    resetArticles();
    if (PMIDlib == nullptr)
        return;

    // Every batch arrives before the query returns: collect them all and
    // sort and show the list once.
    batchesDelivered = 0;
    model->beginDelivery();
    PMIDlib->DB().searchFromIDs(*keys, querySortBy(), queryOrderBy());
    model->endDelivery();
    if (batchesDelivered > 0)
        updateStatusLine();
}

void ArticleController::resetArticles()
{
    model->resetArticles();
}

void ArticleController::appendArticles(QList<ArticleRecord>& batch)
{
    model->appendArticles(batch);
    ++batchesDelivered;
    if (!model->isDelivering())
        updateStatusLine();
}

void ArticleController::updateStatusLine()
{
    if (!statusMessage)
        return;
    const UserDefaults& defaults = UserDefaults::standard();
    const qint64 count = model->rowCount();
    const qint64 total = PMIDlib != nullptr ? PMIDlib->DB().numberOfAllArticles() : 0;
    // The count alone turns red when the query was cut at the display limit.
    const bool cut = defaults.boolForKey(QStringLiteral("isLimitDisplayArticle")) &&
                     defaults.integerForKey(QStringLiteral("isLimitMaxNumber")) == count;
    const QString number =
        cut ? QStringLiteral("<span style=\"color:#ff0000\">%1</span>").arg(count)
            : QString::number(count);
    statusMessage->setText(
        tr("<div align=\"center\">%1 of %2 papers</div>").arg(number, QString::number(total)));
    statusMessage->repaint();
}

std::optional<ArticleRecord> ArticleController::selectedRecord() const
{
    const int row = ArticleView->selectedRow();
    if (row < 0 || row >= model->rowCount())
        return std::nullopt;
    return model->record(row);
}

void ArticleController::setReadMark()
{
    setMarkOnArticle(ArticleView->selectedRow(), QStringLiteral("read"));
}

void ArticleController::setImportantMark()
{
    setMarkOnArticle(ArticleView->selectedRow(), QStringLiteral("important"));
}

void ArticleController::setQuestionMark()
{
    setMarkOnArticle(ArticleView->selectedRow(), QStringLiteral("question"));
}

void ArticleController::unsetMark()
{
    setMarkOnArticle(ArticleView->selectedRow(), QStringLiteral("none"));
}

void ArticleController::setMarkOnArticle(int row, const QString& mark)
{
    if (row < 0 || row >= model->rowCount())
        return;
    model->setMark(row, mark);
    if (PMIDlib == nullptr)
        return;
    accessDB& db = PMIDlib->DB();
    db.open();
    db.setMark(mark, model->record(row).key());
    db.close();
}

void ArticleController::removeArticle()
{
    if (const auto record = selectedRecord())
        NotificationCenter::defaultCenter().post(QStringLiteral("removeArticle"),
                                                 record->key().toVariant());
}

void ArticleController::openFile()
{
    const auto record = selectedRecord();
    if (!record)
        return;
    const bool pmid = record->type == u"pmid";
    if (ArticleTableModel::hasPDF(*record)) {
        Workspace::shared().openFile(pdfToOpen(*record));
    } else if (pmid) {
        NotificationCenter::defaultCenter().post(QStringLiteral("showWeb"), QVariant(),
                                                 record->toVariant());
    }
}

QString ArticleController::pdfToOpen(const ArticleRecord& record)
{
    const UserDefaults& defaults = UserDefaults::standard();
    if (!defaults.boolForKey(QStringLiteral("copyPDFtoFolder")))
        return record.filepath;
    const QString folder = defaults.stringForKey(QStringLiteral("paperFolder"));
    const QString name = QFileInfo(record.filepath).fileName();
    const QString inPaperFolder = record.type == u"pmid"
                                      ? QStringLiteral("%1/%2").arg(folder, name)
                                      : QStringLiteral("%1/User/%2").arg(folder, name);
    // A PDF the import could not copy was stored with the user's own path.
    if (!QFileInfo::exists(inPaperFolder) && QFileInfo::exists(record.filepath))
        return record.filepath;
    return inPaperFolder;
}

void ArticleController::openInfo()
{
    if (const auto record = selectedRecord())
        Q_EMIT infoRequested(record->key());
}

void ArticleController::openPubmedSite()
{
    const auto record = selectedRecord();
    if (record && record->type == u"pmid")
        Workspace::shared().openUrl(ArticleAddresses::pubmedPage(record->ID));
}

void ArticleController::openJournalSite()
{
    const auto record = selectedRecord();
    if (!record || record->type != u"pmid")
        return;
    PubMedXML reader;
    QString pmid = record->ID;
    if (reader.openFile(record->ID,
                        UserDefaults::standard().stringForKey(QStringLiteral("cacheDir"))) &&
        reader.isValid()) {
        const QString doi = reader.doi();
        if (!doi.isEmpty()) {
            Workspace::shared().openUrl(ArticleAddresses::doiPage(doi));
            return;
        }
        if (!reader.pubmed().isEmpty())
            pmid = reader.pubmed();
    }
    // Without a readable file the record's own ID goes into the link-out.
    Workspace::shared().openUrl(ArticleAddresses::linkOut(pmid));
}

void ArticleController::openDrawer()
{
    const auto record = selectedRecord();
    if (!record)
        return;
    const QString text = PMIDlib != nullptr ? PMIDlib->abstract(record->key()) : QString();
    abstractText->clear();
    if (!text.isEmpty()) {
        abstractText->setCurrentFont(model->articleFont());
        abstractText->insertPlainText(text);
    }
    abstractText->moveCursor(QTextCursor::Start);
}

void ArticleController::updateView()
{
    AuthorJournalTab->updateFonts();
    AuthorJournalTab->updateView();
    applyFonts();
}

void ArticleController::applyFonts()
{
    model->updateStyle();
    abstractText->setFont(model->articleFont());
    ArticleView->setRowHeightForFontSize(model->articleFont().pointSizeF());
}

void ArticleController::showArticleJournalBrowser()
{
    AuthorJournalTab->showArticleJournalBrowser();
}
