#pragma once

#include "pubmed/EUtilitiesResults.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class EUtilitiesRequest;
class QNetworkAccessManager;

// The program's client of NCBI's E-utilities: the two-step search against the
// history server (esearch, then efetch), and the filling of the cache folder
// with one per-article XML file ("<xmlDirectory>/<PMID>.xml") per article.
//
// A client serves one operation: create it with new, start the operation and
// let go of it. It deletes itself (deleteLater) once the operation's receiver
// has returned, unless that receiver started the next operation on it (as the
// search panel does with the fetch step). Deleting it earlier, directly or
// through a parent, abandons the operation: the request is aborted and the
// receiver is not called.
//
// Receivers are plain callables, called exactly once per operation on the main
// thread: from inside the call when the cache folder already answers, from the
// event loop otherwise. A receiver must not assume that the object it reports
// to still exists; capture a QPointer (or a weak pointer) and return when it is
// null.
class pubmed final : public QObject
{
    Q_OBJECT

public:
    // The E-utilities base URL; https://eutils.ncbi.nlm.nih.gov/entrez/eutils
    // unless set.
    static void setBaseUrl(const QUrl& url);
    static QUrl baseUrl();
    // The application's one network access manager; one is made on first use
    // when none was set (or the one set is gone).
    static void setNetworkAccessManager(QNetworkAccessManager* manager);
    static QNetworkAccessManager* networkAccessManager();
    // How long a step may go without receiving anything: 60 s for the search
    // step and 300 s for the fetch step unless set.
    static void setTimeouts(std::chrono::milliseconds search, std::chrono::milliseconds fetch);

    explicit pubmed(QObject* parent = nullptr);
    ~pubmed() override;

    // Receives "Downloading data: %d bytes" while a fetch reply arrives.
    void setStatusTextField(std::function<void(const QString&)> statusText);

    // The search step: the term goes out percent-escaped. No value when
    // nothing matched, the reply is not a search result, or the request
    // failed (after the network alert).
    void fetchInfo(const QString& term, std::function<void(std::optional<SearchResult>)> receiver);

    // The fetch step: the reply body as received. No value when a key is
    // missing (nothing is sent) or the request failed (after the network
    // alert).
    void fetchResultForQueryKey(const QString& queryKey, const QString& WebEnv,
                                std::function<void(std::optional<QByteArray>)> receiver);

    // Makes sure the per-article XML file of `pmid` exists in xmlDirectory,
    // fetching it when it does not. Result: pdfDirectory + "/" + pmid + ".pdf",
    // or no value when the article could not be obtained.
    void saveXMLFile(const QString& pmid, const QString& xmlDirectory, const QString& pdfDirectory,
                     std::function<void(std::optional<QString>)> receiver);

    // The same for a list, with one search and one fetch for every PMID that
    // has no file yet. No value only when the fetch request itself failed.
    void saveXMLFiles(const QStringList& pmids, const QString& xmlDirectory,
                      const QString& pdfDirectory,
                      std::function<void(std::optional<MultiArticleResult>)> receiver);

    // Writes one per-article XML file for each PubmedArticle of a fetch reply
    // into `directory`, named by the PMID each article carries. `success`
    // lists the PMIDs already in the cache; the result adds those written
    // (in reply order) and lists in "fail" the requested PMIDs still missing.
    // PDFDirectory is left empty.
    static MultiArticleResult writeToFilesFromXMLData(const QByteArray& reply,
                                                      const QString& directory,
                                                      const QStringList& pmids,
                                                      QStringList success);

private:
    using SearchReceiver = std::function<void(std::optional<SearchResult>)>;
    using FetchReceiver = std::function<void(std::optional<QByteArray>)>;

    // Which save operation is running, if any.
    enum class Operation { None, Single, Multi };

    template <typename T>
    bool beginOperation(const std::function<void(std::optional<T>)>& receiver);
    template <typename T>
    void deliver(std::function<void(std::optional<T>)> receiver, std::optional<T> value);

    void search(const QString& term, SearchReceiver stepReceiver);
    void fetch(const SearchResult& keys, FetchReceiver stepReceiver,
               std::function<void()> onFailure);
    void runRequest(const QUrl& url, std::chrono::milliseconds timeout, bool reportProgress,
                    std::function<void(std::optional<QByteArray>)> done);
    void alertNetworkFailure();

    void saveXMLFile1();
    void saveXMLFile2(std::optional<SearchResult> result);
    void saveXMLFile3(const QByteArray& reply);
    void saveXMLFiles1();
    void saveXMLFiles2(std::optional<SearchResult> result);
    void saveXMLFiles3(const QByteArray& reply);
    void restartOrFail();

    EUtilitiesRequest* request = nullptr; // the running request, a child of this client
    SearchResult pmidInfo;
    struct SaveParameters
    {
        QString pmid;
        QStringList pmids;
        QString XMLDirectory;
        QString PDFDirectory;
    } info;
    QStringList getPMIDs;
    std::function<void(const QString&)> statusTextField;
    int failCount = 0;
    Operation operation = Operation::None;
    std::function<void(std::optional<QString>)> singleReceiver;
    std::function<void(std::optional<MultiArticleResult>)> multiReceiver;
    bool running = false;  // an operation has started and not yet delivered
    bool finished = false; // deletion is scheduled; no further operation
};
