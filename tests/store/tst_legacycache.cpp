// Copying the old per-article cache records into the article table.

#include "ScriptedPanels.h"
#include "StoreTestSupport.h"
#include "TempHome.h"
#include "platform/CalendarDate.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "store/accessDB.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const QString positivismXml = QStringLiteral("ncbi/metapub__31789841.xml");

QString positivismAbstract()
{
    PubMedXML reader;
    reader.setData(fixtureBytes(positivismXml));
    return reader.abstract();
}

// A home whose preference folder holds the old "cache" folder, which is also
// the cache folder of the XML files (the default layout).
struct LegacyHome
{
    TempHome home;
    QString preferenceDir = makePreferenceDir(home);
    QString cacheDir = preferenceDir + "/cache";

    LegacyHome() { UserDefaults::standard().setObject(cacheDir, "cacheDir"); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        return home.writeFile("Documents/Olvane/cache/" + name, bytes);
    }
};

QByteArray plist(const QVariant& value)
{
    return PropertyList::toData(value);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class LegacyCacheTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsOneRecord_data();
    void convertsOneRecord();
    void convertsFolderAndLaterImportsFollow();
};

void LegacyCacheTest::convertsOneRecord_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("withXml");
    // OlvaneID, mark, author, title, journal, year, volume, number, pages,
    // idtype, id, filepath, memo; empty when the record is skipped.
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QDateTime>("importDate"); // invalid: the time of the conversion
    QTest::addColumn<QDateTime>("lastCheckDate");
    QTest::addColumn<QString>("logged");

    const QDateTime imported(QDate(2006, 3, 15), QTime(14, 22, 1), Qt::UTC);
    const QDateTime checked(QDate(2007, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const QDateTime now;

    QTest::newRow("numbers as numbers, apostrophes, abstract from XML")
        << "17.dat"
        << plist(QVariantMap{{"uniqueID", qint64(17)},
                             {"mark", "read"},
                             {"authors", "O'Brien, K, Smith, JA"},
                             {"title", "Patients' views"},
                             {"journal", "J Test"},
                             {"year", qint64(2003)},
                             {"volume", "12"},
                             {"number", "3"},
                             {"pages", "1-9"},
                             {"pmid", "17"},
                             {"PDFfile", "/papers/O'Brien's 17.pdf"},
                             {"memo", "it's"},
                             {"importDate", imported},
                             {"lastCheckDate", checked}})
        << true
        << QStringList{"17",
                       "read",
                       "O'Brien, K, Smith, JA",
                       "Patients' views",
                       "J Test",
                       "2003",
                       "12",
                       "3",
                       "1-9",
                       "pmid",
                       "17",
                       "/papers/O'Brien's 17.pdf",
                       "it's"}
        << imported << checked << QString();
    QTest::newRow("numbers as text, no XML")
        << "40.dat"
        << plist(QVariantMap{{"uniqueID", "40"},
                             {"mark", "important"},
                             {"title", "T"},
                             {"year", "2003"},
                             {"pmid", "40"},
                             {"PDFfile", "/papers/40.pdf"}})
        << false << QStringList{"40", "important",      "", "T", "", "2003", "", "", "", "pmid",
                                "40", "/papers/40.pdf", ""}
        << now << now << QString();
    QTest::newRow("absent values")
        << "5.dat" << plist(QVariantMap{{"uniqueID", qint64(5)}, {"pmid", "5"}}) << false
        << QStringList{"5", "none", "", "", "", "0", "", "", "", "pmid", "5", "none", ""} << now
        << now << QString();
    QTest::newRow("PMID as a number")
        << "12.dat" << plist(QVariantMap{{"uniqueID", qint64(12)}, {"pmid", qint64(12)}}) << false
        << QStringList{"12", "none", "", "", "", "0", "", "", "", "pmid", "12", "none", ""} << now
        << now << QString();
    QTest::newRow("no PMID in the record: the file's name")
        << "8.dat" << plist(QVariantMap{{"uniqueID", qint64(8)}, {"title", "t"}}) << false
        << QStringList{"8", "none", "", "t", "", "0", "", "", "", "pmid", "8", "none", ""} << now
        << now << QString();
    QTest::newRow("no number: the next free one")
        << "3.dat" << plist(QVariantMap{{"pmid", "3"}, {"year", "1999 (Spring)"}}) << false
        << QStringList{"1", "none", "", "", "", "1999", "", "", "", "pmid", "3", "none", ""} << now
        << now << QString();
    QTest::newRow("empty PMID: skipped")
        << "9.dat" << plist(QVariantMap{{"uniqueID", qint64(9)}, {"pmid", ""}}) << false
        << QStringList{} << now << now << "9.dat";
    QTest::newRow("not a dictionary: skipped") << "7.dat" << plist(QVariantList{"7", "read"})
                                               << false << QStringList{} << now << now << "7.dat";
    QTest::newRow("not a property list: skipped")
        << "6.dat" << QByteArray("garbage\n") << false << QStringList{} << now << now << "6.dat";
}

void LegacyCacheTest::convertsOneRecord()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, withXml);
    QFETCH(QStringList, expected);
    QFETCH(QDateTime, importDate);
    QFETCH(QDateTime, lastCheckDate);
    QFETCH(QString, logged);

    LegacyHome legacy;
    accessDB store(legacy.preferenceDir);
    legacy.write(fileName, content);
    const QString pmid = QFileInfo(fileName).baseName();
    if (withXml)
        legacy.write(pmid + ".xml", fixtureBytes(positivismXml));

    LogCapture log;
    const QDateTime before = CalendarDate::now();
    store.convertOldCacheFileToDB();
    const QDateTime after = CalendarDate::now();

    const auto rows = rawRows(store.databasePath());
    if (expected.isEmpty()) {
        QCOMPARE(rows.size(), 0);
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines.first().contains(logged), qPrintable(log.lines.first()));
        return;
    }
    QVERIFY2(log.lines.isEmpty(), qPrintable(log.lines.join('\n')));
    QCOMPARE(rows.size(), 1);
    const RawRow& row = rows.at(0);
    for (int column = 0; column < expected.size(); ++column)
        QCOMPARE(row.value(articleColumns.at(column)), expected.at(column));
    QCOMPARE(row.value("abstract"), withXml ? positivismAbstract() : QString(""));
    QCOMPARE(row.value("typeof(abstract)"), QString("text"));

    const std::pair<const char*, QDateTime> dates[] = {{"submitdate", importDate},
                                                       {"lastaccess", lastCheckDate}};
    for (const auto& [column, date] : dates) {
        const QDateTime stored = CalendarDate::fromDescription(row.value(column));
        QVERIFY2(stored.isValid(), qPrintable(row.value(column)));
        if (date.isValid())
            QCOMPARE(stored.toUTC(), date.toUTC());
        else
            QVERIFY(stored >= before && stored <= after);
    }
}

void LegacyCacheTest::convertsFolderAndLaterImportsFollow()
{
    LegacyHome legacy;
    accessDB store(legacy.preferenceDir);
    LogCapture log;
    store.convertOldCacheFileToDB(); // no cache folder yet
    store.insertArticleInfoFromOldFile(QString());
    store.insertArticleInfoFromOldFile("404");
    QCOMPARE(rawCount(store.databasePath()), 0);

    QStringList files;
    for (int number : {17, 40, 23})
        files << legacy.write(QString::number(number) + ".dat",
                              plist(QVariantMap{{"uniqueID", QString::number(number)},
                                                {"pmid", QString::number(number)}}));
    files << legacy.write("31789841.xml", fixtureBytes(positivismXml));
    files << legacy.write("notes.txt", "not a record");
    QHash<QString, QByteArray> bytes;
    QHash<QString, QDateTime> times;
    for (const QString& path : files) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2004, 5, 6), QTime(7, 8, 9)),
                                 QFileDevice::FileModificationTime));
        bytes.insert(path, fileBytes(path));
        times.insert(path, QFileInfo(path).lastModified());
    }

    store.convertOldCacheFileToDB();
    QVERIFY2(log.lines.isEmpty(), qPrintable(log.lines.join('\n')));
    QStringList numbers;
    for (const RawRow& row : rawRows(store.databasePath()))
        numbers << row.value("OlvaneID") + ":" + row.value("id");
    numbers.sort();
    QCOMPARE(numbers, QStringList({"17:17", "23:23", "40:40"}));
    QCOMPARE(store.currentUniqueID(), quint64(40));

    PubMedXML reader;
    QVERIFY(reader.openFile("31789841", legacy.cacheDir));
    QVERIFY(store.open());
    store.insertArtilceInfoIntoDB(reader, "none", "31789841");
    QVERIFY(store.close());
    const auto imported = rawRows(store.databasePath(), "id = ?", {"31789841"});
    QCOMPARE(imported.size(), 1);
    QCOMPARE(imported.at(0).value("OlvaneID"), QString("41"));

    for (const QString& path : files) {
        QCOMPARE(fileBytes(path), bytes.value(path));
        QCOMPARE(QFileInfo(path).lastModified(), times.value(path));
    }
}

QTEST_GUILESS_MAIN(LegacyCacheTest)
#include "tst_legacycache.moc"
