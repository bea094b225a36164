#pragma once

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

// A small deterministic random source (SplitMix64). The standard library's
// distributions differ between implementations; everything here is spelled
// out, so a seed gives the same library on every machine.
class Random
{
public:
    explicit Random(quint64 seed) : state(seed) {}

    quint64 next()
    {
        quint64 z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // A fresh, independent source for one purpose.
    Random fork() { return Random(next()); }

    // Uniform in [0, n); 0 for n == 0.
    quint32 below(quint32 n) { return quint32(((next() >> 32) * quint64(n)) >> 32); }
    // Uniform in [low, high].
    int between(int low, int high) { return low + int(below(quint32(high - low + 1))); }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double probability) { return unit() < probability; }
    // 1 + an exponentially distributed count with the given mean over 1,
    // capped at `most`.
    int countAround(double mean, int most)
    {
        const int value = 1 + int(-std::log(1.0 - unit()) * (mean - 1.0));
        return value < most ? value : most;
    }

    template <typename T> const T& pick(const QList<T>& list)
    {
        return list.at(below(quint32(list.size())));
    }

private:
    quint64 state;
};

// Picks ranks 0..n-1 with Zipf-like popularity: rank r has weight 1/(r+1)^s.
class ZipfPicker
{
public:
    ZipfPicker(int n, double s)
    {
        cumulative.reserve(n);
        double total = 0;
        for (int rank = 0; rank < n; ++rank) {
            total += 1.0 / std::pow(rank + 1, s);
            cumulative.append(total);
        }
    }

    int pick(Random& random) const
    {
        const double target = random.unit() * cumulative.last();
        const auto found = std::upper_bound(cumulative.cbegin(), cumulative.cend(), target);
        const qsizetype rank = found - cumulative.cbegin();
        return int(rank < cumulative.size() ? rank : cumulative.size() - 1);
    }

private:
    QList<double> cumulative;
};
