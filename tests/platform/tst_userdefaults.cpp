#include "TempHome.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestUserDefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absentKeys();
    void typedReads_data();
    void typedReads();
    void persistsAcrossInstances();
    void pathFollowsXdgConfigHome();
    void unreadableFileIsSetAside();
    void unwritableFolderIsReported();
};

void TestUserDefaults::absentKeys()
{
    TempHome home;
    UserDefaults& defaults = UserDefaults::standard();
    QCOMPARE(defaults.boolForKey("missing"), false);
    QCOMPARE(defaults.integerForKey("missing"), 0);
    QCOMPARE(defaults.floatForKey("missing"), 0.0);
    QVERIFY(defaults.stringForKey("missing").isNull());
    QVERIFY(!defaults.objectForKey("missing").isValid());
}

void TestUserDefaults::typedReads_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("asString"); // "<null>" for no value
    QTest::addColumn<qint64>("asInteger");
    QTest::addColumn<double>("asFloat");
    QTest::addColumn<bool>("asBool");

    QTest::newRow("text with leading number")
        << QVariant("12abc") << "12abc" << qint64(12) << 12.0 << true;
    QTest::newRow("plain text") << QVariant("side") << "side" << qint64(0) << 0.0 << false;
    QTest::newRow("integer") << QVariant(qint64(42)) << "<null>" << qint64(42) << 42.0 << true;
    QTest::newRow("zero") << QVariant(qint64(0)) << "<null>" << qint64(0) << 0.0 << false;
    QTest::newRow("real") << QVariant(13.5) << "<null>" << qint64(13) << 13.5 << true;
    QTest::newRow("bool") << QVariant(true) << "<null>" << qint64(1) << 1.0 << true;
    QTest::newRow("YES text") << QVariant("YES") << "YES" << qint64(0) << 0.0 << true;
    QTest::newRow("negative text")
        << QVariant(" -7 days") << " -7 days" << qint64(-7) << -7.0 << true;
    QTest::newRow("array") << QVariant(QVariantList{1}) << "<null>" << qint64(0) << 0.0 << false;
}

void TestUserDefaults::typedReads()
{
    QFETCH(QVariant, stored);
    TempHome home;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(stored, "key");
    const QString text = defaults.stringForKey("key");
    QTEST(text.isNull() ? QString("<null>") : text, "asString");
    QTEST(defaults.integerForKey("key"), "asInteger");
    QTEST(defaults.floatForKey("key"), "asFloat");
    QTEST(defaults.boolForKey("key"), "asBool");
}

void TestUserDefaults::persistsAcrossInstances()
{
    TempHome home;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(false, "copyPDFtoFolder");
    defaults.setInteger(3, "waitTimeForPubmed");
    defaults.setFloat(12.5, "fontSize");
    defaults.setObject(QString("O'Brien & <Co>"), "name");
    defaults.setObject(QVariantList{"title", "ASC"}, "articleViewSortDescription");
    QVERIFY(defaults.synchronize());

    UserDefaults::resetStandard();
    UserDefaults& again = UserDefaults::standard();
    QVERIFY(again.objectForKey("copyPDFtoFolder").isValid());
    QCOMPARE(again.boolForKey("copyPDFtoFolder"), false);
    QCOMPARE(again.integerForKey("waitTimeForPubmed"), 3);
    QCOMPARE(again.floatForKey("fontSize"), 12.5);
    QCOMPARE(again.stringForKey("name"), QString("O'Brien & <Co>"));
    QCOMPARE(again.objectForKey("articleViewSortDescription").toList(),
             (QVariantList{"title", "ASC"}));

    again.removeObjectForKey("name");
    QVERIFY(again.synchronize());
    UserDefaults::resetStandard();
    QVERIFY(UserDefaults::standard().stringForKey("name").isNull());
}

void TestUserDefaults::pathFollowsXdgConfigHome()
{
    TempHome home;
    QCOMPARE(UserDefaults::defaultPath(), home.path() + "/.config/Olvane/Olvane.plist");
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(UserDefaults::defaultPath(), home.path() + "/.config/Olvane/Olvane.plist");
}

void TestUserDefaults::unreadableFileIsSetAside()
{
    TempHome home;
    const QByteArray broken = "<?xml version=\"1.0\"?><plist><dict><key>fontSize</key>";
    home.writeFile(".config/Olvane/Olvane.plist", broken);
    UserDefaults::resetStandard();
    UserDefaults& defaults = UserDefaults::standard();

    QVERIFY(defaults.keys().isEmpty());
    QVERIFY(!defaults.movedAsideTo().isEmpty());
    QVERIFY(!QFile::exists(defaults.path()));
    defaults.setInteger(3, "waitTimeForPubmed");
    QVERIFY(defaults.synchronize());

    QFile aside(defaults.movedAsideTo());
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), broken);
}

void TestUserDefaults::unwritableFolderIsReported()
{
    TempHome home;
    // A plain file where the Olvane configuration folder should be.
    home.writeFile(".config/Olvane", "not a folder");
    UserDefaults::resetStandard();
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(true, "x");
    QVERIFY(!defaults.synchronize());
    QVERIFY(!defaults.lastError().isEmpty());
}

QTEST_GUILESS_MAIN(TestUserDefaults)
#include "tst_userdefaults.moc"
