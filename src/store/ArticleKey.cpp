#include "store/ArticleKey.h"

#include "store/StoreText.h"

#include <QVariantHash>

QVariantMap ArticleKey::toVariant() const
{
    return {{QStringLiteral("type"), type}, {QStringLiteral("ID"), ID}};
}

std::optional<ArticleKey> ArticleKey::fromVariant(const QVariant& value)
{
    QVariant type;
    QVariant id;
    switch (value.metaType().id()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        type = map.value(QStringLiteral("type"));
        id = map.value(QStringLiteral("ID"));
        break;
    }
    case QMetaType::QVariantHash: {
        const QVariantHash hash = value.toHash();
        type = hash.value(QStringLiteral("type"));
        id = hash.value(QStringLiteral("ID"));
        break;
    }
    default:
        return std::nullopt;
    }
    const auto typeText = StoreText::textOf(type);
    const auto idText = StoreText::textOf(id);
    if (!typeText || !idText)
        return std::nullopt;
    return ArticleKey{*typeText, *idText};
}
