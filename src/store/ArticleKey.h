#pragma once

#include <QHashFunctions>
#include <QString>
#include <QTypeInfo>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// Names one article everywhere in the program: the ID type ("pmid", "User",
// or a type chosen in the information panel) and the ID as text. Two keys are
// equal when both parts are; one ID under two types names two articles.
struct ArticleKey
{
    QString type;
    QString ID;

    friend bool operator==(const ArticleKey&, const ArticleKey&) = default;

    // {"type": type, "ID": ID}
    QVariantMap toVariant() const;
    // Any map holding "type" and "ID" serves (an article record does); other
    // entries are ignored. No value when either is missing or is not a text or
    // a number.
    static std::optional<ArticleKey> fromVariant(const QVariant& value);
};

Q_DECLARE_TYPEINFO(ArticleKey, Q_RELOCATABLE_TYPE);

inline size_t qHash(const ArticleKey& key, size_t seed = 0) noexcept
{
    return qHashMulti(seed, key.type, key.ID);
}
