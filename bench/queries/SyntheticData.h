#pragma once

#include <QString>

// A generated library kept under the benchmark build folder,
// "synthetic/<articles>-<generator version>/": its preference folder
// ("Olvane") holds articles.db, library.dat and favorite.dat, its cache folder
// the per-article XML files.
struct SyntheticData
{
    QString preferenceDir;
    QString cacheDir;
};

// The library of `articles` articles, generated now when no complete one is
// there yet (a partial one left by an interrupted run is removed first).
// Empty paths, and a line on standard error, when it cannot be made.
SyntheticData syntheticLibrary(int articles);
