#pragma once

#include "store/ArticleKey.h"

#include <QList>
#include <QStringList>

// The article keys of PubMed articles with these PMIDs, in order.
inline QList<ArticleKey> pmidKeys(const QStringList& ids)
{
    QList<ArticleKey> keys;
    for (const QString& id : ids)
        keys.append(ArticleKey{QStringLiteral("pmid"), id});
    return keys;
}
