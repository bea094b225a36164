#include "pubmed/EUtilitiesRequest.h"

#include "platform/Panels.h"
#include "pubmed/PubMedLog.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// The server completed a response (status line, headers and the whole body)
// whose status Qt turned into an error code: 4xx and 5xx. Such a body is read
// like any other. Connection, time-out and protocol errors are failures.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    const int code = int(error);
    const bool contentError =
        code >= QNetworkReply::ContentAccessDenied && code <= QNetworkReply::UnknownContentError;
    const bool serverError =
        code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError;
    return contentError || serverError;
}

} // namespace

EUtilitiesRequest::EUtilitiesRequest(QNetworkAccessManager* manager, const QUrl& url,
                                     std::chrono::milliseconds idleTimeout, QObject* parent)
    : QObject(parent), manager(manager), url(url), idleTimeout(idleTimeout)
{
    idleTimer.setSingleShot(true);
    connect(&idleTimer, &QTimer::timeout, this, &EUtilitiesRequest::onTimeout);
}

EUtilitiesRequest::~EUtilitiesRequest()
{
    releaseReply();
}

void EUtilitiesRequest::start(Progress progressSink, Finished finishedSink)
{
    progress = std::move(progressSink);
    finished = std::move(finishedSink);

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");

    if (!manager) {
        onFinished();
        return;
    }
    connect(manager, &QNetworkAccessManager::authenticationRequired, this,
            &EUtilitiesRequest::onAuthenticationRequired);
    reply = manager->get(request);
    connect(reply, &QNetworkReply::readyRead, this, &EUtilitiesRequest::collect);
    connect(reply, &QNetworkReply::finished, this, &EUtilitiesRequest::onFinished);
    idleTimer.start(idleTimeout);
}

void EUtilitiesRequest::collect()
{
    if (!reply->isReadable())
        return; // aborted
    const QByteArray chunk = reply->readAll();
    idleTimer.start(idleTimeout);
    if (chunk.isEmpty())
        return;
    body.append(chunk);
    if (progress)
        progress(body.size());
}

void EUtilitiesRequest::onFinished()
{
    bool failed = true;
    if (reply) {
        collect();
        idleTimer.stop();
        const QNetworkReply::NetworkError error = reply->error();
        const bool responded =
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() &&
            (error == QNetworkReply::NoError || isHttpStatusError(error));
        failed = timedOut || authRefused || !responded;
        if (failed)
            qCDebug(lcPubMed) << "request failed:" << url.path()
                              << (timedOut ? QStringLiteral("time-out") : reply->errorString());
        releaseReply();
    }

    // Reported from the event loop rather than from inside the reply's or the
    // timer's signal: the receiver may show a modal alert or delete its client
    // (and with it this request).
    QMetaObject::invokeMethod(
        this,
        [this, failed] {
            Finished receiver = std::move(finished);
            finished = nullptr;
            if (!receiver)
                return;
            if (failed)
                receiver(std::nullopt);
            else
                receiver(std::move(body));
        },
        Qt::QueuedConnection);
}

void EUtilitiesRequest::onAuthenticationRequired(QNetworkReply* challenged,
                                                 QAuthenticator* authenticator)
{
    if (challenged != reply)
        return;
    if (authPrompts >= MaxAuthPrompts) {
        // Leaving the authenticator empty makes Qt fail the request.
        authRefused = true;
        return;
    }
    ++authPrompts;

    // The user may take their time: the time-out counts only network silence.
    idleTimer.stop();
    QPointer<EUtilitiesRequest> self(this);
    const std::optional<Credentials> credentials =
        Panels::shared().runAuthPanel({authenticator->realm(), url.host()});
    if (!self || challenged != reply)
        return; // abandoned while the panel was open
    idleTimer.start(idleTimeout);

    if (!credentials) {
        authRefused = true;
        return;
    }
    authenticator->setUser(credentials->user);
    authenticator->setPassword(credentials->password);
}

void EUtilitiesRequest::onTimeout()
{
    if (!reply)
        return;
    timedOut = true;
    reply->abort(); // finishes the reply, which reports the failure
}

void EUtilitiesRequest::releaseReply()
{
    if (!reply)
        return;
    QNetworkReply* owned = reply;
    reply = nullptr;
    owned->disconnect(this);
    if (manager)
        manager->disconnect(this);
    if (owned->isRunning())
        owned->abort();
    owned->deleteLater();
}
