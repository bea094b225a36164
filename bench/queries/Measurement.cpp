#include "Measurement.h"

#include <cstdio>

bool runInTurns(QList<Measurement>& measurements, int runs)
{
    for (int run = 0; run < runs; ++run) {
        for (Measurement& m : measurements) {
            if (m.prepare)
                m.prepare();
            m.ours.add(m.timedWork ? m.timedWork() : secondsOf(m.work));
            if (m.check)
                m.failure = m.check();
            if (!m.failure.isEmpty()) {
                std::fprintf(stderr, "bench_queries: %s: %s\n", qPrintable(m.name),
                             qPrintable(m.failure));
                return false;
            }
            if (!m.reference)
                continue;
            if (const auto seconds = m.reference->time()) {
                m.theirs.add(*seconds);
            } else {
                std::fprintf(stderr, "bench_queries: %s: the reference %s failed; no reference\n",
                             qPrintable(m.name), qPrintable(m.reference->program));
                m.reference.reset();
            }
        }
    }
    return true;
}

void reportAll(const QList<Measurement>& measurements)
{
    for (const Measurement& m : measurements)
        reportResult(m.name, m.ours.seconds().value_or(0), m.unit,
                     m.reference ? m.theirs.seconds() : std::nullopt);
}
