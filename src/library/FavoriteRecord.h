#pragma once

#include "store/ArticleKey.h"

#include <QList>
#include <QString>

// One favorites list: its name as the source list shows it and its articles
// in the order they were added, no key twice.
struct FavoriteList
{
    QString name;
    QList<ArticleKey> list;

    friend bool operator==(const FavoriteList&, const FavoriteList&) = default;
};

// The in-memory form of the favorites file "favorite.dat".
struct FavoriteRecord
{
    QList<FavoriteList> favoriteList;
    QString name = QStringLiteral("Favorite");
    QString type = QStringLiteral("favorite");

    friend bool operator==(const FavoriteRecord&, const FavoriteRecord&) = default;
};
