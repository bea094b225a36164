#include "TempHome.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class TestPropertyList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void readsForeignLayout();
    void rejectsBadDocuments_data();
    void rejectsBadDocuments();
    void writesThroughTemporaryFile();
    void failedWriteKeepsOldFile();
    void unwritablePathIsReported();
};

void TestPropertyList::roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    auto same = [](const char* name, const QVariant& v) { QTest::newRow(name) << v << v; };
    same("markup characters", QString("a < b && c > d; it's \"quoted\" ]]>"));
    same("non-ASCII", QString::fromUtf8("Müller, Ł; α-synuclein 中文 😀"));
    same("empty string", QString(""));
    same("blanks and line breaks kept", QString("  lead\n\ttab  trail  "));
    same("integer", QVariant(qint64(-9007199254740993)));
    same("real", QVariant(3.25));
    same("true", QVariant(true));
    same("false", QVariant(false));
    same("date", QVariant(QDateTime(QDate(2006, 3, 15), QTime(5, 22, 1), Qt::UTC)));
    same("data with NUL bytes", QVariant(QByteArray("\0\1\2\xff binary", 11)));
    same("empty array", QVariant(QVariantList()));
    same("empty dict", QVariant(QVariantMap()));
    QVariantMap key{{"type", "pmid"}, {"ID", "123"}};
    QVariantMap tree{
        {"journalList",
         QVariantMap{
             {"N", QVariantMap{{"Nature", QVariantMap{{"2003", QVariantList{key, key}}}}}}}},
        {"name", "Library"},
        {"flags", QVariantList{true, qint64(1), 2.5, QString("x")}},
        {"key with <&> in it", QString("v")}};
    same("nested dictionaries and arrays", tree);
    // Guards the fault: a control character written raw made the whole file unreadable.
    QTest::newRow("control characters become U+FFFD")
        << QVariant(QString("bell\x07 here"))
        << QVariant(QString::fromUtf8("bell\xEF\xBF\xBD here"));
    // Guards the fault: XML parsers turn a written CR into LF unless it is escaped.
    same("carriage return", QString("one\r\ntwo\rthree"));
}

void TestPropertyList::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    QString error;
    const auto back = PropertyList::fromData(PropertyList::toData(value), &error);
    QVERIFY2(back.has_value(), qPrintable(error));
    QCOMPARE(*back, expected);
}

void TestPropertyList::readsForeignLayout()
{
    // As another writer lays it out: indentation, comments, an integer for a
    // count and a date in Z form.
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
  <!-- written elsewhere -->
  <dict>
    <key>count</key>   <integer> 42 </integer>
    <key>when</key><date>2024-01-02T03:04:05Z</date>
    <key>blob</key><data>
      AAEC
    </data>
    <key>none</key><string/>
  </dict>
</plist>
)";
    const auto value = PropertyList::fromData(xml);
    QVERIFY(value.has_value());
    const QVariantMap map = value->toMap();
    QCOMPARE(map.value("count").toLongLong(), 42);
    QCOMPARE(map.value("when").toDateTime(), QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC));
    QCOMPARE(map.value("blob").toByteArray(), QByteArray("\0\1\2", 3));
    QCOMPARE(map.value("none").toString(), QString(""));
}

void TestPropertyList::rejectsBadDocuments_data()
{
    QTest::addColumn<QByteArray>("xml");
    const QByteArray head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 17);
    QTest::newRow("truncated") << head + "<dict><key>name</key><string>Libr";
    QTest::newRow("not a plist") << QByteArray("<html><body>404</body></html>");
    QTest::newRow("key without value") << head + "<dict><key>a</key></dict></plist>";
    QTest::newRow("value without key") << head + "<dict><string>a</string></dict></plist>";
    QTest::newRow("bad integer") << head + "<integer>twelve</integer></plist>";
    QTest::newRow("unknown element") << head + "<set/></plist>";
    QTest::newRow("two values") << head + "<string/><string/></plist>";
    QTest::newRow("nested too deeply")
        << head + QByteArray("<array>").repeated(100000) + "</plist>";
}

void TestPropertyList::rejectsBadDocuments()
{
    QFETCH(QByteArray, xml);
    QString error;
    QVERIFY(!PropertyList::fromData(xml, &error).has_value());
    QVERIFY(!error.isEmpty());
}

void TestPropertyList::writesThroughTemporaryFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("library.dat");
    QVERIFY(PropertyList::writeFile(path, QVariantMap{{"name", "Library"}}));
    QVERIFY(PropertyList::writeFile(path, QVariantMap{{"name", "Second"}}));
    QCOMPARE(PropertyList::readFile(path)->toMap().value("name").toString(), QString("Second"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"library.dat"});
}

void TestPropertyList::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("favorite.dat");
    QVERIFY(PropertyList::writeFile(path, QVariantMap{{"name", "Favorite"}}));
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    // Let the disk "fill up" part-way through the new file: writes past 4 KiB fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written =
        PropertyList::writeFile(path, QVariantMap{{"big", QString(100000, QChar('x'))}}, &error);
    setrlimit(RLIMIT_FSIZE, &old);

    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"favorite.dat"});
}

void TestPropertyList::unwritablePathIsReported()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("notafolder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    QVERIFY(
        !PropertyList::writeFile(dir.filePath("notafolder/library.dat"), QVariantMap(), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestPropertyList)
#include "tst_propertylist.moc"
