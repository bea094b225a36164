#include "FakeEUtilities.h"

#include "TempHome.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype MaxRequestBytes = 4 * 1024 * 1024;

// The first element `<tag>...</tag>` of `bytes`, tags included.
QByteArray firstElement(const QByteArray& bytes, const QByteArray& tag)
{
    const qsizetype begin = bytes.indexOf(QByteArray("<" + tag + ">"));
    const QByteArray close = "</" + tag + ">";
    const qsizetype end = bytes.indexOf(close, begin);
    if (begin < 0 || end < 0)
        qFatal("FakeEUtilities: no %s in the template", tag.constData());
    return bytes.mid(begin, end + close.size() - begin);
}

struct Template
{
    QByteArray header; // through "<PubmedArticleSet>" and the line feed after it
    QByteArray article;
    QByteArray pmid;
};

// The current service's compact layout (biopython pubmed2.xml) and the older
// indented one (Eutils-JSON efetch.pubmed.xml), first article of each.
const Template& templateFor(FakeEUtilities::Layout layout)
{
    static const auto load = [](const char* file, const char* pmid) {
        const QByteArray bytes = fixtureBytes(QString::fromLatin1(file));
        const QByteArray set = "<PubmedArticleSet>\n";
        return Template{bytes.left(bytes.indexOf(set) + set.size()),
                        firstElement(bytes, "PubmedArticle"), pmid};
    };
    static const Template compact = load("ncbi/biopython__pubmed2.xml", "11748933");
    static const Template indented = load("ncbi/Eutils-JSON__efetch.pubmed.xml", "17284678");
    return layout == FakeEUtilities::Layout::Compact ? compact : indented;
}

const QByteArray& bookArticle()
{
    static const QByteArray book =
        firstElement(fixtureBytes(QStringLiteral("ncbi/Eutils-JSON__efetch.pubmedbook.xml")),
                     "PubmedBookArticle");
    return book;
}

// The value of `key` in a query string, still percent-encoded. The search
// term runs to the end of the query: it may hold '&' itself.
QByteArray queryValue(const QByteArray& target, const QByteArray& key)
{
    const qsizetype query = target.indexOf('?');
    if (query < 0)
        return {};
    const QByteArray text = target.mid(query + 1);
    if (key == "term") {
        const qsizetype at = text.startsWith("term=") ? 0 : text.indexOf("&term=");
        return at < 0 ? QByteArray() : text.mid(at + (at == 0 ? 5 : 6));
    }
    for (const QByteArray& pair : text.split('&'))
        if (pair.startsWith(QByteArray(key + "=")))
            return pair.mid(key.size() + 1);
    return {};
}

QByteArray escapeXml(const QByteArray& text)
{
    return QString::fromUtf8(text).toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray FakeEUtilities::Request::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

bool FakeEUtilities::Request::isSearch() const
{
    return target.startsWith("/entrez/eutils/esearch.fcgi?");
}

bool FakeEUtilities::Request::isFetch() const
{
    return target.startsWith("/entrez/eutils/efetch.fcgi?");
}

FakeEUtilities::FakeEUtilities(QObject* parent)
    : QObject(parent), server(new QTcpServer(this)),
      webEnv(QStringLiteral("MCID_%1").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                           QLatin1Char('0')))
{
    connect(server, &QTcpServer::newConnection, this, &FakeEUtilities::accept);
}

FakeEUtilities::~FakeEUtilities()
{
    server->close();
    for (QTcpSocket* socket : server->findChildren<QTcpSocket*>())
        socket->abort();
}

bool FakeEUtilities::start()
{
    return server->listen(QHostAddress::LocalHost, 0);
}

QUrl FakeEUtilities::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/entrez/eutils").arg(server->serverPort()));
}

void FakeEUtilities::addArticles(const QStringList& pmids)
{
    for (const QString& pmid : pmids)
        known.insert(pmid);
}

QByteArray FakeEUtilities::makeArticle(const QString& pmid, Layout layout)
{
    const Template& source = templateFor(layout);
    QByteArray article = source.article;
    return article.replace(QByteArray(">" + source.pmid + "<"),
                           QByteArray(">" + pmid.toUtf8() + "<"));
}

QByteArray FakeEUtilities::replyHeader(Layout layout)
{
    return templateFor(layout).header;
}

QByteArray FakeEUtilities::replyFooter(Layout layout)
{
    return layout == Layout::Compact ? QByteArray("</PubmedArticleSet>")
                                     : QByteArray("</PubmedArticleSet>\n");
}

QByteArray FakeEUtilities::makeFetchReply(const QStringList& pmids, Layout layout,
                                          bool withBookArticle)
{
    const QByteArray between = layout == Layout::Compact ? QByteArray() : QByteArray("\n\n");
    QByteArray body = replyHeader(layout);
    for (qsizetype i = 0; i < pmids.size(); ++i) {
        body += makeArticle(pmids[i], layout) + between;
        if (i == 0 && withBookArticle)
            body += bookArticle() + between;
    }
    if (pmids.isEmpty() && withBookArticle)
        body += bookArticle() + between;
    return body + replyFooter(layout);
}

void FakeEUtilities::requireBasicAuth(const QString& user, const QString& password,
                                      const QString& realmName)
{
    expectedAuthorization = "Basic " + (user + u':' + password).toUtf8().toBase64();
    realm = realmName.toUtf8();
}

int FakeEUtilities::openConnections() const
{
    int open = 0;
    for (const QTcpSocket* socket : server->findChildren<QTcpSocket*>())
        if (socket->state() == QAbstractSocket::ConnectedState)
            ++open;
    return open;
}

QList<FakeEUtilities::Request> FakeEUtilities::searches() const
{
    QList<Request> found;
    for (const Request& request : received)
        if (request.isSearch())
            found.append(request);
    return found;
}

QList<FakeEUtilities::Request> FakeEUtilities::fetches() const
{
    QList<Request> found;
    for (const Request& request : received)
        if (request.isFetch())
            found.append(request);
    return found;
}

void FakeEUtilities::accept()
{
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        pending.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void FakeEUtilities::readFrom(QTcpSocket* socket)
{
    if (!pending.contains(socket)) {
        socket->readAll(); // answered already: one request per connection
        return;
    }
    QByteArray& buffer = pending[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (buffer.size() > MaxRequestBytes)
            socket->abort();
        return;
    }

    Request request;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.append(
                {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    pending.remove(socket);
    received.append(request);
    serve(socket, request);
    Q_EMIT requestReceived();
}

const FakeEUtilities::Rule* FakeEUtilities::takeRule(const Request& request)
{
    for (Rule& rule : rules) {
        const bool matches = rule.endpoint == Endpoint::Any ||
                             (rule.endpoint == Endpoint::Search && request.isSearch()) ||
                             (rule.endpoint == Endpoint::Fetch && request.isFetch());
        if (!matches || rule.times == 0)
            continue;
        if (rule.times > 0)
            --rule.times;
        return &rule;
    }
    return nullptr;
}

void FakeEUtilities::serve(QTcpSocket* socket, const Request& request)
{
    if (!expectedAuthorization.isEmpty() &&
        request.header("Authorization") != expectedAuthorization) {
        ++challengeCount;
        reply(socket, 401, "Unauthorized", "text/html",
              "<html><body><h1>401 Authorization Required</h1></body></html>",
              "WWW-Authenticate: Basic realm=\"" + realm + "\"\r\n");
        return;
    }

    const Rule* rule = takeRule(request);
    const Misbehaviour misbehaviour = rule ? rule->misbehaviour : Misbehaviour::None;
    switch (misbehaviour) {
    case Misbehaviour::Redirect: {
        const QByteArray location = "https://eutils.ncbi.nlm.nih.gov" + request.target;
        reply(socket, 302, "Found", "text/html",
              "<html><head><title>302 Found</title></head><body><h1>Found</h1><p>The document "
              "has moved <a href=\"" +
                  escapeXml(location) + "\">here</a>.</p></body></html>\n",
              "Location: " + location + "\r\n");
        return;
    }
    case Misbehaviour::NotXml:
        reply(socket, 200, "OK", "text/plain", "Service temporarily unavailable {retry later}");
        return;
    case Misbehaviour::Drop:
        socket->disconnectFromHost();
        return;
    case Misbehaviour::NeverAnswer:
        return; // the connection stays open until the client gives up
    case Misbehaviour::Status500:
        reply(socket, 500, "Internal Server Error", "text/html",
              "<html><head><title>500 Internal Server Error</title></head><body><h1>Internal "
              "Server Error</h1></body></html>\n");
        return;
    case Misbehaviour::Status429:
        reply(socket, 429, "Too Many Requests", "application/json",
              "{\"error\":\"API rate limit exceeded\",\"api-key\":\"127.0.0.1\",\"count\":\"4\","
              "\"limit\":\"3\"}\n");
        return;
    case Misbehaviour::None:
    case Misbehaviour::CutOff:
    case Misbehaviour::Trickle:
        break;
    }

    int status = 200;
    QByteArray body;
    if (request.isSearch())
        body = searchReply(request);
    else if (request.isFetch())
        body = fetchReply(request, rule, &status);
    else
        status = 404;
    if (status == 404)
        body = "<html><body><h1>404 Not Found</h1></body></html>\n";

    const QByteArray type = status == 200 ? "text/xml; charset=UTF-8" : "text/html";
    if (misbehaviour == Misbehaviour::CutOff) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body.left(body.size() / 2));
        socket->disconnectFromHost();
    } else if (misbehaviour == Misbehaviour::Trickle) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        trickle(socket, body);
    } else {
        reply(socket, status,
              status == 200   ? "OK"
              : status == 404 ? "Not Found"
                              : "Bad Request",
              type, body);
    }
}

QByteArray FakeEUtilities::searchReply(const Request& request)
{
    const QByteArray term = QByteArray::fromPercentEncoding(queryValue(request.target, "term"));
    static const QRegularExpression uid(QStringLiteral("(\\d+)\\[UID\\]"),
                                        QRegularExpression::CaseInsensitiveOption);
    QStringList hits;
    QSet<QString> seen;
    for (const QRegularExpressionMatch& match : uid.globalMatch(QString::fromUtf8(term))) {
        const QString pmid = match.captured(1);
        if (known.contains(pmid) && !seen.contains(pmid)) {
            seen.insert(pmid);
            hits.append(pmid);
        }
    }

    const QByteArray head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<!DOCTYPE eSearchResult PUBLIC \"-//NLM//DTD "
        "esearch 20060628//EN\" \"https://eutils.ncbi.nlm.nih.gov/eutils/dtd/20060628/"
        "esearch.dtd\">\n";
    if (hits.isEmpty()) {
        // The service's zero-hit reply (biopython esearch8.xml) for this term.
        return head +
               "<eSearchResult><Count>0</Count><RetMax>0</RetMax><RetStart>0</RetStart>"
               "<IdList/><TranslationSet/><QueryTranslation>(" +
               escapeXml(term) + "[All Fields])</QueryTranslation><ErrorList><PhraseNotFound>" +
               escapeXml(term) +
               "</PhraseNotFound></ErrorList><WarningList><OutputMessage>No "
               "items found.</OutputMessage></WarningList></eSearchResult>\n";
    }

    const QString queryKey = QString::number(++queryKeys);
    history.insert(webEnv + u'|' + queryKey, hits);
    bool retmaxOk = false;
    const int retmax = queryValue(request.target, "retmax").toInt(&retmaxOk);
    const int listed = int(qMin<qsizetype>(retmaxOk ? retmax : 20, hits.size()));
    QByteArray ids;
    for (int i = 0; i < listed; ++i)
        ids += "<Id>" + hits[i].toUtf8() + "</Id>\n";
    return head + "<eSearchResult><Count>" + QByteArray::number(hits.size()) + "</Count><RetMax>" +
           QByteArray::number(listed) + "</RetMax><RetStart>0</RetStart><QueryKey>" +
           queryKey.toUtf8() + "</QueryKey><WebEnv>" + webEnv.toUtf8() + "</WebEnv><IdList>\n" +
           ids + "</IdList><TranslationSet/><QueryTranslation>" + escapeXml(term.trimmed()) +
           "</QueryTranslation></eSearchResult>\n";
}

QByteArray FakeEUtilities::fetchReply(const Request& request, const Rule* rule, int* status)
{
    const QString key = QString::fromUtf8(queryValue(request.target, "WebEnv")) + u'|' +
                        QString::fromUtf8(queryValue(request.target, "query_key"));
    if (!history.contains(key)) {
        *status = 400;
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<eFetchResult>\n\t<ERROR>Cannot "
               "retrieve history data. query_key: " +
               queryValue(request.target, "query_key") +
               ", WebEnv: " + queryValue(request.target, "WebEnv") + "</ERROR>\n</eFetchResult>\n";
    }
    QStringList pmids = history.value(key);
    if (rule) {
        for (const QString& pmid : rule->omit)
            pmids.removeAll(pmid);
        pmids += rule->extra;
    }
    return makeFetchReply(pmids, articleLayout, rule && rule->bookArticle);
}

void FakeEUtilities::reply(QTcpSocket* socket, int status, const QByteArray& reason,
                           const QByteArray& contentType, const QByteArray& body,
                           const QByteArray& extraHeaders)
{
    socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: " +
                  contentType + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
                  extraHeaders + "Connection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void FakeEUtilities::trickle(QTcpSocket* socket, QByteArray rest)
{
    constexpr qsizetype piece = 4096;
    socket->write(rest.left(piece));
    rest.remove(0, piece);
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    QPointer<QTcpSocket> alive(socket);
    QTimer::singleShot(5, this, [this, alive, rest] {
        if (alive)
            trickle(alive, rest);
    });
}
