#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <utility>

class QTcpServer;
class QTcpSocket;

// NCBI's E-utilities, played by a real HTTP/1.1 server on 127.0.0.1 (a free
// port) for the tests of the client. It answers esearch with the history
// server from the "123[UID]" terms it finds, and efetch with the known
// articles left under that query key, each made from a real PubMed record
// renumbered to its PMID. Rules script misbehaviour request by request, and
// every request is recorded exactly as it came over the wire.
class FakeEUtilities final : public QObject
{
    Q_OBJECT

public:
    // Compact: the current service, every article back to back on one line
    // and no line feed after the set. Indented: the older service.
    enum class Layout { Compact, Indented };
    enum class Endpoint { Any, Search, Fetch };

    enum class Misbehaviour {
        None,        // answer properly (with the rule's changes to the article set)
        Redirect,    // 302 to the https service, with a small HTML body
        NotXml,      // 200 with a body that is not XML at all
        CutOff,      // Content-Length of the whole body, half of it sent, then close
        Drop,        // close the connection without a reply (Qt then re-sends the
                     // request, which the next matching rule serves)
        NeverAnswer, // keep the connection open and never answer
        Status500,   // 500 with an HTML error page
        Status429,   // 429 with NCBI's rate-limit message
        Trickle,     // the proper answer, its body sent in small pieces with pauses
    };

    // Applies to the next `times` requests to `endpoint` (-1: to all of them).
    // The first rule that matches a request serves it.
    struct Rule
    {
        Endpoint endpoint = Endpoint::Any;
        Misbehaviour misbehaviour = Misbehaviour::None;
        int times = 1;
        QStringList omit;         // efetch: requested articles left out of the reply
        QStringList extra;        // efetch: articles nobody asked for, added at the end
        bool bookArticle = false; // efetch: a PubmedBookArticle after the first article
    };

    struct Request
    {
        QByteArray method;
        QByteArray target; // path and query, byte for byte as sent
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray header(QByteArrayView name) const; // case-insensitive; empty when absent
        bool isSearch() const;
        bool isFetch() const;
    };

    explicit FakeEUtilities(QObject* parent = nullptr);
    ~FakeEUtilities() override;

    // Listens on 127.0.0.1; false when no port could be had.
    bool start();
    // http://127.0.0.1:<port>/entrez/eutils
    QUrl baseUrl() const;

    void setLayout(Layout layout) { articleLayout = layout; }
    void addArticles(const QStringList& pmids);
    // A PubmedArticle element for `pmid`, made from a real record.
    static QByteArray makeArticle(const QString& pmid, Layout layout);
    // The reply's text before the first article and after the last one.
    static QByteArray replyHeader(Layout layout);
    static QByteArray replyFooter(Layout layout);
    // A whole efetch reply holding `pmids` in this order.
    static QByteArray makeFetchReply(const QStringList& pmids, Layout layout,
                                     bool bookArticle = false);

    void addRule(const Rule& rule) { rules.append(rule); }
    // Every request must carry Basic credentials for `user`/`password`; others
    // are answered 401 with a challenge for `realm`.
    void requireBasicAuth(const QString& user, const QString& password,
                          const QString& realm = QStringLiteral("E-utilities"));

    const QList<Request>& requests() const { return received; }
    QList<Request> searches() const;
    QList<Request> fetches() const;
    int challenges() const { return challengeCount; }
    // The history server's token, the same for every search of this server.
    QString webEnvToken() const { return webEnv; }
    // Client connections not yet closed.
    int openConnections() const;

Q_SIGNALS:
    void requestReceived();

private:
    void accept();
    void readFrom(QTcpSocket* socket);
    void serve(QTcpSocket* socket, const Request& request);
    const Rule* takeRule(const Request& request);
    QByteArray searchReply(const Request& request);
    QByteArray fetchReply(const Request& request, const Rule* rule, int* status);
    void reply(QTcpSocket* socket, int status, const QByteArray& reason,
               const QByteArray& contentType, const QByteArray& body,
               const QByteArray& extraHeaders = {});
    void trickle(QTcpSocket* socket, QByteArray rest);

    QTcpServer* server;
    Layout articleLayout = Layout::Compact;
    QSet<QString> known;
    QList<Rule> rules;
    QList<Request> received;
    QHash<QTcpSocket*, QByteArray> pending; // request bytes read so far, per connection
    QHash<QString, QStringList> history;    // "WebEnv|query_key" -> PMIDs
    QString webEnv;
    int queryKeys = 0;
    QByteArray expectedAuthorization; // empty: no authentication
    QByteArray realm;
    int challengeCount = 0;
};
