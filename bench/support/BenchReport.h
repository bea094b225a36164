#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <optional>

// One benchmark result as one JSON line on standard output:
// {"name": ..., "value": ..., "unit": ..., "reference": ..., "ratio": ...}
// reference is the limit or peer measured in the same run (null when none),
// ratio = value / reference.
inline void reportResult(const QString& name, double value, const QString& unit,
                         std::optional<double> reference = std::nullopt)
{
    QString line = QStringLiteral("{\"name\": \"%1\", \"value\": %2, \"unit\": \"%3\", ")
                       .arg(name, QString::number(value, 'g', 6), unit);
    if (reference && *reference > 0)
        line += QStringLiteral("\"reference\": %1, \"ratio\": %2}")
                    .arg(QString::number(*reference, 'g', 6),
                         QString::number(value / *reference, 'g', 4));
    else
        line += QStringLiteral("\"reference\": null, \"ratio\": null}");
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Wall-clock seconds of one call.
template <typename Work> double secondsOf(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

// The shortest of several timings.
class BestTime
{
public:
    void add(double seconds)
    {
        if (!best || seconds < *best)
            best = seconds;
    }
    std::optional<double> seconds() const { return best; }

private:
    std::optional<double> best;
};
