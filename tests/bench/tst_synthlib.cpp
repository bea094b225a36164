// The synthetic library generator must write a real, consistent library: the
// benchmarks built on it measure nothing useful otherwise.
#include "SyntheticLibrary.h"
#include "TempHome.h"

#include "library/FavoriteFile.h"
#include "library/LibraryFile.h"
#include "platform/CalendarDate.h"
#include "pubmed/PubMedXML.h"
#include "store/accessDB.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

constexpr int articleCount = 300;
constexpr quint32 seed = 7;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below `folder`, by path relative to it.
QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QString keyText(const ArticleKey& key)
{
    return key.type + u' ' + key.ID;
}

// The keys of every year list of a tree, with where they were filed.
QList<std::pair<QString, ArticleKey>> keysOf(const IndexTree& tree)
{
    QList<std::pair<QString, ArticleKey>> keys;
    for (auto initial = tree.cbegin(); initial != tree.cend(); ++initial)
        for (auto name = initial->cbegin(); name != initial->cend(); ++name)
            for (auto year = name->cbegin(); year != name->cend(); ++year)
                for (const ArticleKey& key : *year)
                    keys.append({initial.key() + u'/' + name.key() + u'/' + year.key(), key});
    return keys;
}

bool isFiled(const IndexTree& tree, const QString& name, const QString& year, const ArticleKey& key)
{
    const auto keys = tree.value(IndexTrees::initialOf(name)).value(name).value(year);
    return keys.contains(key);
}

} // namespace

class tst_SyntheticLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void storeHoldsTheLiveArticles();
    void everyPubMedRowMatchesItsXmlFile();
    void libraryFileFilesExactlyTheLiveArticles();
    void favoritesReferenceLiveArticles();
    void namesIncludeHardCharacters_data();
    void namesIncludeHardCharacters();
    void importTimesSpreadOverYears();
    void sameSeedWritesIdenticalFiles();
    void refusesAFolderThatHoldsALibrary();

private:
    QString cacheDir() const { return preferenceDir + QStringLiteral("/cache"); }

    TempHome home;
    QString preferenceDir;
    SyntheticLibrary::Summary summary;
    std::unique_ptr<accessDB> store;
    QList<ArticleRecord> records; // every live article
    QSet<ArticleKey> liveKeys;
};

void tst_SyntheticLibrary::initTestCase()
{
    preferenceDir = home.defaultPreferenceDir();
    QString error;
    const auto made =
        SyntheticLibrary::generate(articleCount, preferenceDir, cacheDir(), seed, &error);
    QVERIFY2(made, qPrintable(error));
    summary = *made;
    store = std::make_unique<accessDB>(preferenceDir);
    records = store->articleInformationOfArticleIDs(store->allArticleIDs());
    for (const ArticleRecord& record : records)
        liveKeys.insert(record.key());
}

void tst_SyntheticLibrary::storeHoldsTheLiveArticles()
{
    QCOMPARE(summary.liveArticles, articleCount);
    QCOMPARE(store->numberOfAllArticles(), articleCount);
    QCOMPARE(records.size(), articleCount);
    QCOMPARE(liveKeys.size(), articleCount); // no article twice

    const qsizetype users = std::count_if(records.cbegin(), records.cend(), [](const auto& r) {
        return r.type == QStringLiteral("User");
    });
    QVERIFY(users > 0);
    QCOMPARE(users, summary.userArticles);

    // The cache keeps the files of removed articles, whose rows are marked.
    QVERIFY(summary.removedArticles > 0);
    int removed = 0;
    for (const QString& name : QDir(cacheDir()).entryList({"*.xml"}, QDir::Files)) {
        const QString pmid = name.chopped(4);
        if (liveKeys.contains(ArticleKey{"pmid", pmid}))
            continue;
        QVERIFY2(store->haveArticle(ArticleKey{"deleted_pmid", pmid}), qPrintable(name));
        ++removed;
    }
    QCOMPARE(removed, summary.removedArticles);
}

void tst_SyntheticLibrary::everyPubMedRowMatchesItsXmlFile()
{
    int checked = 0;
    for (const ArticleRecord& record : records) {
        if (record.type != QStringLiteral("pmid"))
            continue;
        const QByteArray file = bytesOf(cacheDir() + u'/' + record.ID + QStringLiteral(".xml"));
        // Laid out as the E-utilities client writes them.
        QVERIFY2(file.startsWith("<?xml "), qPrintable(record.ID));
        QVERIFY(file.contains("<!DOCTYPE PubmedArticleSet"));
        QVERIFY(file.contains("<PubmedArticleSet><PubmedArticle>"));
        QVERIFY(file.endsWith("</PubmedArticle>\n</PubmedArticleSet>\n"));

        PubMedXML reader;
        reader.setData(file);
        QVERIFY2(reader.isValid(), qPrintable(record.ID));
        QCOMPARE(reader.pubmed(), record.ID);
        QCOMPARE(reader.journal(), record.journal);
        QCOMPARE(reader.year(), record.year);
        QCOMPARE(reader.authorsAsString(), record.authors);
        QCOMPARE(reader.title(), record.title);
        ++checked;
    }
    QCOMPARE(checked, articleCount - summary.userArticles);
}

void tst_SyntheticLibrary::libraryFileFilesExactlyTheLiveArticles()
{
    QString error;
    const auto library = LibraryFile::readFile(preferenceDir + "/library.dat", &error);
    QVERIFY2(library, qPrintable(error));
    QCOMPARE(library->name, QStringLiteral("Library"));
    QCOMPARE(library->type, QStringLiteral("library"));

    for (const IndexTree* tree : {&library->journalList, &library->authorList}) {
        for (const auto& [place, key] : keysOf(*tree))
            QVERIFY2(liveKeys.contains(key), qPrintable(place + ": " + keyText(key)));
    }
    // Every live article under its journal, and under its first author as the
    // reader (PubMed) or the store (user articles) names it.
    for (const ArticleRecord& record : records) {
        QVERIFY2(isFiled(library->journalList, record.journal, record.year, record.key()),
                 qPrintable(keyText(record.key())));
        QString firstAuthor;
        if (record.type == QStringLiteral("pmid")) {
            PubMedXML reader;
            QVERIFY(reader.openFile(record.ID, cacheDir()));
            firstAuthor = reader.authors().value_or(QStringList()).value(0);
        } else {
            firstAuthor = accessDB::authorsArrayFromAuthorsString(record.authors).value(0);
        }
        if (!firstAuthor.isEmpty())
            QVERIFY2(isFiled(library->authorList, firstAuthor, record.year, record.key()),
                     qPrintable(keyText(record.key()) + " by " + firstAuthor));
    }
}

void tst_SyntheticLibrary::favoritesReferenceLiveArticles()
{
    QString error;
    const auto favorites = FavoriteFile::readFile(preferenceDir + "/favorite.dat", &error);
    QVERIFY2(favorites, qPrintable(error));
    QCOMPARE(favorites->favoriteList.size(), summary.favoriteLists);
    qsizetype listed = 0;
    for (const FavoriteList& list : favorites->favoriteList) {
        const QSet<ArticleKey> distinct(list.list.cbegin(), list.list.cend());
        QCOMPARE(distinct.size(), list.list.size());
        for (const ArticleKey& key : list.list)
            QVERIFY2(liveKeys.contains(key), qPrintable(list.name + ": " + keyText(key)));
        listed += list.list.size();
    }
    QVERIFY(listed > 0);
}

void tst_SyntheticLibrary::namesIncludeHardCharacters_data()
{
    QTest::addColumn<QString>("part");
    QTest::newRow("umlaut") << QStringLiteral("ü");
    QTest::newRow("L with stroke") << QStringLiteral("Ł");
    QTest::newRow("O with stroke") << QStringLiteral("Ø");
    QTest::newRow("apostrophe") << QStringLiteral("'");
}

void tst_SyntheticLibrary::namesIncludeHardCharacters()
{
    QFETCH(QString, part);
    const bool found = std::any_of(records.cbegin(), records.cend(), [&](const ArticleRecord& r) {
        return r.authors.contains(part);
    });
    QVERIFY(found);
}

void tst_SyntheticLibrary::importTimesSpreadOverYears()
{
    QDateTime first, last;
    QSet<QString> distinct;
    for (const ArticleRecord& record : records) {
        const QDateTime when = CalendarDate::fromDescription(record.submitDate);
        QVERIFY2(when.isValid(), qPrintable(record.submitDate));
        if (!first.isValid() || when < first)
            first = when;
        if (!last.isValid() || when > last)
            last = when;
        distinct.insert(record.submitDate);
    }
    QVERIFY(first.daysTo(last) > 365);
    QVERIFY(distinct.size() > articleCount / 2);

    // The recent list is the newest imports, newest first.
    QStringList dates;
    for (const ArticleRecord& record : records)
        dates.append(record.submitDate);
    std::sort(dates.begin(), dates.end(), std::greater<>());
    const QList<ArticleKey> recent = store->searchImportedRecentlyIDs();
    QCOMPARE(recent.size(), 100);
    const QList<ArticleRecord> newest = store->articleInformationOfArticleIDs({recent.first()});
    QCOMPARE(newest.value(0).submitDate, dates.first());

    // Some articles carry the marks and memos of a library in use.
    const auto marked = std::count_if(records.cbegin(), records.cend(), [](const auto& r) {
        return r.mark != QStringLiteral("none");
    });
    const auto noted = std::count_if(records.cbegin(), records.cend(),
                                     [](const auto& r) { return !r.memo.isEmpty(); });
    QVERIFY(marked > 0);
    QVERIFY(noted > 0);
}

void tst_SyntheticLibrary::sameSeedWritesIdenticalFiles()
{
    // Generated again into the same folder (file paths are stored in the
    // database), after the first library has been moved out of the way.
    const QString generated = home.path() + QStringLiteral("/first");
    store.reset();
    QVERIFY(QDir().rename(preferenceDir, generated));
    const auto again = SyntheticLibrary::generate(articleCount, preferenceDir, cacheDir(), seed);
    QVERIFY(again);

    const QStringList files = filesBelow(generated);
    QCOMPARE(filesBelow(preferenceDir), files);
    QVERIFY(files.contains("articles.db"));
    QVERIFY(files.size() > articleCount);
    for (const QString& file : files)
        QVERIFY2(bytesOf(generated + u'/' + file) == bytesOf(preferenceDir + u'/' + file),
                 qPrintable(file));

    // And another seed gives another library.
    const QString other = home.path() + QStringLiteral("/other");
    QVERIFY(SyntheticLibrary::generate(articleCount, other, other + "/cache", seed + 1));
    QVERIFY(bytesOf(other + "/library.dat") != bytesOf(preferenceDir + "/library.dat"));
    store = std::make_unique<accessDB>(preferenceDir);
}

void tst_SyntheticLibrary::refusesAFolderThatHoldsALibrary()
{
    const QByteArray before = bytesOf(preferenceDir + "/articles.db");
    QString error;
    QVERIFY(!SyntheticLibrary::generate(10, preferenceDir, cacheDir(), seed, &error));
    QVERIFY(error.contains("articles.db"));
    QCOMPARE(bytesOf(preferenceDir + "/articles.db"), before);
}

QTEST_GUILESS_MAIN(tst_SyntheticLibrary)
#include "tst_synthlib.moc"
