#include "library/PubMedPacer.h"

#include "platform/UserDefaults.h"

#include <algorithm>

namespace {

// Longest pause honoured, so that a mistyped setting cannot overflow the timer.
constexpr qint64 maxPauseSeconds = 3600;

qint64 pauseMilliseconds()
{
    const qint64 seconds =
        UserDefaults::standard().integerForKey(QStringLiteral("waitTimeForPubmed"));
    return std::clamp<qint64>(seconds, 0, maxPauseSeconds) * 1000;
}

} // namespace

PubMedPacer::PubMedPacer(QObject* parent) : QObject(parent)
{
    clock.start();
    timer.setSingleShot(true);
    // A coarse timer may fire early, which would shorten the pause.
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &PubMedPacer::runDue);
}

void PubMedPacer::submit(Submission submission)
{
    queue.enqueue(std::move(submission));
    if (!timer.isActive())
        runDue();
}

qint64 PubMedPacer::remainingPause() const
{
    if (sent.isEmpty())
        return 0;
    return std::max<qint64>(0, sent.last() + pauseMilliseconds() - clock.elapsed());
}

void PubMedPacer::runDue()
{
    if (running)
        return;
    while (!queue.isEmpty()) {
        const qint64 wait = remainingPause();
        if (wait > 0) {
            timer.start(int(wait));
            return;
        }
        const Submission next = queue.dequeue();
        running = true;
        const bool requested = next();
        running = false;
        if (requested)
            sent.append(clock.elapsed());
    }
}
