#pragma once

#include "store/ArticleKey.h"

#include <QString>
#include <QTypeInfo>
#include <QVariantMap>

#include <optional>

// One article's fields as the store's queries return them, each the text
// stored in its column. The abstract is read on its own.
struct ArticleRecord
{
    QString OlvaneID;
    QString mark;
    QString authors;
    QString title;
    QString journal;
    QString year;
    QString volume;
    QString number;
    QString pages;
    QString type;
    QString ID;
    QString filepath;
    QString submitDate;
    QString memo;

    friend bool operator==(const ArticleRecord&, const ArticleRecord&) = default;

    ArticleKey key() const { return ArticleKey{type, ID}; }

    // Keyed "OlvaneID", "mark", "authors", "title", "journal", "year",
    // "volume", "number", "pages", "type", "ID", "filepath", "submitDate",
    // "memo"; the map also serves as the article's key.
    QVariantMap toVariant() const;
    // Missing entries become empty text.
    static ArticleRecord fromVariant(const QVariantMap& map);

    // The member a key of toVariant() names; no value for any other text.
    using Field = QString ArticleRecord::*;
    static std::optional<Field> fieldNamed(const QString& key);
};

// Only QStrings inside: a list of 100,000 records grows by moving memory
// instead of moving each record.
Q_DECLARE_TYPEINFO(ArticleRecord, Q_RELOCATABLE_TYPE);
