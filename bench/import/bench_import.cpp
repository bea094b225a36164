// Importing 1,000 PDFs named by PMID whose PubMed XML files are already in the
// cache folder: ten batches of 100 through addArticlesOfPDFFiles, each
// answered from the cache and completed inside one transaction bracket, with
// no pause between them ("waitTimeForPubmed" 0). Then the same work taken
// apart: reading the XML, copying the PDFs, filing in the trees, inserting
// the rows (committed once per batch) and writing the library file.

#include "BenchReport.h"

#include "library/PMIDLibrary.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "store/accessDB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int articleCount = 1000;
constexpr int batchSize = 100;
constexpr int runs = 3;
constexpr double targetMsPerArticle = 2.0;

// Real single-article replies and the PMID each carries; the articles are
// these, renumbered, in turn.
struct Source
{
    const char* file;
    const char* pmid;
};
const Source sources[] = {{"metapub__31789841.xml", "31789841"},
                          {"metapub__37167981.xml", "37167981"},
                          {"biopython__pubmed7.xml", "29963580"}};

QByteArray readFixture(const char* name)
{
    QFile file(QStringLiteral(OLVANE_SOURCE_DIR "/tests/fixtures/ncbi/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("bench_import: missing fixture %s", name);
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("bench_import: cannot write %s", qPrintable(path));
}

// A home of its own: the folders of one run, named in the user defaults.
struct Folders
{
    QString preferenceDir, paperFolder;
};

Folders freshFolders(const QString& root, int run, const QString& cacheDir)
{
    const Folders folders{root + QStringLiteral("/run%1/prefs").arg(run),
                          root + QStringLiteral("/run%1/paper").arg(run)};
    QDir().mkpath(folders.preferenceDir);
    QDir().mkpath(folders.paperFolder + "/User");
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(folders.preferenceDir, QStringLiteral("preferenceDir"));
    defaults.setObject(cacheDir, QStringLiteral("cacheDir"));
    defaults.setObject(folders.paperFolder, QStringLiteral("paperFolder"));
    defaults.setBool(true, QStringLiteral("copyPDFtoFolder"));
    defaults.setInteger(0, QStringLiteral("waitTimeForPubmed"));
    return folders;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The whole import; false unless every article arrived with its PDF.
bool importAll(const QStringList& pmids, const QString& incoming, const QString& paperFolder,
               double* seconds)
{
    PMIDLibrary library;
    int done = 0;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(
        &observer, QStringLiteral("importArticleDone"), [&](const Notification& n) {
            done += int(n.userInfo.value(QStringLiteral("success")).toStringList().size());
        });
    *seconds = secondsOf([&] {
        for (int first = 0; first < pmids.size(); first += batchSize)
            library.addArticlesOfPDFFiles(pmids.mid(first, batchSize), incoming);
    });
    const QString last = pmids.last() + QStringLiteral(".pdf");
    return done == articleCount && library.DB().numberOfAllArticles() == articleCount &&
           library.pacer().requestTimes().isEmpty() &&
           readFile(paperFolder + "/" + last) == readFile(incoming + "/" + last);
}

struct Split
{
    double xml = 0, copy = 0, tree = 0, db = 0, libraryFile = 0;
};

// The parts of importAnArticle, each over all articles.
Split splitTimes(const QStringList& pmids, const QString& incoming, const QString& cacheDir)
{
    PMIDLibrary library;
    Split split;
    std::vector<std::unique_ptr<PubMedXML>> readers;
    readers.reserve(pmids.size());
    split.xml = secondsOf([&] {
        for (const QString& pmid : pmids) {
            auto reader = std::make_unique<PubMedXML>();
            if (!reader->openFile(pmid, cacheDir) || !reader->isValid() ||
                reader->pubmed().isEmpty())
                qFatal("bench_import: cannot read %s.xml", qPrintable(pmid));
            // What the import and the row take from it.
            reader->journal();
            reader->authorsAsString();
            readers.push_back(std::move(reader));
        }
    });
    QStringList stored;
    split.copy = secondsOf([&] {
        for (const QString& pmid : pmids)
            stored.append(
                library
                    .copyPDFtoOlvaneFolder(incoming + "/" + pmid + ".pdf", QStringLiteral("pmid"))
                    .value_or(QStringLiteral("none")));
    });
    split.tree = secondsOf([&] {
        for (qsizetype i = 0; i < pmids.size(); ++i) {
            const PubMedXML& reader = *readers[size_t(i)];
            const QString year = reader.year();
            library.updateJournalList(reader.journal(), QStringLiteral("pmid"), pmids[i], year);
            library.updateAuthorList(reader.authors().value_or(QStringList()),
                                     QStringLiteral("pmid"), pmids[i], year);
        }
    });
    split.db = secondsOf([&] {
        for (qsizetype first = 0; first < pmids.size(); first += batchSize) {
            library.DB().open();
            for (qsizetype i = first; i < std::min(pmids.size(), first + batchSize); ++i)
                library.DB().insertArtilceInfoIntoDB(*readers[size_t(i)], stored[i], pmids[i]);
            library.DB().close();
        }
    });
    // The library file is written once per batch, the trees growing.
    split.libraryFile = secondsOf([&] {
        for (int batch = 0; batch < articleCount / batchSize; ++batch)
            library.writeToFile();
    });
    if (library.DB().numberOfAllArticles() != articleCount)
        qFatal("bench_import: the split run stored %lld rows",
               static_cast<long long>(library.DB().numberOfAllArticles()));
    return split;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("bench_import: no temporary folder");
    const QString root = dir.path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/.config"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root + "/.local/state"));
    UserDefaults::resetStandard();

    // The cache folder and the user's folder of PDFs, shared by every run.
    const QString cacheDir = root + "/cache";
    const QString incoming = root + "/incoming";
    QDir().mkpath(cacheDir);
    QDir().mkpath(incoming);
    QList<QByteArray> templates;
    for (const Source& source : sources)
        templates.append(readFixture(source.file));
    QStringList pmids;
    for (int i = 0; i < articleCount; ++i) {
        const QString pmid = QString::number(30000000 + i);
        const Source& source = sources[i % std::size(sources)];
        QByteArray xml = templates[i % templates.size()];
        xml.replace(QByteArray(QByteArray(">") + source.pmid + "<"),
                    QByteArray(">" + pmid.toUtf8() + "<"));
        writeFile(cacheDir + "/" + pmid + ".xml", xml);
        writeFile(incoming + "/" + pmid + ".pdf", "%PDF-1.4\n% " + pmid.toUtf8() + "\n%%EOF\n");
        pmids.append(pmid);
    }

    BestTime whole;
    for (int run = 0; run < runs; ++run) {
        const Folders folders = freshFolders(root, run, cacheDir);
        double seconds = 0;
        if (!importAll(pmids, incoming, folders.paperFolder, &seconds)) {
            std::fprintf(stderr, "bench_import: run %d did not import all %d articles\n", run,
                         articleCount);
            return 1;
        }
        whole.add(seconds);
    }
    const auto perArticleMs = [](double seconds) { return seconds * 1000.0 / articleCount; };
    reportResult(QStringLiteral("import.cached_per_article_ms"), perArticleMs(*whole.seconds()),
                 QStringLiteral("ms"), targetMsPerArticle);

    freshFolders(root, runs, cacheDir);
    const Split split = splitTimes(pmids, incoming, cacheDir);
    reportResult(QStringLiteral("import.split_xml_ms"), perArticleMs(split.xml),
                 QStringLiteral("ms"));
    reportResult(QStringLiteral("import.split_copy_ms"), perArticleMs(split.copy),
                 QStringLiteral("ms"));
    reportResult(QStringLiteral("import.split_tree_ms"), perArticleMs(split.tree),
                 QStringLiteral("ms"));
    reportResult(QStringLiteral("import.split_db_ms"), perArticleMs(split.db),
                 QStringLiteral("ms"));
    reportResult(QStringLiteral("import.split_libraryfile_ms"), perArticleMs(split.libraryFile),
                 QStringLiteral("ms"));
    return 0;
}
