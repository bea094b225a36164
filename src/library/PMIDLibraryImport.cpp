// The import operations of the library model: fetching the PubMed XML of
// PDFs named by their PMID, placing the PDFs in the paper folder, filing the
// articles in the index trees and writing their database rows.
#include "library/PMIDLibrary.h"

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "pubmed/pubmed.h"
#include "store/StoreText.h"
#include "store/accessDB.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace {

const QString pmidType = QStringLiteral("pmid");
const QString noFile = QStringLiteral("none");
const QString importArticleDone = QStringLiteral("importArticleDone");

QString defaultsPath(const char* key)
{
    return UserDefaults::standard().stringForKey(QString::fromLatin1(key));
}

QString cacheDir()
{
    return defaultsPath("cacheDir");
}

// "<folder>/<name>.pdf"; a folder given with a trailing "/" gives no "//".
QString pdfPath(const QString& folder, const QString& name)
{
    return QDir::cleanPath(folder + u'/' + name + QStringLiteral(".pdf"));
}

bool isReadableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// A new, empty file beside `path` that no one else uses.
bool openScratchFileBeside(const QString& path, QFile& file)
{
    const QString stem = QFileInfo(path).absolutePath() + QStringLiteral("/.olvane-copy-%1-%2");
    for (int n = 0; n < 100; ++n) {
        file.setFileName(stem.arg(QCoreApplication::applicationPid()).arg(n));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(file.fileName()))
            return false; // not a name clash: the folder cannot be written
    }
    return false;
}

// Copies `from` to `to`, which must not exist yet, through a scratch file
// beside the destination that takes its name only once complete: a copy that
// fails leaves nothing behind, and nothing at `to` is ever replaced. The copy
// is not forced to disk: the user's file stays where it was.
bool copyFile(const QString& from, const QString& to, QString* why)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = in.errorString();
        return false;
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile out;
    if (!openScratchFileBeside(to, out)) {
        *why = out.errorString();
        return false;
    }
    const auto fail = [&](const QString& reason) {
        *why = reason;
        out.remove();
        return false;
    };
    QByteArray block(1 << 16, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = in.read(block.data(), block.size())) > 0) {
        if (out.write(block.constData(), got) != got)
            return fail(out.errorString());
    }
    if (got < 0)
        return fail(in.errorString());
    out.setPermissions(in.permissions());
    out.close();
    if (out.error() != QFileDevice::NoError)
        return fail(out.errorString());
    // QFile::rename never replaces an existing file.
    if (!out.rename(to))
        return fail(out.errorString());
    return true;
}

// `fail` in the order the PMIDs were requested; anything not requested last.
QStringList inRequestOrder(QStringList fail, const QStringList& requested)
{
    std::stable_sort(fail.begin(), fail.end(), [&](const QString& a, const QString& b) {
        const auto rank = [&](const QString& p) {
            const qsizetype at = requested.indexOf(p);
            return at < 0 ? requested.size() : at;
        };
        return rank(a) < rank(b);
    });
    return fail;
}

} // namespace

PubMedPacer& PMIDLibrary::pacer()
{
    if (!_pacer)
        _pacer = std::make_unique<PubMedPacer>();
    return *_pacer;
}

bool PMIDLibrary::haveArticle(const ArticleKey& key)
{
    return _DB->haveArticle(key);
}

bool PMIDLibrary::haveArticleWithoutOpen(const ArticleKey& key)
{
    return _DB->haveArticleWithoutOpen(key);
}

bool PMIDLibrary::checkPMID(const QString& text)
{
    return StoreText::leadingInteger(text).value_or(0) != 0;
}

bool PMIDLibrary::isPMID(const QString& text)
{
    if (text.isEmpty() || text.size() > 18 || text.front() == u'0')
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<QString> PMIDLibrary::pmidOfFile(const QString& path)
{
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype at = name.indexOf(QStringLiteral(".pdf"));
    if (at < 0)
        return std::nullopt;
    return name.remove(at, 4);
}

void PMIDLibrary::fetchArticles(const QStringList& pmids, const QString& pdfDirectory,
                                MultiReceiver receiver)
{
    const QString xmlDirectory = cacheDir();
    const QPointer<PubMedPacer> alive(&pacer());
    pacer().submit([=]() {
        if (pmids.isEmpty()) {
            receiver(MultiArticleResult{{}, {}, pdfDirectory});
            return false;
        }
        // Set when the client answers; still false after the call means the
        // answer waits for a request.
        const auto answered = std::make_shared<bool>(false);
        auto* client = new pubmed(alive);
        client->saveXMLFiles(pmids, xmlDirectory, pdfDirectory,
                             [=](std::optional<MultiArticleResult> result) {
                                 *answered = true;
                                 if (alive)
                                     receiver(std::move(result));
                             });
        return !*answered;
    });
}

bool PMIDLibrary::addArticlesOfPDFFiles(const QStringList& pmids, const QString& inDirectory)
{
    QStringList good, notPMIDs;
    for (const QString& pmid : pmids)
        (isPMID(pmid) ? good : notPMIDs).append(pmid);
    fetchArticles(good, inDirectory, [=, this](std::optional<MultiArticleResult> result) {
        if (!notPMIDs.isEmpty()) {
            if (!result)
                result = MultiArticleResult{{}, {}, inDirectory};
            result->fail += notPMIDs;
        }
        importBatch(std::move(result), pmids);
    });
    return true;
}

void PMIDLibrary::importArticlesInfomationFromXMLofPMIDPDF(std::optional<MultiArticleResult> result)
{
    importBatch(std::move(result), {});
}

void PMIDLibrary::importBatch(std::optional<MultiArticleResult> result,
                              const QStringList& requested)
{
    QVariantMap info{{QStringLiteral("userInfo"), QStringLiteral("multi")}};
    std::optional<QString> last;
    if (result) {
        QStringList imported;
        QStringList fail = result->fail;
        _DB->open();
        for (const QString& pmid : std::as_const(result->success)) {
            last = importAnArticle(pdfPath(result->PDFDirectory, pmid));
            (last ? imported : fail).append(pmid);
        }
        writeToFile();
        _DB->close();
        info.insert(QStringLiteral("success"), imported);
        info.insert(QStringLiteral("fail"), inRequestOrder(fail, requested));
    }
    NotificationCenter::defaultCenter().post(importArticleDone, last ? QVariant(*last) : QVariant(),
                                             info);
}

bool PMIDLibrary::addArticlePDFFile(const QString& path)
{
    const auto pmid = pmidOfFile(path);
    if (!pmid || !checkPMID(*pmid))
        return false;
    if (!isPMID(*pmid)) {
        Log::message(QStringLiteral("%1 is not named by a PubMed ID; not imported").arg(path));
        return false;
    }
    const QString xmlDirectory = cacheDir();
    if (QFileInfo::exists(xmlDirectory + u'/' + *pmid + QStringLiteral(".xml"))) {
        importArticleInfomationFromXMLofPMIDPDF(path);
        return true;
    }
    const QString folder = QFileInfo(path).absolutePath();
    const QPointer<PubMedPacer> alive(&pacer());
    pacer().submit([=, this]() {
        const auto answered = std::make_shared<bool>(false);
        auto* client = new pubmed(alive);
        client->saveXMLFile(*pmid, xmlDirectory, folder, [=, this](std::optional<QString> pdf) {
            *answered = true;
            if (alive)
                importArticleInfomationFromXMLofPMIDPDF(std::move(pdf));
        });
        return !*answered;
    });
    return true;
}

std::optional<QString>
PMIDLibrary::importArticleInfomationFromXMLofPMIDPDF(std::optional<QString> path)
{
    _DB->open();
    const std::optional<QString> result = path ? importAnArticle(*path) : std::nullopt;
    writeToFile();
    _DB->close();
    NotificationCenter::defaultCenter().post(
        importArticleDone, result ? QVariant(*result) : QVariant(),
        QVariantMap{{QStringLiteral("userInfo"), QStringLiteral("single")}});
    return result;
}

std::optional<QString> PMIDLibrary::importAnArticle(const QString& path)
{
    const auto pmid = path.isEmpty() ? std::nullopt : pmidOfFile(path);
    if (!pmid)
        return std::nullopt;
    PubMedXML reader;
    if (!reader.openFile(*pmid, cacheDir()) || !reader.isValid() || reader.pubmed().isEmpty()) {
        Log::message(QStringLiteral("file not exist??"));
        Log::message(
            QStringLiteral("the PubMed XML file of %1 is missing or unreadable; not imported")
                .arg(*pmid));
        return std::nullopt;
    }
    QString stored = copyPDFtoOlvaneFolder(path, pmidType).value_or(noFile);
    if (stored == noFile)
        stored = storedFilePath(ArticleKey{pmidType, *pmid}).value_or(noFile);

    const QString year = reader.year();
    updateJournalList(reader.journal(), pmidType, *pmid, year);
    updateAuthorList(reader.authors().value_or(QStringList()), pmidType, *pmid, year);
    _DB->insertArtilceInfoIntoDB(reader, stored, *pmid);
    return pmid;
}

std::optional<QString> PMIDLibrary::storedFilePath(const ArticleKey& key)
{
    const QList<ArticleRecord> records = _DB->articleInformationOfArticleIDs({key});
    for (const ArticleRecord& record : records) {
        if (!record.filepath.isEmpty() && record.filepath != noFile)
            return record.filepath;
    }
    return std::nullopt;
}

std::optional<QString> PMIDLibrary::copyPDFtoOlvaneFolder(const QString& path, const QString& type)
{
    const QString source = QDir::cleanPath(path);
    QString name = source.mid(source.lastIndexOf(u'/') + 1);
    if (const qsizetype at = name.indexOf(QStringLiteral(".pdf")); at >= 0)
        name.remove(at, 4);

    const auto notThere = [&]() -> std::optional<QString> {
        Log::message(QStringLiteral("%1 is not exist.").arg(source));
        return std::nullopt;
    };
    if (!UserDefaults::standard().boolForKey(QStringLiteral("copyPDFtoFolder")))
        return isReadableFile(source) ? std::optional(source) : notThere();

    const QString paperFolder = defaultsPath("paperFolder");
    QString destination =
        type == pmidType ? pdfPath(paperFolder, name) : pdfPath(paperFolder + "/User", name);
    if (QFileInfo::exists(destination)) {
        // A PubMed article's PDF already in the paper folder stays as it is.
        if (type == pmidType)
            return destination;
        for (int n = 2; QFileInfo::exists(destination); ++n)
            destination = pdfPath(paperFolder + "/User", name + u'-' + QString::number(n));
    }
    if (!isReadableFile(source))
        return notThere();

    QString why;
    if (!copyFile(source, destination, &why)) {
        Log::message(QStringLiteral("cannot copy %1 to %2 (%3); the article keeps the file where "
                                    "it is")
                         .arg(source, destination, why));
        return source;
    }
    return destination;
}
