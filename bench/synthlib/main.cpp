// olvane-synthlib N PREFERENCE_DIR [CACHE_DIR] [--seed S]
// Writes a synthetic library of N articles; the cache folder defaults to
// PREFERENCE_DIR/cache, as the program's own default.
#include "SyntheticLibrary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    quint32 seed = 1;
    const qsizetype seedAt = args.indexOf(QStringLiteral("--seed"));
    if (seedAt >= 0 && seedAt + 1 < args.size()) {
        seed = args.at(seedAt + 1).toUInt();
        args.remove(seedAt, 2);
    }
    bool numeric = false;
    const int articles = args.value(0).toInt(&numeric);
    if (args.size() < 2 || args.size() > 3 || !numeric || articles < 1) {
        std::fprintf(stderr, "usage: olvane-synthlib N PREFERENCE_DIR [CACHE_DIR] [--seed S]\n");
        return 2;
    }
    const QString preferenceDir = args.at(1);
    const QString cacheDir = args.value(2, preferenceDir + QStringLiteral("/cache"));

    QElapsedTimer timer;
    timer.start();
    QString error;
    const auto summary =
        SyntheticLibrary::generate(articles, preferenceDir, cacheDir, seed, &error);
    if (!summary) {
        std::fprintf(stderr, "olvane-synthlib: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%d live articles (%d PubMed, %d user), %d removed, %d favorites lists\n"
                "per-article XML %.1f MB, library.dat %.1f MB, %.1f s\n",
                summary->liveArticles, summary->pubmedArticles, summary->userArticles,
                summary->removedArticles, summary->favoriteLists, double(summary->xmlBytes) / 1e6,
                double(summary->libraryBytes) / 1e6, double(timer.elapsed()) / 1000.0);
    return 0;
}
