#include "RecordingWorkspace.h"
#include "ScriptedPanels.h"
#include "TempHome.h"
#include "platform/Log.h"
#include "platform/Workspace.h"

#include <QFile>
#include <QTest>

// Opening with the default application, and the program log.
class TestDesktopServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workspaceUntilInstalledRefusesAndLogs();
    void installedWorkspaceReceivesFiles();
    void logWritesOneLinePerMessage();
};

void TestDesktopServices::workspaceUntilInstalledRefusesAndLogs()
{
    TempHome home;
    auto previous = Workspace::install(nullptr);
    LogCapture log;
    QVERIFY(!Workspace::shared().openUrl(QUrl("https://doi.org/10.1000/1")));
    QCOMPARE(log.lines.size(), 1);
    QVERIFY(log.lines.first().contains("https://doi.org/10.1000/1"));
    Workspace::install(std::move(previous));
}

void TestDesktopServices::installedWorkspaceReceivesFiles()
{
    auto opened = std::make_shared<QList<QUrl>>();
    auto previous = Workspace::install(std::make_unique<RecordingWorkspace>(opened));
    QVERIFY(Workspace::shared().openFile("/home/r/Olvane paper/123 #1.pdf"));
    auto mine = Workspace::install(std::move(previous));
    QCOMPARE(opened->size(), 1);
    // Blanks and '#' in a path must survive the trip through a URL.
    QCOMPARE(opened->first().toLocalFile(), QString("/home/r/Olvane paper/123 #1.pdf"));
}

void TestDesktopServices::logWritesOneLinePerMessage()
{
    TempHome home;
    Log::message("fail to create db");
    Log::message(QString::fromUtf8("%@ is not exist. — Müller"));
    QFile file(home.path() + "/.local/state/Olvane/olvane.log");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).endsWith(" fail to create db"));
    QVERIFY(lines.at(1).endsWith(QString::fromUtf8(" %@ is not exist. — Müller")));
}

QTEST_GUILESS_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
