#pragma once

#include "BenchReport.h"
#include "ReferenceCommand.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One measured operation and the reference it is compared with.
struct Measurement
{
    QString name;
    std::function<void()> prepare; // untimed, before each run; may be empty
    std::function<void()> work;    // timed
    // In place of `work`, for an operation that times its own part: gives
    // the seconds of that part.
    std::function<double()> timedWork;
    // Untimed, after each run: empty text when the result is right, else
    // what is wrong with it.
    std::function<QString()> check;
    std::optional<ReferenceCommand> reference;
    QString unit = QStringLiteral("s");

    BestTime ours;
    BestTime theirs;
    QString failure; // set when a run gave a wrong result
};

// Runs every measurement `runs` times, taking turns (ours, then its
// reference, then the next measurement), so that a busy machine slows both
// sides alike; keeps the best time of each side. False when a result was
// wrong (the reason is in the measurement's failure).
bool runInTurns(QList<Measurement>& measurements, int runs);

// Prints one JSON line per measurement; the reference is null when it could
// not be timed.
void reportAll(const QList<Measurement>& measurements);
