#pragma once

#include "library/FavoriteRecord.h"
#include "store/ArticleKey.h"

#include <QList>
#include <QString>
#include <QVariantList>

class PMIDLibrary;

// The user's favorites lists, kept in "<preferenceDir>/favorite.dat" and
// shown from row 2 of the source list on (list index = row - 2). Every change
// rewrites the file. Indexes are 0-based; an index out of range is ignored
// and logged, never acted on.
class MyFavorite final
{
public:
    // Loads the favorites file; without one converts the lists of
    // "libraries.pref" or starts with none; then writes the file. A file that
    // cannot be read is moved aside and the user told; there are then no
    // lists and nothing old is converted.
    MyFavorite();
    MyFavorite(const MyFavorite&) = delete;
    MyFavorite& operator=(const MyFavorite&) = delete;

    void setLibrary(PMIDLibrary* library) { PMIDlib = library; }
    PMIDLibrary* lib() const { return PMIDlib; }

    // Live: callers may change lists in place (a rename in the source list);
    // the change reaches the file with the next write.
    FavoriteRecord& favorite() { return _favorite; }
    QList<FavoriteList>& favoriteList() { return _favorite.favoriteList; }
    int numberOfFavorite() const;
    // Empty for an index out of range.
    QString nameAtIndex(int index) const;
    // The live entry, or null for an index out of range.
    FavoriteList* aFavoriteAtIndex(int index);

    void addNewFavorite(const QString& name);
    // Inserts before the list at `atIndex`; at numberOfFavorite() appends.
    void insertFavorite(const FavoriteList& entry, int atIndex);
    void removeFavoriteAtIndex(int index);
    // Asks the user; removes the list on "Delete". Writes the file either way.
    void removeFavoriteAtIndexWithAlerm(int index);
    // Appends each key the list does not hold yet.
    void addArticle(const QList<ArticleKey>& keys, int ToFavoriteAtIndex);
    void removeArticle(const QList<ArticleKey>& keys, int fromAtIndex);
    void removeArticleFromAllFavorites(const QList<ArticleKey>& keys);

    // Writes "<preferenceDir>/favorite.dat", the folder as the user defaults
    // name it now. Failures are logged; false then.
    bool writeToFile();

    // The record made from the lists of "libraries.pref" (its elements 2 and
    // later), also written to the favorites file. Elements of an unexpected
    // kind are skipped.
    FavoriteRecord convertNewStyle(const QVariantList& old);

    static QString fileName();

private:
    void load(const QString& path);
    bool write(const FavoriteRecord& record);
    bool validIndex(int index, const char* operation) const;

    PMIDLibrary* PMIDlib = nullptr;
    FavoriteRecord _favorite;
    // A file that could not be read nor moved aside: never written this run.
    QString doNotWrite;
};
