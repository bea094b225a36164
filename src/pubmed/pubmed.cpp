#include "pubmed/pubmed.h"

#include "platform/AtomicFile.h"
#include "platform/Panels.h"
#include "pubmed/ArticleSetReader.h"
#include "pubmed/ArticleSetSplit.h"
#include "pubmed/EUtilitiesRequest.h"
#include "pubmed/EUtilitiesUrl.h"
#include "pubmed/PubMedLog.h"
#include "pubmed/SearchReply.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSet>

using namespace std::chrono_literals;

namespace {

struct ClientSettings
{
    QUrl baseUrl{QStringLiteral("https://eutils.ncbi.nlm.nih.gov/entrez/eutils")};
    QPointer<QNetworkAccessManager> manager;
    std::chrono::milliseconds searchTimeout = 60s;
    std::chrono::milliseconds fetchTimeout = 300s;
};

ClientSettings& settings()
{
    static ClientSettings shared;
    return shared;
}

QString xmlPath(const QString& directory, const QString& pmid)
{
    return directory + u'/' + pmid + u".xml";
}

// A PMID that can name a file in the cache folder without leaving it. PMIDs
// come from file names and from server replies; neither is trusted.
bool isFileNamePMID(const QString& pmid)
{
    return !pmid.isEmpty() && !pmid.contains(u'/') && !pmid.contains(QChar(0));
}

bool writeArticleFile(const QString& path, const QByteArray& bytes)
{
    QString error;
    if (AtomicFile::write(path, bytes, &error))
        return true;
    qCWarning(lcPubMed) << "cannot write" << path << error;
    return false;
}

} // namespace

// ---- configuration

void pubmed::setBaseUrl(const QUrl& url)
{
    settings().baseUrl = url;
}

QUrl pubmed::baseUrl()
{
    return settings().baseUrl;
}

void pubmed::setNetworkAccessManager(QNetworkAccessManager* manager)
{
    settings().manager = manager;
}

QNetworkAccessManager* pubmed::networkAccessManager()
{
    if (!settings().manager)
        settings().manager = new QNetworkAccessManager(QCoreApplication::instance());
    return settings().manager;
}

void pubmed::setTimeouts(std::chrono::milliseconds search, std::chrono::milliseconds fetch)
{
    settings().searchTimeout = search;
    settings().fetchTimeout = fetch;
}

// ---- life cycle

pubmed::pubmed(QObject* parent) : QObject(parent) {}

pubmed::~pubmed() = default; // the running request, a child, aborts its reply

void pubmed::setStatusTextField(std::function<void(const QString&)> statusText)
{
    statusTextField = std::move(statusText);
}

template <typename T>
bool pubmed::beginOperation(const std::function<void(std::optional<T>)>& receiver)
{
    if (running || finished) {
        qCWarning(lcPubMed) << "an E-utilities client serves one operation at a time";
        if (receiver)
            receiver(std::nullopt);
        return false;
    }
    running = true;
    return true;
}

template <typename T>
void pubmed::deliver(std::function<void(std::optional<T>)> receiver, std::optional<T> value)
{
    running = false;
    operation = Operation::None;
    QPointer<pubmed> self(this);
    if (receiver)
        receiver(std::move(value));
    // The receiver may have destroyed us, or started the next step on us.
    if (self && !running) {
        finished = true;
        deleteLater();
    }
}

// ---- the two steps

void pubmed::runRequest(const QUrl& url, std::chrono::milliseconds timeout, bool reportProgress,
                        std::function<void(std::optional<QByteArray>)> done)
{
    request = new EUtilitiesRequest(networkAccessManager(), url, timeout, this);
    EUtilitiesRequest::Progress progress;
    if (reportProgress) {
        progress = [this](qint64 total) {
            if (statusTextField)
                statusTextField(QStringLiteral("Downloading data: %1 bytes").arg(total));
        };
    }
    request->start(std::move(progress), [this, done](std::optional<QByteArray> body) {
        request->deleteLater();
        request = nullptr;
        done(std::move(body));
    });
}

void pubmed::alertNetworkFailure()
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = QStringLiteral("Cannot access PubMed site");
    alert.informativeText = QStringLiteral("Confirm network accessibility");
    alert.defaultButton = QStringLiteral("OK");
    Panels::shared().runAlert(alert);
}

void pubmed::search(const QString& term, SearchReceiver stepReceiver)
{
    runRequest(eutils::searchUrl(baseUrl(), term), settings().searchTimeout, false,
               [this, stepReceiver](std::optional<QByteArray> body) {
                   if (!body) {
                       QPointer<pubmed> self(this);
                       alertNetworkFailure();
                       if (self)
                           stepReceiver(std::nullopt);
                       return;
                   }
                   stepReceiver(eutils::readSearchReply(*body));
               });
}

void pubmed::fetch(const SearchResult& keys, FetchReceiver stepReceiver,
                   std::function<void()> onFailure)
{
    runRequest(eutils::fetchUrl(baseUrl(), keys.QueryKey, keys.WebEnv), settings().fetchTimeout,
               true, [this, stepReceiver, onFailure](std::optional<QByteArray> body) {
                   if (!body) {
                       QPointer<pubmed> self(this);
                       alertNetworkFailure();
                       if (self)
                           onFailure();
                       return;
                   }
                   stepReceiver(std::move(body));
               });
}

void pubmed::fetchInfo(const QString& term,
                       std::function<void(std::optional<SearchResult>)> receiver)
{
    if (!beginOperation(receiver))
        return;
    search(term, [this, receiver](std::optional<SearchResult> result) {
        if (result)
            pmidInfo = *result;
        deliver(receiver, std::move(result));
    });
}

void pubmed::fetchResultForQueryKey(const QString& queryKey, const QString& WebEnv,
                                    std::function<void(std::optional<QByteArray>)> receiver)
{
    if (!beginOperation(receiver))
        return;
    if (queryKey.isEmpty() || WebEnv.isEmpty()) {
        // Nothing to ask for; the caller still hears back so it is not left waiting.
        deliver(receiver, std::optional<QByteArray>());
        return;
    }
    fetch(
        SearchResult{QString(), queryKey, WebEnv},
        [this, receiver](std::optional<QByteArray> reply) { deliver(receiver, std::move(reply)); },
        [this, receiver] { deliver(receiver, std::optional<QByteArray>()); });
}

// ---- one article

void pubmed::saveXMLFile(const QString& pmid, const QString& xmlDirectory,
                         const QString& pdfDirectory,
                         std::function<void(std::optional<QString>)> receiver)
{
    if (!beginOperation(receiver))
        return;
    operation = Operation::Single;
    singleReceiver = std::move(receiver);
    info = {pmid, {}, xmlDirectory, pdfDirectory};
    saveXMLFile1();
}

void pubmed::saveXMLFile1()
{
    if (!isFileNamePMID(info.pmid)) {
        deliver(singleReceiver, std::optional<QString>());
        return;
    }
    if (QFileInfo::exists(xmlPath(info.XMLDirectory, info.pmid))) {
        deliver(singleReceiver,
                std::optional<QString>(info.PDFDirectory + u'/' + info.pmid + u".pdf"));
        return;
    }
    search(info.pmid + u"[UID]",
           [this](std::optional<SearchResult> result) { saveXMLFile2(std::move(result)); });
}

void pubmed::saveXMLFile2(std::optional<SearchResult> result)
{
    if (!result) {
        deliver(singleReceiver, std::optional<QString>());
        return;
    }
    pmidInfo = *result;
    fetch(
        pmidInfo, [this](std::optional<QByteArray> reply) { saveXMLFile3(*reply); },
        [this] { deliver(singleReceiver, std::optional<QString>()); });
}

void pubmed::saveXMLFile3(const QByteArray& reply)
{
    const pubmedxml::ArticleSet set = pubmedxml::readArticleSet(reply);
    if (!set.valid) {
        restartOrFail();
        return;
    }

    // A reply that is exactly the requested article is kept as received; from
    // any other set only the requested article's own document is kept.
    QByteArray document;
    if (set.articles.size() == 1 && set.articles.first().pubmed == info.pmid) {
        document = reply;
    } else {
        const eutils::ArticleSetPieces pieces = eutils::splitArticleSet(reply);
        for (const QByteArrayView article : pieces.articles) {
            QByteArray candidate = eutils::articleDocument(pieces.header, article);
            const pubmedxml::ArticleSet one = pubmedxml::readArticleSet(candidate);
            if (one.valid && one.articles.size() == 1 && one.articles.first().pubmed == info.pmid) {
                document = std::move(candidate);
                break;
            }
        }
    }

    const bool written =
        !document.isEmpty() && writeArticleFile(xmlPath(info.XMLDirectory, info.pmid), document);
    deliver(singleReceiver,
            written ? std::optional<QString>(info.PDFDirectory + u'/' + info.pmid + u".pdf")
                    : std::optional<QString>());
}

// ---- a list of articles

void pubmed::saveXMLFiles(const QStringList& pmids, const QString& xmlDirectory,
                          const QString& pdfDirectory,
                          std::function<void(std::optional<MultiArticleResult>)> receiver)
{
    if (!beginOperation(receiver))
        return;
    operation = Operation::Multi;
    multiReceiver = std::move(receiver);
    info = {QString(), pmids, xmlDirectory, pdfDirectory};
    saveXMLFiles1();
}

void pubmed::saveXMLFiles1()
{
    getPMIDs.clear();
    QString term;
    for (const QString& pmid : std::as_const(info.pmids)) {
        if (QFileInfo::exists(xmlPath(info.XMLDirectory, pmid)))
            getPMIDs.append(pmid);
        else
            term += u"+OR+" + pmid + u"[UID]";
    }
    if (term.size() > 3)
        term.remove(0, 3);

    if (getPMIDs.size() < info.pmids.size()) {
        search(term,
               [this](std::optional<SearchResult> result) { saveXMLFiles2(std::move(result)); });
        return;
    }
    deliver(multiReceiver,
            std::optional<MultiArticleResult>(MultiArticleResult{getPMIDs, {}, info.PDFDirectory}));
}

void pubmed::saveXMLFiles2(std::optional<SearchResult> result)
{
    if (!result) {
        deliver(multiReceiver, std::optional<MultiArticleResult>(
                                   MultiArticleResult{{}, info.pmids, info.PDFDirectory}));
        return;
    }
    pmidInfo = *result;
    fetch(
        pmidInfo, [this](std::optional<QByteArray> reply) { saveXMLFiles3(*reply); },
        [this] { deliver(multiReceiver, std::optional<MultiArticleResult>()); });
}

void pubmed::saveXMLFiles3(const QByteArray& reply)
{
    if (!pubmedxml::readArticleSet(reply).valid) {
        restartOrFail();
        return;
    }
    MultiArticleResult result =
        writeToFilesFromXMLData(reply, info.XMLDirectory, info.pmids, getPMIDs);
    result.PDFDirectory = info.PDFDirectory;
    deliver(multiReceiver, std::optional<MultiArticleResult>(std::move(result)));
}

void pubmed::restartOrFail()
{
    const bool retry = failCount == 0;
    failCount = 1;
    if (operation == Operation::Single) {
        if (retry)
            saveXMLFile1();
        else
            deliver(singleReceiver, std::optional<QString>());
    } else {
        if (retry)
            saveXMLFiles1();
        else
            deliver(multiReceiver, std::optional<MultiArticleResult>(
                                       MultiArticleResult{{}, info.pmids, info.PDFDirectory}));
    }
}

MultiArticleResult pubmed::writeToFilesFromXMLData(const QByteArray& reply,
                                                   const QString& directory,
                                                   const QStringList& pmids, QStringList success)
{
    QSet<QString> obtained(success.cbegin(), success.cend());
    const eutils::ArticleSetPieces pieces = eutils::splitArticleSet(reply);
    for (const QByteArrayView article : pieces.articles) {
        const QByteArray document = eutils::articleDocument(pieces.header, article);
        const pubmedxml::ArticleSet set = pubmedxml::readArticleSet(document);
        if (!set.valid || set.articles.size() != 1)
            continue;
        const QString pmid = set.articles.first().pubmed;
        if (!isFileNamePMID(pmid)) {
            qCWarning(lcPubMed) << "article without a usable PMID left out";
            continue;
        }
        if (!writeArticleFile(xmlPath(directory, pmid), document))
            continue;
        if (!obtained.contains(pmid)) {
            obtained.insert(pmid);
            success.append(pmid);
        }
    }

    QStringList fail;
    for (const QString& pmid : pmids)
        if (!obtained.contains(pmid))
            fail.append(pmid);
    return MultiArticleResult{success, fail, QString()};
}
