#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QTimer>

#include <functional>
#include <optional>

// Spaces the requests the import sends to PubMed by "waitTimeForPubmed"
// seconds without blocking the event loop: a submission runs at once when
// the last request went out at least that long ago, otherwise it waits its
// turn on a timer. Submissions run in the order they were made.
class PubMedPacer final : public QObject
{
    Q_OBJECT

public:
    // Starts one operation and answers whether it sent a request. One that
    // was answered from the cache folder sent nothing and starts no pause.
    using Submission = std::function<bool()>;

    explicit PubMedPacer(QObject* parent = nullptr);

    void submit(Submission submission);

    // Submissions still waiting for their turn.
    qsizetype pending() const { return queue.size(); }
    // When each request went out, in milliseconds since the pacer was made.
    const QList<qint64>& requestTimes() const { return sent; }

private:
    void runDue();
    qint64 remainingPause() const;

    QQueue<Submission> queue;
    QTimer timer;
    QElapsedTimer clock;
    QList<qint64> sent;
    // A submission may call back into the pacer (its completion can show a
    // modal alert whose event loop fires the timer): it is never re-entered.
    bool running = false;
};
