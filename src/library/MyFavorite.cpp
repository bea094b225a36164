#include "library/MyFavorite.h"

#include "library/FavoriteFile.h"
#include "library/LegacyLibraries.h"
#include "library/StoredFiles.h"
#include "platform/Log.h"
#include "platform/Panels.h"

#include <QFileInfo>

namespace {

const StoredFiles::Part favoritesPart{QStringLiteral("favorites file"),
                                      QStringLiteral("no favorites lists")};

void appendUnlessPresent(QList<ArticleKey>& list, const ArticleKey& key)
{
    if (!list.contains(key))
        list.append(key);
}

void removeAll(QList<ArticleKey>& list, const QList<ArticleKey>& keys)
{
    for (const ArticleKey& key : keys)
        list.removeAll(key);
}

// An old list: {"LibraryName": text, "Articles": [PMID]}. An element with
// neither is not a list.
std::optional<FavoriteList> convertedList(const QVariant& old)
{
    const QVariantMap map = LegacyLibraries::mapOf(old);
    const QVariant name = map.value(QStringLiteral("LibraryName"));
    const QVariant articles = map.value(QStringLiteral("Articles"));
    if (!name.isValid() && !articles.isValid())
        return std::nullopt;
    FavoriteList list;
    list.name =
        name.metaType().id() == QMetaType::QString ? name.toString() : QStringLiteral("Favorite");
    for (const QVariant& value : articles.toList()) {
        if (const auto pmid = LegacyLibraries::pmidText(value))
            appendUnlessPresent(list.list, ArticleKey{QStringLiteral("pmid"), *pmid});
    }
    return list;
}

} // namespace

MyFavorite::MyFavorite()
{
    const QString path = StoredFiles::pathInPreferenceDir(fileName());
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        load(path);
    } else if (const auto old = LegacyLibraries::read()) {
        _favorite = convertNewStyle(*old);
    }
    writeToFile();
}

QString MyFavorite::fileName()
{
    return QStringLiteral("favorite.dat");
}

void MyFavorite::load(const QString& path)
{
    QString why;
    if (auto record = FavoriteFile::readFile(path, &why)) {
        _favorite = std::move(*record);
        return;
    }
    if (!StoredFiles::setAsideUnreadable(path, why, favoritesPart))
        doNotWrite = path;
}

bool MyFavorite::validIndex(int index, const char* operation) const
{
    if (index >= 0 && index < numberOfFavorite())
        return true;
    Log::message(QStringLiteral("%1: no favorites list at index %2 (%3 lists); ignored")
                     .arg(QLatin1StringView(operation))
                     .arg(index)
                     .arg(numberOfFavorite()));
    return false;
}

int MyFavorite::numberOfFavorite() const
{
    return int(_favorite.favoriteList.size());
}

QString MyFavorite::nameAtIndex(int index) const
{
    return validIndex(index, "nameAtIndex") ? _favorite.favoriteList.at(index).name : QString();
}

FavoriteList* MyFavorite::aFavoriteAtIndex(int index)
{
    return validIndex(index, "aFavoriteAtIndex") ? &_favorite.favoriteList[index] : nullptr;
}

void MyFavorite::addNewFavorite(const QString& name)
{
    _favorite.favoriteList.append(FavoriteList{name, {}});
    writeToFile();
}

void MyFavorite::insertFavorite(const FavoriteList& entry, int atIndex)
{
    if (atIndex != numberOfFavorite() && !validIndex(atIndex, "insertFavorite"))
        return;
    _favorite.favoriteList.insert(atIndex, entry);
    writeToFile();
}

void MyFavorite::removeFavoriteAtIndex(int index)
{
    if (!validIndex(index, "removeFavoriteAtIndex"))
        return;
    _favorite.favoriteList.removeAt(index);
    writeToFile();
}

void MyFavorite::removeFavoriteAtIndexWithAlerm(int index)
{
    if (!validIndex(index, "removeFavoriteAtIndexWithAlerm"))
        return;
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = QStringLiteral("Delete");
    alert.informativeText = QStringLiteral("Delete %1").arg(nameAtIndex(index));
    alert.defaultButton = QStringLiteral("Cancel");
    alert.alternateButton = QStringLiteral("Delete");
    if (Panels::shared().runAlert(alert) == AlertResponse::Alternate)
        _favorite.favoriteList.removeAt(index);
    writeToFile();
}

void MyFavorite::addArticle(const QList<ArticleKey>& keys, int ToFavoriteAtIndex)
{
    if (!validIndex(ToFavoriteAtIndex, "addArticle"))
        return;
    QList<ArticleKey>& list = _favorite.favoriteList[ToFavoriteAtIndex].list;
    for (const ArticleKey& key : keys)
        appendUnlessPresent(list, key);
    writeToFile();
}

void MyFavorite::removeArticle(const QList<ArticleKey>& keys, int fromAtIndex)
{
    if (!validIndex(fromAtIndex, "removeArticle"))
        return;
    removeAll(_favorite.favoriteList[fromAtIndex].list, keys);
    writeToFile();
}

void MyFavorite::removeArticleFromAllFavorites(const QList<ArticleKey>& keys)
{
    for (FavoriteList& entry : _favorite.favoriteList)
        removeAll(entry.list, keys);
    writeToFile();
}

bool MyFavorite::writeToFile()
{
    return write(_favorite);
}

bool MyFavorite::write(const FavoriteRecord& record)
{
    return StoredFiles::write(fileName(), doNotWrite, [&record](const QString& path, QString* why) {
        return FavoriteFile::writeFile(path, record, why);
    });
}

FavoriteRecord MyFavorite::convertNewStyle(const QVariantList& old)
{
    FavoriteRecord record;
    for (qsizetype i = 2; i < old.size(); ++i) {
        if (auto list = convertedList(old.at(i)))
            record.favoriteList.append(std::move(*list));
        else
            Log::message(
                QStringLiteral("libraries.pref: element %1 is not a list; skipped").arg(i));
    }
    // Written at once; the caller keeps the record.
    write(record);
    return record;
}
