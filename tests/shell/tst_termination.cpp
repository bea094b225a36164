#include "TempHome.h"
#include "platform/PropertyList.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>

// The real program, ended by the signals a logout, a shutdown or Ctrl+C send.
class TestTermination : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signalQuitsAndSaves_data();
    void signalQuitsAndSaves();
};

void TestTermination::signalQuitsAndSaves_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestTermination::signalQuitsAndSaves()
{
    QFETCH(int, signalNumber);
    TempHome home;
    const QString settings = home.path() + "/.config/Olvane/Olvane.plist";
    const QString library = home.defaultPreferenceDir() + "/library.dat";

    QProcess olvane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
    env.insert("XDG_STATE_HOME", home.path() + "/.local/state");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    olvane.setProcessEnvironment(env);
    olvane.setProcessChannelMode(QProcess::ForwardedChannels);
    olvane.start(OLVANE_EXECUTABLE, QStringList());
    QVERIFY(olvane.waitForStarted());

    // Start-up has saved the settings once the window is about to show.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(settings) && QFileInfo::exists(library), 20000);
    QVERIFY(!PropertyList::readFile(settings)->toMap().contains("Olvane Rect"));

    ::kill(pid_t(olvane.processId()), signalNumber);
    QVERIFY(olvane.waitForFinished(20000));
    QCOMPARE(olvane.exitStatus(), QProcess::NormalExit);
    QCOMPARE(olvane.exitCode(), 0);

    const QVariantMap stored = PropertyList::readFile(settings)->toMap();
    QVERIFY(stored.contains("Olvane Rect"));
    QCOMPARE(stored.value("Olvane Source Selected Row").toLongLong(), 0);
}

QTEST_GUILESS_MAIN(TestTermination)
#include "tst_termination.moc"
