#pragma once

#include "library/LibraryRecord.h"
#include "library/PubMedPacer.h"
#include "store/ArticleKey.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class accessDB;
struct MultiArticleResult;

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

    // --- Import (PMIDLibraryImport.cpp) ---

    bool haveArticle(const ArticleKey& key);
    // The same test inside an open transaction bracket of DB().
    bool haveArticleWithoutOpen(const ArticleKey& key);
    // True when the text's leading integer is not 0.
    static bool checkPMID(const QString& text);
    // True for a PMID that may be sent to PubMed: decimal digits without a
    // leading zero. Anything else would spoil the whole request it joins.
    static bool isPMID(const QString& text);
    // The PMID of a file: its name with the first ".pdf" removed; no value
    // for a name without ".pdf".
    static std::optional<QString> pmidOfFile(const QString& path);

    // Submits one batch (at most 100 PMIDs) through the pacer; the PDFs lie
    // in `inDirectory`. Names that are no PMID are never sent: they go
    // straight to the batch's "fail" list. Returns true.
    bool addArticlesOfPDFFiles(const QStringList& pmids, const QString& inDirectory);
    // The completion of a batch: imports every PMID of "success" inside one
    // transaction bracket, writes the library file once and posts
    // "importArticleDone" (multi). A PMID whose XML file cannot be read is
    // skipped and reported in "fail".
    void importArticlesInfomationFromXMLofPMIDPDF(std::optional<MultiArticleResult> result);

    // Imports one PDF named by its PMID: at once when its XML file is in the
    // cache folder, else after fetching it through the pacer. False when the
    // name gives no PMID.
    bool addArticlePDFFile(const QString& path);
    // The completion of a single PDF: imports it inside a bracket, writes
    // the library file and posts "importArticleDone" (single).
    std::optional<QString> importArticleInfomationFromXMLofPMIDPDF(std::optional<QString> path);

    // Bracketed. Reads the PMID's XML file, places the PDF, files the article
    // in both trees and writes its row. No value (and "file not exist??"
    // logged) when the XML file is missing or unreadable; nothing is then
    // written.
    std::optional<QString> importAnArticle(const QString& path);
    // Where the article's PDF is kept: the paper folder ("User/" for other
    // types) when "copyPDFtoFolder" is set, else the file where it is. No
    // value when the source is missing or unreadable. A copy that fails
    // leaves no partial file and answers the source path; the source is never
    // moved or changed.
    std::optional<QString> copyPDFtoOlvaneFolder(const QString& path, const QString& type);
    // The PDF path the store holds for a live article; no value when it has
    // none ("none" or empty). Works inside and outside a bracket.
    std::optional<QString> storedFilePath(const ArticleKey& key);

    // Fetches the XML files of `pmids` into the cache folder through the
    // pacer; `receiver` is called once, unless this library is gone by then.
    using MultiReceiver = std::function<void(std::optional<MultiArticleResult>)>;
    void fetchArticles(const QStringList& pmids, const QString& pdfDirectory,
                       MultiReceiver receiver);

    // Every request the import sends goes through this one pacer.
    PubMedPacer& pacer();

private:
    // The batch completion; "fail" is listed in the order of `requested`.
    void importBatch(std::optional<MultiArticleResult> result, const QStringList& requested);
    // Loads the library file, or sets an unreadable one aside.
    void load(const QString& path);

    std::unique_ptr<accessDB> _DB;
    LibraryRecord _library;
    // A file that could not be read nor moved aside: never written this run.
    QString doNotWrite;
    // Last, so that it goes first: requests still waiting or running then
    // never call back into a half-destroyed library.
    std::unique_ptr<PubMedPacer> _pacer;
};
