// The store's queries over generated libraries of 10,000 and 100,000
// articles, each against the sqlite3 shell running the equivalent statement on
// the same file in the same run; the memory held by 100,000 records; and the
// start-up work on the large library: reading and writing library.dat (against
// xmllint reading it) and the whole start-up of the application delegate.

#include "BenchHome.h"
#include "ChildNumber.h"
#include "Launch.h"
#include "Measurement.h"
#include "ReferenceCommand.h"
#include "ResidentMemory.h"
#include "SyntheticData.h"

#include "library/LibraryFile.h"
#include "platform/UserDefaults.h"
#include "store/accessDB.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

const QString searchWord = QStringLiteral("receptor");

const QStringList searchFlags = {
    QStringLiteral("searchAuthor"),   QStringLiteral("searchTitle"),
    QStringLiteral("searchAbstract"), QStringLiteral("searchMemo"),
    QStringLiteral("searchNumber"),   QStringLiteral("searchVolume"),
    QStringLiteral("searchPage"),     QStringLiteral("searchYear"),
    QStringLiteral("searchJournal"),
};

const QString live = QStringLiteral("WHERE NOT idtype LIKE ('delete%')");
const QString recordColumns = QStringLiteral(
    "SELECT OlvaneID,mark,author,title,journal,year,volume,number,pages,idtype,id,filepath,"
    "submitdate,memo FROM articles ");

// The library search with every flag on, as the store words it.
QString searchStatement(const QString& word)
{
    QString statement = QStringLiteral("SELECT id,idtype FROM articles ") + live +
                        QStringLiteral(" AND  ( id LIKE ('%%1%') ").arg(word);
    for (const char* column :
         {"author", "title", "abstract", "memo", "number", "volume", "pages", "year", "journal"})
        statement += QStringLiteral("OR %1 LIKE ('%%2%') ").arg(QLatin1StringView(column), word);
    return statement + QStringLiteral(" ) ");
}

// Every `step`-th key, `count` of them.
QList<ArticleKey> spreadKeys(const QList<ArticleKey>& all, int count)
{
    QList<ArticleKey> keys;
    const qsizetype step = std::max<qsizetype>(1, all.size() / count);
    for (qsizetype i = 0; i < all.size() && keys.size() < count; i += step)
        keys.append(all.at(i));
    return keys;
}

QString writeScript(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("bench_queries: cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

qsizetype lineCount(const std::optional<QByteArray>& output)
{
    return output ? output->count('\n') : -1;
}

QString expectSize(qsizetype got, qsizetype expected)
{
    return got == expected ? QString()
                           : QStringLiteral("%1 results, %2 expected").arg(got).arg(expected);
}

void setSearchDefaults()
{
    UserDefaults& defaults = UserDefaults::standard();
    for (const QString& flag : searchFlags)
        defaults.setBool(true, flag);
    defaults.setBool(false, QStringLiteral("isLimitDisplayArticle"));
    defaults.synchronize();
}

// Child mode: the growth of resident memory while the sorted query's records
// of the whole library are kept, in a fresh process so that nothing freed
// earlier is reused.
int recordsMemory(const QString& preferenceDir)
{
    accessDB store(preferenceDir);
    const QList<ArticleKey> all = store.allArticleIDs();
    QList<ArticleRecord> kept;
    store.setRecieverOfArticles([&](QList<ArticleRecord>& batch) {
        for (ArticleRecord& record : batch)
            kept.append(std::move(record));
    });
    const double before = residentMegabytes();
    store.searchFromIDs(all, {QStringLiteral("submitDate")}, QStringLiteral("ASC"));
    const double after = residentMegabytes();
    if (kept.size() != all.size() || all.isEmpty())
        return 1;
    std::printf("%f\n", after - before);
    return 0;
}

// The queries of one library size, and for the large one the start-up work.
class SizeBench
{
public:
    SizeBench(const SyntheticData& data, const QString& suffix)
        : data(data), suffix(suffix), store(data.preferenceDir), all(store.allArticleIDs()),
          databasePath(data.preferenceDir + QStringLiteral("/articles.db"))
    {
        store.setRecieverOfArticles([this](QList<ArticleRecord>& batch) {
            for (ArticleRecord& record : batch)
                kept.append(std::move(record));
        });
    }

    void addQueries(QList<Measurement>& list);
    void addStartup(QList<Measurement>& list, Launch& launch, const QString& homePreferenceDir);

private:
    QString named(const char* name) const { return QLatin1StringView(name) + suffix; }

    SyntheticData data;
    QString suffix;
    accessDB store;
    QList<ArticleKey> all;
    QString databasePath;
    QTemporaryDir scratch;

    QList<ArticleRecord> kept;
    std::optional<QList<ArticleKey>> found;
    QList<ArticleKey> keys;
    QStringList texts;
    QList<ArticleRecord> records;
    qint64 count = 0;
    qsizetype abstractChars = 0;
    std::optional<LibraryRecord> library;
};

void SizeBench::addQueries(QList<Measurement>& list)
{
    Measurement sorted;
    sorted.name = named("queries.sorted_all");
    sorted.prepare = [this] { kept = {}; };
    sorted.work = [this] {
        store.searchFromIDs(all, {QStringLiteral("submitDate")}, QStringLiteral("ASC"));
    };
    sorted.check = [this] {
        for (qsizetype i = 1; i < kept.size(); ++i) {
            if (kept.at(i - 1).submitDate > kept.at(i).submitDate)
                return QStringLiteral("not in submitDate order");
        }
        return expectSize(kept.size(), all.size());
    };
    sorted.reference = sqliteShell(databasePath, recordColumns + live +
                                                     QStringLiteral(" ORDER BY submitdate ASC"));
    list.append(sorted);

    const QString search = searchStatement(searchWord);
    const auto searchReference = sqliteShell(databasePath, search);
    const qsizetype matching = searchReference ? lineCount(searchReference->output()) : -1;
    std::fprintf(stderr, "bench_queries: \"%s\" matches %lld of %lld articles%s\n",
                 qPrintable(searchWord), qint64(matching), qint64(all.size()), qPrintable(suffix));
    Measurement searching;
    searching.name = named("queries.search_all_flags");
    searching.prepare = setSearchDefaults;
    searching.work = [this] { found = store.searchArticleIDs(searchWord); };
    searching.check = [this, matching] {
        if (!found || found->isEmpty())
            return QStringLiteral("nothing found");
        return matching < 0 ? QString() : expectSize(found->size(), matching);
    };
    searching.reference = searchReference;
    list.append(searching);

    Measurement recent;
    recent.name = named("queries.recent");
    recent.work = [this] { keys = store.searchImportedRecentlyIDs(); };
    recent.check = [this] { return expectSize(keys.size(), 100); };
    recent.reference = sqliteShell(databasePath, QStringLiteral("SELECT idtype,id FROM articles ") +
                                                     live + " ORDER BY submitdate DESC LIMIT 100");
    list.append(recent);

    const QString journalStatement = QStringLiteral("SELECT DISTINCT journal FROM articles ") +
                                     live + QStringLiteral(" ORDER BY journal ASC");
    const auto journalReference = sqliteShell(databasePath, journalStatement);
    const qsizetype journalCount = journalReference ? lineCount(journalReference->output()) : -1;
    Measurement journals;
    journals.name = named("queries.journals");
    journals.work = [this] { texts = store.journals(); };
    journals.check = [this, journalCount] {
        if (texts.isEmpty())
            return QStringLiteral("no journals");
        return journalCount < 0 ? QString() : expectSize(texts.size(), journalCount);
    };
    journals.reference = journalReference;
    list.append(journals);

    Measurement counting;
    counting.name = named("queries.count");
    counting.work = [this] { count = store.numberOfAllArticles(); };
    counting.check = [this] { return expectSize(count, all.size()); };
    counting.reference =
        sqliteShell(databasePath, QStringLiteral("SELECT count(*) FROM articles ") + live);
    list.append(counting);

    // The keys as a joined table: the statement of 1,000 OR-ed key
    // conditions the store's old form would be is deeper than SQLite allows.
    const QList<ArticleKey> some = spreadKeys(all, 1000);
    QStringList keyRows, abstractStatements;
    for (const ArticleKey& key : some) {
        keyRows.append(QStringLiteral("('%1','%2')").arg(key.type, key.ID));
        abstractStatements.append(
            QStringLiteral("SELECT abstract FROM articles WHERE idtype='%1' AND id='%2';")
                .arg(key.type, key.ID));
    }
    const auto infoReference = sqliteScript(
        databasePath,
        writeScript(scratch, QStringLiteral("info.sql"),
                    QStringLiteral("WITH keys(ktype, kid) AS (VALUES ") + keyRows.join(u',') +
                        QStringLiteral(") ") + QString(recordColumns).replace("articles", "keys") +
                        QStringLiteral("CROSS JOIN articles ON articles.idtype = keys.ktype AND "
                                       "articles.id = keys.kid;\n")));
    const qsizetype infoCount = infoReference ? lineCount(infoReference->output()) : -1;
    Measurement info;
    info.name = named("queries.info_1000");
    info.work = [this, some] { records = store.articleInformationOfArticleIDs(some); };
    info.check = [this, some, infoCount] {
        if (infoCount >= 0 && infoCount != some.size())
            return QStringLiteral("the reference finds %1 records").arg(infoCount);
        return expectSize(records.size(), some.size());
    };
    info.reference = infoReference;
    list.append(info);

    Measurement abstracts;
    abstracts.name = named("queries.abstract_1000");
    abstracts.prepare = [this] { abstractChars = 0; };
    abstracts.work = [this, some] {
        for (const ArticleKey& key : some)
            abstractChars += store.abstract(key).size();
    };
    abstracts.check = [this] {
        return abstractChars > 0 ? QString() : QStringLiteral("no abstract text");
    };
    abstracts.reference =
        sqliteScript(databasePath, writeScript(scratch, QStringLiteral("abstracts.sql"),
                                               abstractStatements.join(u'\n') + u'\n'));
    list.append(abstracts);
}

void SizeBench::addStartup(QList<Measurement>& list, Launch& launch,
                           const QString& homePreferenceDir)
{
    const QString libraryPath = data.preferenceDir + QStringLiteral("/library.dat");
    Measurement reading;
    reading.name = named("startup.read_library");
    reading.prepare = [this] { library.reset(); };
    reading.work = [this, libraryPath] { library = LibraryFile::readFile(libraryPath); };
    reading.check = [this] {
        return library && !library->authorList.isEmpty() ? QString()
                                                         : QStringLiteral("library.dat unread");
    };
    reading.reference = xmllint(libraryPath);
    list.append(reading);

    Measurement writing;
    writing.name = named("startup.write_library");
    const QString copy = scratch.filePath(QStringLiteral("library.dat"));
    writing.work = [this, copy] {
        if (library)
            LibraryFile::writeFile(copy, *library);
    };
    writing.check = [this, copy] {
        return library && QFileInfo(copy).size() > 0 ? QString()
                                                     : QStringLiteral("library.dat not written");
    };
    list.append(writing);

    // The program writes library.dat and favorite.dat at start-up: it starts
    // on copies, so the generated library stays as it was.
    for (const char* name : {"articles.db", "library.dat", "favorite.dat"}) {
        const QString file = QLatin1StringView(name);
        QFile::remove(homePreferenceDir + u'/' + file);
        if (!QFile::copy(data.preferenceDir + u'/' + file, homePreferenceDir + u'/' + file))
            qFatal("bench_queries: cannot copy %s", name);
    }
    Measurement launching;
    launching.name = named("startup.launch");
    auto problem = std::make_shared<QString>();
    launching.timedWork = [&launch, problem] {
        double seconds = 0;
        *problem = launch.once(
            [&seconds](const std::function<void()>& startUp) { seconds = secondsOf(startUp); });
        return seconds;
    };
    launching.check = [problem] { return *problem; };
    list.append(launching);
}

// A home folder of our own: the search flags and the launch's settings live
// in its user defaults.
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--records-memory") == 0) {
        QCoreApplication app(argc, argv);
        return recordsMemory(QString::fromLocal8Bit(argv[2]));
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchHome home;

    const SyntheticData small = syntheticLibrary(10000);
    const SyntheticData large = syntheticLibrary(100000);
    if (small.preferenceDir.isEmpty() || large.preferenceDir.isEmpty())
        return 1;

    {
        SizeBench bench(small, QStringLiteral("_10k"));
        QList<Measurement> list;
        bench.addQueries(list);
        if (!runInTurns(list, 5))
            return 1;
        reportAll(list);
    }

    const auto megabytes =
        numberFromChild({QStringLiteral("--records-memory"), large.preferenceDir});
    if (!megabytes) {
        std::fprintf(stderr, "bench_queries: the records memory measurement failed\n");
        return 1;
    }
    reportResult(QStringLiteral("queries.records_100k_mb"), *megabytes, QStringLiteral("MB"), 150);

    {
        home.nameFolders(large.cacheDir);
        Launch launch(app);
        SizeBench bench(large, QStringLiteral("_100k"));
        QList<Measurement> list;
        bench.addQueries(list);
        bench.addStartup(list, launch, home.preferenceDir());
        if (!runInTurns(list, 3))
            return 1;
        reportAll(list);
    }
    return 0;
}
