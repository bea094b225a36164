#include "SyntheticData.h"

#include "SyntheticLibrary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

constexpr quint32 seed = 1;

} // namespace

SyntheticData syntheticLibrary(int articles)
{
    const QString folder =
        QStringLiteral(OLVANE_SYNTHETIC_DIR "/%1-%2").arg(articles).arg(SyntheticLibrary::version);
    const SyntheticData data{folder + QStringLiteral("/Olvane"),
                             folder + QStringLiteral("/Olvane/cache")};
    // Written last: its presence means the library is complete.
    const QString marker = folder + QStringLiteral("/complete");
    if (QFile::exists(marker))
        return data;

    QDir(folder).removeRecursively();
    std::fprintf(stderr, "bench_queries: generating %d articles into %s\n", articles,
                 qPrintable(folder));
    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto summary =
        SyntheticLibrary::generate(articles, data.preferenceDir, data.cacheDir, seed, &error);
    QFile done(marker);
    if (!summary || !done.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_queries: cannot generate the library: %s\n",
                     qPrintable(summary ? done.errorString() : error));
        return {};
    }
    std::fprintf(stderr,
                 "bench_queries: %d live articles (%d user), %d removed, library.dat %.1f MB, "
                 "XML %.1f MB, in %.1f s\n",
                 summary->liveArticles, summary->userArticles, summary->removedArticles,
                 double(summary->libraryBytes) / 1e6, double(summary->xmlBytes) / 1e6,
                 double(timer.elapsed()) / 1000.0);
    return data;
}
