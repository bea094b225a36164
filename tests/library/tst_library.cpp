#include "LibraryTestSupport.h"
#include "ScriptedPanels.h"
#include "library/LibraryFile.h"
#include "library/PMIDLibrary.h"
#include "platform/PropertyList.h"
#include "store/accessDB.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QTest>

namespace {

const QString libraryDat = QStringLiteral("library.dat");
const QString librariesPref = QStringLiteral("libraries.pref");

void insertUserArticle(accessDB& db, const QString& id, const QString& authors,
                       const QString& journal, const QString& year)
{
    UserArticleEntry entry;
    entry.uniqueID = id;
    entry.authors = authors;
    entry.title = "Title " + id;
    entry.journal = journal;
    entry.year = year;
    entry.type = "User";
    entry.id = id;
    entry.PDFpath = "none";
    db.open();
    db.insertUserArticleIntoDB(entry);
    db.close();
}

// Inserts the article and files it as the import does.
void addUserArticle(PMIDLibrary& library, const QString& id, const QStringList& authors,
                    const QString& journal, const QString& year)
{
    insertUserArticle(library.DB(), id, authors.join(", "), journal, year);
    library.updateJournalList(journal, "User", id, year);
    library.updateAuthorList(authors, "User", id, year);
}

// An old per-article cache record, as the earlier version kept them.
void writeOldCacheRecord(const PreferenceFolder& folder, const QString& pmid)
{
    QDir().mkpath(folder.path("cache"));
    const QVariantMap record{{"uniqueID", qint64(17)},
                             {"mark", "read"},
                             {"authors", "Smith, JA"},
                             {"title", "Old"},
                             {"journal", "Nature"},
                             {"year", qint64(2003)},
                             {"volume", "1"},
                             {"number", "2"},
                             {"pages", "3-4"},
                             {"pmid", pmid},
                             {"PDFfile", "none"},
                             {"memo", ""},
                             {"importDate", QDateTime::currentDateTimeUtc()},
                             {"lastCheckDate", QDateTime::currentDateTimeUtc()}};
    QVERIFY(PropertyList::writeFile(folder.path("cache/" + pmid + ".dat"), record));
}

QVariantMap yearsOf(const QString& year, const QVariantList& pmids)
{
    return QVariantMap{{year, pmids}};
}

// A "libraries.pref" with journals named lowercase and by a digit, one
// author, the unread element 1 and two old lists.
QVariantList oldLibraries()
{
    const QVariantMap trees{
        {"journalList", QVariantMap{{"Nature", yearsOf("2003", {"1", "2"})},
                                    {"nature", yearsOf("2001", {"3"})},
                                    {"3 Biotech", yearsOf("2010", {"4"})}}},
        {"authorList",
         QVariantMap{{"S", QVariantMap{{"Smith, JA", yearsOf("2003", {"1", "2"})}}}}}};
    return {trees, QVariantMap{{"unused", "x"}},
            QVariantMap{{"LibraryName", "Reading"}, {"Articles", QVariantList{"1"}}},
            QVariantMap{{"LibraryName", "Later"}, {"Articles", QVariantList{"2", "4"}}}};
}

QVariant bytesOf(const QVariant& plist)
{
    return PropertyList::toData(plist);
}

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshStartWritesEmptyLibrary();
    void filing_data();
    void filing();
    void articlesUnderSelection_data();
    void articlesUnderSelection();
    void deleteArticlePrunesRewritesAndMarksRemoved();
    void deletingAnArticleTheStoreLacksChangesNothing();
    void libraryRowFollowsDisplayOfLibrary_data();
    void libraryRowFollowsDisplayOfLibrary();
    void convertsLibrariesPrefOnce();
    void oldCacheIsConvertedOnlyOnceTheLibraryIsWritten();
    void hostileLibrariesPrefConvertsWhatItCan_data();
    void hostileLibrariesPrefConvertsWhatItCan();
    void unreadableLibraryFileIsSetAside_data();
    void unreadableLibraryFileIsSetAside();
    void unmovableLibraryFileIsNeverOverwritten();
    void writeFollowsThePreferenceFolder();
};

void TestLibrary::freshStartWritesEmptyLibrary()
{
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    PMIDLibrary library;

    const QVariantMap expected{{"name", "Library"},
                               {"type", "library"},
                               {"journalList", QVariantMap()},
                               {"authorList", QVariantMap()}};
    QCOMPARE(PropertyList::readFile(folder.path(libraryDat)).value_or(QVariant()),
             QVariant(expected));
    QCOMPARE(library.libraryName(), QString("Library"));
    QVERIFY(panels->alerts.isEmpty());
}

void TestLibrary::filing_data()
{
    // Each filing: "J|journal|type|ID|year" or "A|author;author|type|ID|year".
    QTest::addColumn<QStringList>("filings");
    QTest::addColumn<QStringList>("journals");
    QTest::addColumn<QStringList>("authors");

    QTest::newRow("same PMID twice under one journal and year")
        << QStringList{"J|Nature|pmid|1|2003", "J|Nature|pmid|1|2003"}
        << QStringList{"N/Nature/2003: pmid 1"} << QStringList{};
    QTest::newRow("initials: lowercase, digit, non-ASCII; names keep their case")
        << QStringList{"J|nature|pmid|1|2003", "J|Nature|pmid|2|2003", "J|3 Biotech|pmid|3|2010",
                       QString::fromUtf8("J|ärzteblatt|pmid|4|2001")}
        << QStringList{"3/3 Biotech/2010: pmid 3", "N/Nature/2003: pmid 2", "N/nature/2003: pmid 1",
                       QString::fromUtf8("Ä/ärzteblatt/2001: pmid 4")}
        << QStringList{};
    QTest::newRow("a user article with a listed PMID's ID adds nothing to that year")
        << QStringList{"J|Nature|pmid|5|2003", "J|Nature|User|5|2003", "J|Nature|User|5|2004"}
        << QStringList{"N/Nature/2003: pmid 5", "N/Nature/2004: User 5"} << QStringList{};
    QTest::newRow("keys keep their filing order")
        << QStringList{"J|Nature|pmid|9|2003", "J|Nature|pmid|1|2003"}
        << QStringList{"N/Nature/2003: pmid 9, pmid 1"} << QStringList{};
    QTest::newRow("every author, each once")
        << QStringList{"A|Smith, JA;Sato, K;Doe, B|pmid|1|2003", "A|Sato, K|pmid|1|2003"}
        << QStringList{}
        << QStringList{"D/Doe, B/2003: pmid 1", "S/Sato, K/2003: pmid 1",
                       "S/Smith, JA/2003: pmid 1"};
    QTest::newRow("an article without authors is filed nowhere")
        << QStringList{"A||pmid|1|2003"} << QStringList{} << QStringList{};
    QTest::newRow("empty journal and author names are not filed")
        << QStringList{"J||pmid|1|2003", "A|;Smith, JA|pmid|1|2003"} << QStringList{}
        << QStringList{"S/Smith, JA/2003: pmid 1"};
}

void TestLibrary::filing()
{
    QFETCH(QStringList, filings);
    PreferenceFolder folder;
    PMIDLibrary library;
    for (const QString& filing : filings) {
        const QStringList f = filing.split('|');
        if (f[0] == "J")
            library.updateJournalList(f[1], f[2], f[3], f[4]);
        else
            library.updateAuthorList(f[1].isEmpty() ? QStringList() : f[1].split(';'), f[2], f[3],
                                     f[4]);
    }
    QTEST(linesOf(library.journalList()), "journals");
    QTEST(linesOf(library.authorList()), "authors");
}

void TestLibrary::articlesUnderSelection_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QVariant>("initial"); // an invalid QVariant: no selection
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("year");
    QTest::addColumn<QStringList>("ids");

    const QVariant none;
    QTest::newRow("year") << "authorList" << QVariant("S") << QVariant("Smith, JA")
                          << QVariant("2004") << QStringList{"3"};
    QTest::newRow("name: its years in order")
        << "authorList" << QVariant("S") << QVariant("Smith, JA") << none << QStringList{"1", "3"};
    QTest::newRow("initial: every name, duplicates kept")
        << "authorList" << QVariant("S") << none << none << QStringList{"1", "1", "3"};
    QTest::newRow("journal initial")
        << "journalList" << QVariant("N") << none << none << QStringList{"1", "2", "3"};
    QTest::newRow("unknown initial")
        << "journalList" << QVariant("Q") << none << none << QStringList{};
    QTest::newRow("unknown name") << "journalList" << QVariant("N") << QVariant("Cell") << none
                                  << QStringList{};
    QTest::newRow("unknown year") << "journalList" << QVariant("N") << QVariant("Nature")
                                  << QVariant("1999") << QStringList{};
    QTest::newRow("nothing selected") << "journalList" << none << none << none << QStringList{};
    QTest::newRow("year without a name")
        << "journalList" << QVariant("N") << none << QVariant("2003") << QStringList{};
    QTest::newRow("unknown list") << "favoriteList" << QVariant("N") << none << none
                                  << QStringList{};
}

void TestLibrary::articlesUnderSelection()
{
    QFETCH(QString, list);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, name);
    QFETCH(QVariant, year);
    PreferenceFolder folder;
    PMIDLibrary library;
    library.updateJournalList("Nature", "pmid", "1", "2003");
    library.updateJournalList("Nature", "pmid", "2", "2003");
    library.updateJournalList("Neuron", "pmid", "3", "2004");
    library.updateAuthorList({"Smith, JA", "Sato, K"}, "pmid", "1", "2003");
    library.updateAuthorList({"Smith, JA"}, "pmid", "3", "2004");

    auto optional = [](const QVariant& v) {
        return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
    };
    const BrowserSelection selection{optional(initial), optional(name), optional(year)};
    QStringList ids;
    for (const ArticleKey& key : library.articles(selection, list))
        ids.append(key.ID);
    QTEST(ids, "ids");
}

void TestLibrary::deleteArticlePrunesRewritesAndMarksRemoved()
{
    PreferenceFolder folder;
    PMIDLibrary library;
    addUserArticle(library, "1", {"Smith, JA", "Sato, K"}, "Nature", "2003");
    addUserArticle(library, "2", {"Sato, K"}, "Neuron", "2004");
    addUserArticle(library, "3", {"Zed, Q"}, "Nature", "2005");
    const ArticleKey first{"User", "1"};
    QCOMPARE(library.authors(first), QStringList({"Smith, JA", "Sato, K"}));

    library.deleteArticle(first);
    QCOMPARE(linesOf(library.journalList()),
             QStringList({"N/Nature/2005: User 3", "N/Neuron/2004: User 2"}));
    QCOMPARE(linesOf(library.authorList()),
             QStringList({"S/Sato, K/2004: User 2", "Z/Zed, Q/2005: User 3"}));
    // The file on disk was rewritten at once (filing alone never writes it).
    QCOMPARE(fileLines(folder.path(libraryDat)), linesOf(library.library()));
    QVERIFY(!library.DB().haveArticle(first));
    QVERIFY(library.DB().haveArticle(ArticleKey{"deleted_User", "1"}));

    // The last articles of a journal and of an initial take their entries along.
    library.deleteArticle(ArticleKey{"User", "3"});
    QCOMPARE(linesOf(library.journalList()), QStringList({"N/Neuron/2004: User 2"}));
    library.deleteArticle(ArticleKey{"User", "2"});
    QVERIFY(library.journalList().isEmpty());
    QVERIFY(library.authorList().isEmpty());
    QCOMPARE(fileLines(folder.path(libraryDat)), linesOf(library.library()));
    QCOMPARE(library.DB().numberOfAllArticles(), qint64(0));
}

void TestLibrary::deletingAnArticleTheStoreLacksChangesNothing()
{
    PreferenceFolder folder;
    LogCapture log;
    PMIDLibrary library;
    // Filed in the trees but never stored.
    library.updateJournalList("Nature", "pmid", "7", "2003");
    addUserArticle(library, "1", {"Smith, JA"}, "Nature", "2003");
    const LibraryRecord before = library.library();
    QVERIFY(QFile::remove(folder.path(libraryDat)));

    library.deleteArticle(pmid("7"));
    QCOMPARE(library.library(), before);
    QVERIFY2(!QFile::exists(folder.path(libraryDat)), "the library file was written");
    QCOMPARE(library.DB().numberOfAllArticles(), qint64(1));
    QVERIFY(log.lines.filter("pmid 7").size() == 1);
}

void TestLibrary::libraryRowFollowsDisplayOfLibrary_data()
{
    QTest::addColumn<QVariant>("display");
    QTest::addColumn<int>("count");
    QTest::newRow("All in Library") << QVariant("All in Library") << 120;
    QTest::newRow("Recent 100 Articles") << QVariant("Recent 100 Articles") << 100;
    QTest::newRow("absent") << QVariant() << 100;
}

void TestLibrary::libraryRowFollowsDisplayOfLibrary()
{
    QFETCH(QVariant, display);
    PreferenceFolder folder;
    if (display.isValid())
        UserDefaults::standard().setObject(display, "DisplayOfLibrary");
    PMIDLibrary library;
    library.DB().open();
    for (int i = 1; i <= 120; ++i) {
        UserArticleEntry entry;
        entry.uniqueID = entry.id = QString::number(i);
        entry.type = "User";
        entry.PDFpath = "none";
        library.DB().insertUserArticleIntoDB(entry);
    }
    library.DB().close();
    QTEST(int(library.articlesInLibraries().size()), "count");
}

void TestLibrary::convertsLibrariesPrefOnce()
{
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), oldLibraries()));
    const QByteArray oldBytes = folder.bytes(librariesPref);

    LibraryRecord converted;
    {
        PMIDLibrary library;
        QCOMPARE(linesOf(library.journalList()),
                 QStringList({"3/3 Biotech/2010: pmid 4", "N/Nature/2003: pmid 1, pmid 2",
                              "N/nature/2001: pmid 3"}));
        QCOMPARE(linesOf(library.authorList()), QStringList({"S/Smith, JA/2003: pmid 1, pmid 2"}));
        QCOMPARE(library.libraryName(), QString("Library"));
        QCOMPARE(fileLines(folder.path(libraryDat)), linesOf(library.library()));
        converted = library.library();
    }
    QCOMPARE(folder.bytes(librariesPref), oldBytes);

    // Once library.dat exists the old file is not read again.
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), QVariantList{QVariantMap()}));
    PMIDLibrary again;
    QCOMPARE(again.library(), converted);
    QVERIFY(panels->alerts.isEmpty());
}

void TestLibrary::oldCacheIsConvertedOnlyOnceTheLibraryIsWritten()
{
    PreferenceFolder folder;
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), oldLibraries()));
    writeOldCacheRecord(folder, "1");

    // A library file that cannot be written (a link into a missing folder):
    // converting the cache now would copy it again at the next start.
    QVERIFY(QFile::link(folder.path("missing/library.dat"), folder.path(libraryDat)));
    {
        PMIDLibrary library;
        QCOMPARE(library.DB().numberOfAllArticles(), qint64(0));
    }
    QVERIFY(QFile::remove(folder.path(libraryDat)));
    {
        PMIDLibrary library;
        QCOMPARE(library.DB().numberOfAllArticles(), qint64(1));
        QVERIFY(library.DB().haveArticle(pmid("1")));
    }
    // The next start reads library.dat and converts nothing a second time.
    PMIDLibrary library;
    QCOMPARE(library.DB().numberOfAllArticles(), qint64(1));
}

void TestLibrary::hostileLibrariesPrefConvertsWhatItCan_data()
{
    QTest::addColumn<QVariant>("file"); // bytes, or a tree written as a property list
    QTest::addColumn<QStringList>("journals");
    QTest::addColumn<QStringList>("authors");

    const QVariantMap goodAuthors{{"S", QVariantMap{{"Smith, JA", yearsOf("2003", {"1"})}}}};
    const QStringList smith{"S/Smith, JA/2003: pmid 1"};

    QTest::newRow("not a property list")
        << QVariant(QByteArray("\x00\x01garbage", 9)) << QStringList{} << QStringList{};
    QTest::newRow("root is a dictionary")
        << bytesOf(QVariantMap{{"authorList", goodAuthors}}) << QStringList{} << QStringList{};
    QTest::newRow("empty root array") << bytesOf(QVariantList{}) << QStringList{} << QStringList{};
    QTest::newRow("element 0 is a string")
        << bytesOf(QVariantList{"x", "y", QVariantMap{{"LibraryName", "L"}}}) << QStringList{}
        << QStringList{};
    QTest::newRow("journalList missing")
        << bytesOf(QVariantList{QVariantMap{{"authorList", goodAuthors}}}) << QStringList{}
        << smith;
    QTest::newRow("journalList an array, authorList a string")
        << bytesOf(QVariantList{
               QVariantMap{{"journalList", QVariantList{"Nature"}}, {"authorList", "Smith"}}})
        << QStringList{} << QStringList{};
    QTest::newRow("levels of the wrong kind are skipped")
        << bytesOf(QVariantList{QVariantMap{
               {"journalList",
                QVariantMap{{"Nature", "2003"},
                            {"Cell", QVariantList{"1"}},
                            {"Neuron", QVariantMap{{"2004", "3"}, {"2005", QVariantList{"4"}}}}}},
               {"authorList", QVariantMap{{"A", "Abe"},
                                          {"B", QVariantMap{{"Bo, C", QVariantList{"1"}}}},
                                          {"S", goodAuthors["S"]}}}}})
        << QStringList{"N/Neuron/2005: pmid 4"} << smith;
    QTest::newRow("year lists holding non-strings")
        << bytesOf(QVariantList{QVariantMap{
               {"journalList",
                QVariantMap{{"Nature", yearsOf("2003", {"1", qint64(2), QVariantMap(),
                                                        QVariantList{"5"}, true, "", 2.5})}}},
               {"authorList", goodAuthors}}})
        << QStringList{"N/Nature/2003: pmid 1, pmid 2"} << smith;
    QTest::newRow("an empty journal name")
        << bytesOf(QVariantList{
               QVariantMap{{"journalList", QVariantMap{{"", yearsOf("2003", {"1"})},
                                                       {"Nature", yearsOf("2003", {"2"})}}}}})
        << QStringList{"N/Nature/2003: pmid 2"} << QStringList{};
}

void TestLibrary::hostileLibrariesPrefConvertsWhatItCan()
{
    QFETCH(QVariant, file);
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    folder.write(librariesPref, file.toByteArray());

    PMIDLibrary library;
    QTEST(linesOf(library.journalList()), "journals");
    QTEST(linesOf(library.authorList()), "authors");
    QCOMPARE(fileLines(folder.path(libraryDat)), linesOf(library.library()));
    QCOMPARE(folder.bytes(librariesPref), file.toByteArray());
}

void TestLibrary::unreadableLibraryFileIsSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    LibraryRecord record;
    record.journalList["N"]["Nature"]["2003"] = {pmid("1")};
    const QByteArray good = LibraryFile::toData(record);
    QTest::newRow("garbage") << QByteArray("not a library\n\x01\x02", 16);
    QTest::newRow("root is an array") << PropertyList::toData(QVariantList{variantOf(record)});
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("empty file") << QByteArray();
}

void TestLibrary::unreadableLibraryFileIsSetAside()
{
    QFETCH(QByteArray, bytes);
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    LogCapture log;
    const QString path = folder.write(libraryDat, bytes);
    // Present but never to be used in this case: either would bring old
    // articles back a second time.
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), oldLibraries()));
    writeOldCacheRecord(folder, "1");

    PMIDLibrary library;
    const QStringList aside = folder.setAside(libraryDat);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(folder.bytes(aside.first()), bytes);
    QCOMPARE(panels->alerts.size(), 1);
    QVERIFY(panels->alerts.first().informativeText.contains(path));
    QVERIFY(panels->alerts.first().informativeText.contains(folder.path(aside.first())));
    QCOMPARE(log.lines.filter(aside.first()).size(), 1);

    QCOMPARE(library.library(), LibraryRecord{});
    QCOMPARE(library.DB().numberOfAllArticles(), qint64(0));
    library.updateJournalList("Cell", "pmid", "9", "2020");
    QVERIFY(library.writeToFile());
    QCOMPARE(fileLines(path), linesOf(library.library()));
    QCOMPARE(panels->alerts.size(), 1);
}

void TestLibrary::unmovableLibraryFileIsNeverOverwritten()
{
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    const QByteArray bytes = "not a library";
    const QString path = folder.write(libraryDat, bytes);
    if (!setImmutable(path, true))
        QSKIP("this file system or user cannot make a file immutable");
    auto release = qScopeGuard([&] { setImmutable(path, false); });

    PMIDLibrary library;
    QVERIFY(setImmutable(path, false));
    QCOMPARE(panels->alerts.size(), 1);
    QVERIFY(panels->alerts.first().informativeText.contains("could not be moved"));
    QVERIFY(folder.setAside(libraryDat).isEmpty());

    // Writable again, but still not written over during this run.
    library.updateJournalList("Cell", "pmid", "9", "2020");
    QVERIFY(!library.writeToFile());
    QCOMPARE(folder.bytes(libraryDat), bytes);

    // A library file elsewhere is written as usual.
    const QString other = folder.home.path() + "/Elsewhere";
    QDir().mkpath(other);
    UserDefaults::standard().setObject(other, "preferenceDir");
    QVERIFY(library.writeToFile());
    QCOMPARE(fileLines(other + "/library.dat"), linesOf(library.library()));
}

void TestLibrary::writeFollowsThePreferenceFolder()
{
    PreferenceFolder folder;
    PMIDLibrary library;
    const QString other = folder.home.path() + "/Moved";
    QDir().mkpath(other);
    UserDefaults::standard().setObject(other, "preferenceDir");
    library.updateJournalList("Cell", "pmid", "9", "2020");

    QVERIFY(library.writeToFile());
    QCOMPARE(fileLines(other + "/library.dat"), linesOf(library.library()));
    QCOMPARE(fileLines(folder.path(libraryDat)), linesOf(LibraryRecord{}));
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
