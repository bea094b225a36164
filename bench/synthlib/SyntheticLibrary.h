#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Writes realistic Olvane libraries of any size for benchmarks and tests.
namespace SyntheticLibrary {

// Raised whenever the output for a given seed changes, so that libraries
// generated earlier and kept on disk are not taken for current ones.
inline constexpr int version = 1;

struct Summary
{
    int liveArticles = 0;    // what the store counts
    int pubmedArticles = 0;  // live PubMed articles
    int userArticles = 0;    // live user articles
    int removedArticles = 0; // PubMed rows marked removed, beyond the live ones
    int favoriteLists = 0;
    qint64 xmlBytes = 0;     // all per-article files together
    qint64 libraryBytes = 0; // library.dat
};

// Writes a library of `articles` live articles, as the program would have
// built it over years of imports:
// - "<preferenceDir>/articles.db" through the program's own store (PubMed
//   articles inserted from their per-article files in one transaction, some
//   user articles, some removed rows), with import times spread over the
//   past years and some marks and memos;
// - "<preferenceDir>/library.dat" with the journal and author trees filed
//   from what the XML reader gives;
// - "<preferenceDir>/favorite.dat" with a few lists of live articles;
// - "<cacheDir>/<pmid>.xml" for every PubMed article, removed ones included.
// The same seed gives the same files. The preference folder must not hold an
// articles.db yet; both folders are created when missing. No value, and the
// reason in `error`, when something could not be written.
std::optional<Summary> generate(int articles, const QString& preferenceDir, const QString& cacheDir,
                                quint32 seed, QString* error = nullptr);

} // namespace SyntheticLibrary
