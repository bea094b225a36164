#include "library/PMIDLibrary.h"

#include "library/LegacyLibraries.h"
#include "library/LibraryFile.h"
#include "library/StoredFiles.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "store/accessDB.h"

#include <QFileInfo>

namespace {

const StoredFiles::Part libraryPart{QStringLiteral("library file"),
                                    QStringLiteral("an empty library")};

// A year list of the old file with every PMID turned into a "pmid" key.
QList<ArticleKey> convertedKeys(const QVariant& oldYear)
{
    QList<ArticleKey> keys;
    for (const QVariant& value : oldYear.toList()) {
        if (const auto pmid = LegacyLibraries::pmidText(value))
            keys.append(ArticleKey{QStringLiteral("pmid"), *pmid});
    }
    return keys;
}

// year -> [PMID] of the old file.
YearMap convertedYears(const QVariant& oldYears)
{
    YearMap years;
    const QVariantMap map = LegacyLibraries::mapOf(oldYears);
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (LegacyLibraries::isList(it.value()))
            years.insert(it.key(), convertedKeys(it.value()));
    }
    return years;
}

} // namespace

PMIDLibrary::PMIDLibrary()
{
    const QString preferenceDir =
        UserDefaults::standard().stringForKey(QStringLiteral("preferenceDir"));
    _DB = std::make_unique<accessDB>(preferenceDir);

    const QString path = StoredFiles::pathInPreferenceDir(fileName());
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        load(path);
        writeToFile();
        return;
    }
    const auto old = LegacyLibraries::read();
    if (old)
        _library = convertNewStyle(*old);
    // The old cache is copied into the store only once the converted library
    // is on disk: a start that cannot write it would otherwise copy the same
    // articles again next time.
    if (writeToFile() && old)
        _DB->convertOldCacheFileToDB();
}

PMIDLibrary::~PMIDLibrary() = default;

QString PMIDLibrary::fileName()
{
    return QStringLiteral("library.dat");
}

void PMIDLibrary::load(const QString& path)
{
    QString why;
    if (auto record = LibraryFile::readFile(path, &why)) {
        _library = std::move(*record);
        return;
    }
    if (!StoredFiles::setAsideUnreadable(path, why, libraryPart))
        doNotWrite = path;
}

void PMIDLibrary::updateJournalList(const QString& journal, const QString& type, const QString& id,
                                    const QString& year)
{
    IndexTrees::file(_library.journalList, journal, year, ArticleKey{type, id});
}

void PMIDLibrary::updateAuthorList(const QStringList& authors, const QString& type,
                                   const QString& id, const QString& year)
{
    const ArticleKey key{type, id};
    for (const QString& author : authors)
        IndexTrees::file(_library.authorList, author, year, key);
}

void PMIDLibrary::cleanupLibrary()
{
    IndexTrees::prune(_library.journalList);
    IndexTrees::prune(_library.authorList);
}

void PMIDLibrary::deleteArticle(const ArticleKey& key)
{
    const QList<ArticleRecord> records = _DB->articleInformationOfArticleIDs({key});
    if (records.isEmpty()) {
        Log::message(QStringLiteral("article %1 %2 is not in the database; nothing is deleted")
                         .arg(key.type, key.ID));
        return;
    }
    const ArticleRecord& record = records.first();
    for (const QString& author : authors(key))
        IndexTrees::remove(_library.authorList, author, record.year, key.ID);
    IndexTrees::remove(_library.journalList, record.journal, record.year, key.ID);
    cleanupLibrary();
    writeToFile();
    _DB->removeArtilce(key);
}

bool PMIDLibrary::writeToFile()
{
    return StoredFiles::write(fileName(), doNotWrite, [this](const QString& path, QString* why) {
        return LibraryFile::writeFile(path, _library, why);
    });
}

LibraryRecord PMIDLibrary::convertNewStyle(const QVariantList& old)
{
    LibraryRecord record;
    const QVariantMap trees = LegacyLibraries::mapOf(old.value(0));

    // The author tree already has its initials.
    const QVariantMap authors = LegacyLibraries::mapOf(trees.value(QStringLiteral("authorList")));
    for (auto initial = authors.cbegin(); initial != authors.cend(); ++initial) {
        const QVariantMap names = LegacyLibraries::mapOf(initial.value());
        for (auto name = names.cbegin(); name != names.cend(); ++name)
            record.authorList[initial.key()][name.key()] = convertedYears(name.value());
    }

    // The journal tree gains one: "Nature" and "nature" both go under "N".
    const QVariantMap journals = LegacyLibraries::mapOf(trees.value(QStringLiteral("journalList")));
    for (auto journal = journals.cbegin(); journal != journals.cend(); ++journal) {
        const QString initial = IndexTrees::initialOf(journal.key());
        if (!initial.isEmpty())
            record.journalList[initial][journal.key()] = convertedYears(journal.value());
    }

    IndexTrees::prune(record.journalList);
    IndexTrees::prune(record.authorList);
    return record;
}

QList<ArticleKey> PMIDLibrary::articlesInLibraries()
{
    const QString display =
        UserDefaults::standard().stringForKey(QStringLiteral("DisplayOfLibrary"));
    if (display == u"All in Library")
        return _DB->allArticleIDs();
    return _DB->searchImportedRecentlyIDs();
}

QList<ArticleKey> PMIDLibrary::articles(const BrowserSelection& selection,
                                        const QString& inListName) const
{
    const IndexTree* tree = nullptr;
    if (inListName == u"journalList")
        tree = &_library.journalList;
    else if (inListName == u"authorList")
        tree = &_library.authorList;
    if (!tree || !selection.initial)
        return {};
    return IndexTrees::keysUnder(*tree, *selection.initial, selection.name, selection.year);
}

std::optional<QList<ArticleKey>> PMIDLibrary::searchInLibraries(const QString& text)
{
    return _DB->searchArticleIDs(text);
}

std::optional<QList<ArticleKey>> PMIDLibrary::searchInFavorite(const QString& text,
                                                               const QList<ArticleKey>& idAndTypes)
{
    return _DB->searchArticleIDs(text, idAndTypes);
}

QList<ArticleKey> PMIDLibrary::searchImportedRecentlyIDs()
{
    return _DB->searchImportedRecentlyIDs();
}

QString PMIDLibrary::abstract(const ArticleKey& key)
{
    return _DB->abstract(key);
}

QStringList PMIDLibrary::authors(const ArticleKey& key)
{
    return _DB->authorsAsArray(key);
}

QStringList PMIDLibrary::journals()
{
    return _DB->journals();
}
