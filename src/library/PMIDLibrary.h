#pragma once

#include "library/LibraryRecord.h"
#include "store/ArticleKey.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <memory>
#include <optional>

class accessDB;

// What the author/journal browser has selected: one optional text per
// column (initial, name, year).
struct BrowserSelection
{
    std::optional<QString> initial;
    std::optional<QString> name;
    std::optional<QString> year;
};

// The library model: owns the article store and the library file
// "<preferenceDir>/library.dat" with its journal and author index trees.
// One instance lives for the whole run; everything runs on the main thread.
class PMIDLibrary final
{
public:
    // Creates the store for the current preference folder, then loads the
    // library file; without one it converts "libraries.pref" (and the old
    // per-article cache) or starts empty; then writes the library file.
    // A library file that cannot be read is moved aside and the user told;
    // the library then starts empty and nothing old is converted.
    PMIDLibrary();
    ~PMIDLibrary();
    PMIDLibrary(const PMIDLibrary&) = delete;
    PMIDLibrary& operator=(const PMIDLibrary&) = delete;

    accessDB& DB() { return *_DB; }

    // The record and its trees, live: callers change them in place and must
    // not keep references across operations that change them.
    LibraryRecord& library() { return _library; }
    const QString& libraryName() const { return _library.name; }
    IndexTree& journalList() { return _library.journalList; }
    IndexTree& authorList() { return _library.authorList; }

    // File one article under its journal / under each of its authors. An
    // empty name is not filed; a year that already lists the ID gains
    // nothing. Neither writes the file.
    void updateJournalList(const QString& journal, const QString& type, const QString& id,
                           const QString& year);
    void updateAuthorList(const QStringList& authors, const QString& type, const QString& id,
                          const QString& year);
    // Drops empty years, then names, then initials, in both trees.
    void cleanupLibrary();
    // Removes the article from both trees under the journal, authors and year
    // the store holds for it now, rewrites the library file and marks the
    // store's row removed. An article the store does not hold changes nothing.
    void deleteArticle(const ArticleKey& key);
    // Writes the library file to "<preferenceDir>/library.dat", the folder as
    // the user defaults name it now. Failures are logged; false then.
    bool writeToFile();

    // The record made from the root array of "libraries.pref": its author
    // tree as it was, its journal tree gaining the initial level, every PMID
    // turned into a "pmid" key. Parts of an unexpected kind are skipped.
    static LibraryRecord convertNewStyle(const QVariantList& old);

    // What the library row shows: every article when "DisplayOfLibrary" is
    // "All in Library", else the recently imported ones.
    QList<ArticleKey> articlesInLibraries();
    // The keys under the browser's selection in "journalList" or
    // "authorList"; empty for any other list name.
    QList<ArticleKey> articles(const BrowserSelection& selection, const QString& inListName) const;

    std::optional<QList<ArticleKey>> searchInLibraries(const QString& text);
    std::optional<QList<ArticleKey>> searchInFavorite(const QString& text,
                                                      const QList<ArticleKey>& idAndTypes);
    QList<ArticleKey> searchImportedRecentlyIDs();
    QString abstract(const ArticleKey& key);
    QStringList authors(const ArticleKey& key);
    QStringList journals();

    static QString fileName();

private:
    // Loads the library file, or sets an unreadable one aside.
    void load(const QString& path);

    std::unique_ptr<accessDB> _DB;
    LibraryRecord _library;
    // A file that could not be read nor moved aside: never written this run.
    QString doNotWrite;
};
