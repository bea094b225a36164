#include "SourceController.h"

#include "Folders.h"
#include "MainWindow.h"
#include "StartupDefaults.h"
#include "WindowFrame.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/ApplicationNotifications.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "store/accessDB.h"
#include "window/ArticleController.h"
#include "window/SourceListModel.h"
#include "window/SourceTableView.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryFile>

namespace {

bool fitsOnAScreen(const QRect& frame)
{
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->availableGeometry().intersects(frame);
    });
}

} // namespace

SourceController::SourceController() = default;

SourceController::~SourceController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

bool SourceController::init()
{
    UserDefaults& defaults = UserDefaults::standard();
    reportSettingsProblems();

    // An old-format database is never touched: check before anything is
    // created or written.
    if (refuseLegacyDatabase(settlePreferenceDir(defaults)))
        return false;

    const Folders folders = settleFolders(defaults);
    // The database and the library file live directly in the preference
    // folder; without it nothing the user does could be saved.
    createFoldersAlong(folders.preferenceDir);
    checkPreferenceFolderWritable(folders.preferenceDir);

    PMIDlib = std::make_unique<PMIDLibrary>();
    _favorite = std::make_unique<MyFavorite>();
    _favorite->setLibrary(PMIDlib.get());

    if (!establishStartupDefaults(defaults)) {
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.message = tr("Olvane cannot save its settings");
        alert.informativeText =
            tr("The settings file %1 cannot be written: %2. Changes to your "
               "settings will be lost when Olvane quits.")
                .arg(QDir::toNativeSeparators(defaults.path()), defaults.lastError());
        Panels::shared().runAlert(alert);
    }
    return true;
}

bool SourceController::refuseLegacyDatabase(const QString& preferenceDir) const
{
    const QString path = preferenceDir + "/articles.db";
    if (!accessDB::isLegacySQLite2File(path))
        return false;
    Log::message(QStringLiteral("%1 is an SQLite 2 database; not opened").arg(path));
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = tr("Olvane cannot open your article database");
    alert.informativeText =
        tr("The file %1 was written by an older version in the SQLite 2 format, which this "
           "version cannot read. The file has not been changed.\n\n"
           "To convert it, on a computer that has the SQLite 2 command-line tool (sqlite) and "
           "SQLite 3 (sqlite3), run:\n\n"
           "    sqlite articles.db .dump | sqlite3 articles-new.db\n\n"
           "in that folder, keep the old file somewhere safe, rename articles-new.db to "
           "articles.db, and start Olvane again. Olvane will now quit.")
            .arg(QDir::toNativeSeparators(path));
    alert.defaultButton = tr("Quit");
    Panels::shared().runAlert(alert);
    return true;
}

void SourceController::reportSettingsProblems() const
{
    const QString aside = UserDefaults::standard().movedAsideTo();
    if (aside.isEmpty())
        return;
    Alert alert;
    alert.message = tr("Olvane could not read its settings");
    alert.informativeText = tr("The settings file could not be read. It has been kept as %1, "
                               "and Olvane starts with its default settings.")
                                .arg(QDir::toNativeSeparators(aside));
    Panels::shared().runAlert(alert);
}

void SourceController::checkPreferenceFolderWritable(const QString& preferenceDir) const
{
    QTemporaryFile probe(preferenceDir + "/.olvane-write-check-XXXXXX");
    if (probe.open())
        return;
    Log::message(QStringLiteral("preference folder %1 is not writable: %2")
                     .arg(preferenceDir, probe.errorString()));
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = tr("Olvane cannot save to its preference folder");
    alert.informativeText =
        tr("The folder %1 cannot be written (%2). Your article database, library and favorites "
           "are kept there: changes cannot be saved until the folder can be written, or "
           "another folder is chosen in Preferences.")
            .arg(QDir::toNativeSeparators(preferenceDir), probe.errorString());
    Panels::shared().runAlert(alert);
}

void SourceController::awakeFromNib(MainWindow* window)
{
    mainWindow = window;
    UserDefaults& defaults = UserDefaults::standard();

    const auto frame = rectFromString(defaults.stringForKey("Olvane Rect"));
    if (frame && fitsOnAScreen(*frame))
        window->setGeometry(*frame);

    // The article view first: it registers its own observers now, so that
    // at quitting it saves its state before the defaults are written here.
    _articleController = std::make_unique<ArticleController>();
    _articleController->awakeFromNib();
    mainView = _articleController->mainView();

    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, ApplicationNotifications::willFinishLaunching,
                       [this](const Notification&) { applicationDidFinishLanching(); });
    center.addObserver(this, ApplicationNotifications::willTerminate,
                       [this](const Notification&) { applicationWillTerminate(); });
    center.addObserver(this, QStringLiteral("removeArticle"),
                       [this](const Notification& n) { removeArticle(n); });
    center.addObserver(this, QStringLiteral("updateView"),
                       [this](const Notification&) { updateView(); });
    center.addObserver(this, QStringLiteral("openSource"),
                       [this](const Notification&) { openSource(); });
    connectImport();

    sourceListModel = std::make_unique<SourceListModel>(PMIDlib.get(), _favorite.get());
    window->sourceView()->setModel(sourceListModel.get());
    connectSourceList();
    connectMenus();

    // Until the PubMed search arrives, row 1 shows an empty view of its own.
    pubmedSearchView = new QWidget;
    pubmedSearchView->setObjectName(QStringLiteral("pubmedSearchView"));
    window->setRightBoxContent(pubmedSearchView);
    window->setRightBoxContent(mainView);
}

void SourceController::applicationDidFinishLanching()
{
    if (!mainWindow)
        return;
    _articleController->setLibrary(PMIDlib.get());
    _articleController->setFavorite(_favorite.get());
    mainWindow->statusMessage()->setText(QString());
    sourceView()->setFocus();
    applySearchFieldMode();

    const qint64 saved = UserDefaults::standard().integerForKey("Olvane Source Selected Row");
    int row = saved > 0 ? int(saved) : 0;
    // A list removed since the last run: fall back to the library.
    if (row >= sourceView()->count())
        row = 0;
    sourceView()->setCurrentRow(row);

    _articleController->setDrawer(mainWindow->drawer());
    _articleController->setStatusText(mainWindow->statusMessage());

    NotificationCenter::defaultCenter().post(QStringLiteral("OlvaneDidFinishLanching"));
    openSource();
}

void SourceController::applicationWillTerminate()
{
    if (terminated)
        return;
    terminated = true;
    UserDefaults& defaults = UserDefaults::standard();
    if (PMIDlib && !PMIDlib->writeToFile())
        Log::message(QStringLiteral("the library file could not be saved at quit"));
    if (_favorite && !_favorite->writeToFile())
        Log::message(QStringLiteral("the favorites file could not be saved at quit"));
    if (mainWindow) {
        defaults.setObject(stringFromRect(mainWindow->geometry()), "Olvane Rect");
        defaults.setInteger(sourceView()->currentRow(), "Olvane Source Selected Row");
    }
    if (!defaults.synchronize())
        Log::message(
            QStringLiteral("settings could not be saved at quit: %1").arg(defaults.lastError()));
}

void SourceController::updateView()
{
    if (!mainWindow)
        return;
    applySearchFieldMode();
    sourceView()->updateView();
    reloadSourceList();
}

void SourceController::applySearchFieldMode()
{
    mainWindow->setSendsWholeSearchString(
        !UserDefaults::standard().boolForKey("incrementalSearch"));
}

void SourceController::reloadSourceList()
{
    if (sourceListModel)
        sourceListModel->reload();
}

SourceTableView* SourceController::sourceView() const
{
    return mainWindow ? mainWindow->sourceView() : nullptr;
}

int SourceController::selectedRow() const
{
    return mainWindow ? mainWindow->sourceView()->currentRow() : -1;
}
