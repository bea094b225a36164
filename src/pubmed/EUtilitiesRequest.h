#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

// One GET to the E-utilities. It owns its reply and aborts it when destroyed,
// never follows a redirect, is never answered from a cache, gives up when
// nothing arrives for `idleTimeout`, and asks the user (Panels) for a user
// name and password when the server demands them, at most three times.
//
// The result is the body of whatever response the server completed, whatever
// its HTTP status (a redirect's or an error page's own body included), or no
// value when the request failed: no connection, a connection lost or cut off
// before the body was complete, the time-out, or authentication refused.
class EUtilitiesRequest final : public QObject
{
    Q_OBJECT

public:
    using Progress = std::function<void(qint64 bytesSoFar)>;
    using Finished = std::function<void(std::optional<QByteArray> body)>;

    static constexpr int MaxAuthPrompts = 3;

    EUtilitiesRequest(QNetworkAccessManager* manager, const QUrl& url,
                      std::chrono::milliseconds idleTimeout, QObject* parent = nullptr);
    ~EUtilitiesRequest() override;

    // Sends the request. `progress` sees the running total after each chunk;
    // `finished` is called once, from the event loop, unless the request is
    // destroyed first.
    void start(Progress progress, Finished finished);

private:
    void collect();
    void onFinished();
    void onAuthenticationRequired(QNetworkReply* reply, QAuthenticator* authenticator);
    void onTimeout();
    void releaseReply();

    QPointer<QNetworkAccessManager> manager;
    QUrl url;
    std::chrono::milliseconds idleTimeout;
    QNetworkReply* reply = nullptr;
    QTimer idleTimer;
    QByteArray body;
    Progress progress;
    Finished finished;
    int authPrompts = 0;
    bool authRefused = false;
    bool timedOut = false;
};
