#include "ScriptedPanels.h"
#include "TempHome.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "shell/MainWindow.h"
#include "shell/OlvaneApplication.h"
#include "shell/SourceController.h"
#include "shell/WindowFrame.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// One run of the program, in process: start-up in the application's order,
// and quitting.
struct Run
{
    SourceController controller;
    MainWindow window;

    bool start()
    {
        if (!controller.init())
            return false;
        controller.awakeFromNib(&window);
        controller.applicationDidFinishLanching();
        return true;
    }
    void quit() { controller.applicationWillTerminate(); }
};

QVariantMap savedDefaults()
{
    return PropertyList::readFile(UserDefaults::defaultPath()).value_or(QVariant()).toMap();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshUser();
    void startupDefaultsKeepUserValues();
    void foldersOutsidePreferenceFolder();
    void windowFrameAndSelectedRowSurviveRestart_data();
    void windowFrameAndSelectedRowSurviveRestart();
    void windowFrameText_data();
    void windowFrameText();
    void legacyDatabaseIsRefusedUntouched();
    void unreadableSettingsAreReported();
    void unwritablePreferenceFolderIsReported();
    void closingTheWindowQuitsAndSaves();
};

void TestStartup::freshUser()
{
    TempHome home;
    ScriptedPanelsScope panels;
    Run run;
    QVERIFY(run.start());

    const QString P = home.defaultPreferenceDir();
    const QVariantMap stored = savedDefaults();
    const QVariantMap expected{{"preferenceDir", P},
                               {"cacheDir", QString(P + "/cache")},
                               {"paperFolder", QString(P + "/Olvane paper")},
                               {"copyPDFtoFolder", true},
                               {"sortBy", "submitDate"},
                               {"orderBy", "ASC"},
                               {"fontSize", 12.0},
                               {"ArticleViewFontSize", 12.0},
                               {"JournalAuthorViewFontSize", 11.0},
                               {"fontType", "Lucida Grande"},
                               {"ArticleViewFontType", "Lucida Grande"},
                               {"JournalAuthorViewFontType", "Lucida Grande"},
                               {"drawerPosition", "side"},
                               {"waitTimeForPubmed", qint64(3)},
                               {"numberOfResultOFWarning", qint64(50)}};
    QCOMPARE(stored.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(stored.value(it.key()), it.value());

    for (const QString& folder : QStringList{home.path() + "/Documents", P, P + "/cache",
                                             P + "/Olvane paper", P + "/Olvane paper/User"})
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
    for (const char* file : {"articles.db", "library.dat", "favorite.dat"})
        QVERIFY2(QFileInfo::exists(P + "/" + file), file);
    QVERIFY(panels->alerts.isEmpty());

    QCOMPARE(run.window.sourceView()->count(), 2);
    QCOMPARE(run.window.sourceView()->currentRow(), 0);
    QCOMPARE(run.window.searchTextField()->text(), QString("Search Library"));
    QVERIFY(run.window.sendsWholeSearchString());
}

void TestStartup::startupDefaultsKeepUserValues()
{
    TempHome home;
    ScriptedPanelsScope panels;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setInteger(0, "waitTimeForPubmed");
    defaults.setBool(false, "copyPDFtoFolder");
    defaults.setObject(QString("title"), "sortBy");
    defaults.setFloat(14.0, "fontSize");
    defaults.setObject(qint64(7), "fontType"); // not a string: replaced
    defaults.setBool(true, "incrementalSearch");
    QVERIFY(defaults.synchronize());
    UserDefaults::resetStandard();

    {
        Run run;
        QVERIFY(run.start());
        QVERIFY(!run.window.sendsWholeSearchString());
        run.quit();
    }
    UserDefaults::resetStandard(); // the next start
    Run again;
    QVERIFY(again.start());
    UserDefaults& reread = UserDefaults::standard();
    QCOMPARE(reread.integerForKey("waitTimeForPubmed"), 3);
    QCOMPARE(reread.boolForKey("copyPDFtoFolder"), false);
    QCOMPARE(reread.stringForKey("sortBy"), QString("title"));
    QCOMPARE(reread.floatForKey("fontSize"), 14.0);
    QCOMPARE(reread.stringForKey("fontType"), QString("Lucida Grande"));
}

void TestStartup::foldersOutsidePreferenceFolder()
{
    TempHome home;
    ScriptedPanelsScope panels;
    const QString P = home.path() + "/prefs/Olvane";
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(P, "preferenceDir");
    defaults.setObject(QString(home.path() + "/xml/cache"), "cacheDir");
    defaults.setObject(QString(home.path() + "/pdf"), "paperFolder");
    Run run;
    QVERIFY(run.start());
    QVERIFY(QFileInfo(home.path() + "/xml/cache").isDir());
    QVERIFY(QFileInfo(home.path() + "/pdf/User").isDir());
    // The database and library file live in the preference folder itself, so
    // it is created too rather than losing them.
    QVERIFY(QFileInfo::exists(P + "/articles.db"));
    QVERIFY(QFileInfo::exists(P + "/library.dat"));
    QVERIFY(!QFileInfo::exists(home.path() + "/Documents"));
}

void TestStartup::windowFrameAndSelectedRowSurviveRestart_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("caption");
    QTest::newRow("favorites list") << 3 << "Search the Favorite";
    QTest::newRow("library") << 0 << "Search Library";
    QTest::newRow("PubMed search") << 1 << "Search PubMed";
}

void TestStartup::windowFrameAndSelectedRowSurviveRestart()
{
    QFETCH(int, row);
    TempHome home;
    ScriptedPanelsScope panels;
    const QRect frame(40, 30, 700, 500);
    {
        Run run;
        QVERIFY(run.start());
        run.controller.favorite()->addNewFavorite("Favorite");
        run.controller.favorite()->addNewFavorite("Reading");
        run.controller.updateView();
        run.window.setGeometry(frame);
        run.window.sourceView()->setCurrentRow(row);
        run.quit();
    }
    QCOMPARE(savedDefaults().value("Olvane Source Selected Row").toLongLong(), row);

    UserDefaults::resetStandard();
    Run again;
    QVERIFY(again.start());
    QCOMPARE(again.window.sourceView()->count(), 4);
    QCOMPARE(again.window.sourceView()->currentRow(), row);
    QTEST(again.window.searchTextField()->text(), "caption");
    QCOMPARE(again.window.geometry(), frame);
}

void TestStartup::windowFrameText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("rect"); // null: no value
    QTest::newRow("own form") << "{{40, 30}, {700, 500}}" << QRect(40, 30, 700, 500);
    QTest::newRow("fractions") << "{{10.4, 20.6}, {300.5, 200}}" << QRect(10, 21, 301, 200);
    QTest::newRow("negative origin") << "{{-1200, 0}, {800, 600}}" << QRect(-1200, 0, 800, 600);
    QTest::newRow("empty") << "" << QRect();
    QTest::newRow("three numbers") << "{{1, 2}, {3}}" << QRect();
    QTest::newRow("zero size") << "{{1, 2}, {0, 600}}" << QRect();
}

void TestStartup::windowFrameText()
{
    QFETCH(QString, text);
    QFETCH(QRect, rect);
    const auto parsed = rectFromString(text);
    QCOMPARE(parsed.value_or(QRect()), rect);
    if (!rect.isNull())
        QCOMPARE(rectFromString(stringFromRect(rect)).value_or(QRect()), rect);
}

void TestStartup::legacyDatabaseIsRefusedUntouched()
{
    TempHome home;
    ScriptedPanelsScope panels;
    const QByteArray old =
        QByteArray("** This file contains an SQLite 2.1 database **") + QByteArray(2000, '\x01');
    const QString db = home.writeFile("Documents/Olvane/articles.db", old);
    const QDateTime modified = QFileInfo(db).lastModified();

    Run run;
    QVERIFY(!run.controller.init());

    QCOMPARE(panels->alerts.size(), 1);
    const Alert alert = panels->alerts.first();
    QCOMPARE(alert.style, Alert::Style::Critical);
    QVERIFY(alert.informativeText.contains(db));
    QVERIFY(alert.informativeText.contains("sqlite3"));
    QCOMPARE(filesIn(home.defaultPreferenceDir()), QStringList{"articles.db"});
    QFile file(db);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QFileInfo(db).lastModified(), modified);
    QVERIFY(!QFileInfo::exists(UserDefaults::defaultPath()));
}

void TestStartup::unreadableSettingsAreReported()
{
    TempHome home;
    ScriptedPanelsScope panels;
    home.writeFile(".config/Olvane/Olvane.plist", "<plist><dict><key>x</key>");
    UserDefaults::resetStandard();
    Run run;
    QVERIFY(run.start());
    QCOMPARE(panels->alerts.size(), 1);
    QVERIFY(panels->alerts.first().informativeText.contains("unreadable"));
    // Started fresh, with the defaults saved in a new file.
    QCOMPARE(savedDefaults().value("sortBy").toString(), QString("submitDate"));
}

void TestStartup::unwritablePreferenceFolderIsReported()
{
    TempHome home;
    ScriptedPanelsScope panels;
    // A plain file stands where the preference folder should be.
    home.writeFile("Documents/Olvane", "not a folder");
    Run run;
    QVERIFY(run.start());
    const bool told =
        std::any_of(panels->alerts.begin(), panels->alerts.end(), [&](const Alert& a) {
            return a.message == "Olvane cannot save to its preference folder" &&
                   a.informativeText.contains(home.defaultPreferenceDir());
        });
    QVERIFY(told);
}

void TestStartup::closingTheWindowQuitsAndSaves()
{
    TempHome home;
    // The real application wiring, closed the way a user closes the window.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow*>(w))
                w->close();
    });
    QCOMPARE(runOlvane(*qApp), 0);
    const QVariantMap stored = savedDefaults();
    QVERIFY(rectFromString(stored.value("Olvane Rect").toString()).has_value());
    QCOMPARE(stored.value("Olvane Source Selected Row").toLongLong(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
