#include "library/FavoriteFile.h"

#include "platform/PropertyList.h"

namespace {

bool isKind(const QVariant& value, QMetaType::Type kind)
{
    return value.metaType().id() == kind;
}

std::optional<FavoriteList> listFromVariant(const QVariant& value, QString& why)
{
    const QVariantMap entry = value.toMap();
    const QVariant name = entry.value(QStringLiteral("name"));
    const QVariant keys = entry.value(QStringLiteral("list"));
    if (!isKind(value, QMetaType::QVariantMap) || !isKind(name, QMetaType::QString) ||
        !isKind(keys, QMetaType::QVariantList)) {
        why = QStringLiteral("a list entry is not {\"name\": text, \"list\": array}");
        return std::nullopt;
    }
    FavoriteList list{name.toString(), {}};
    for (const QVariant& element : keys.toList()) {
        const auto key = ArticleKey::fromVariant(element);
        if (!key) {
            why = QStringLiteral("the list \"%1\" holds something that is not an article key")
                      .arg(list.name);
            return std::nullopt;
        }
        list.list.append(*key);
    }
    return list;
}

} // namespace

namespace FavoriteFile {

QVariant toVariant(const FavoriteRecord& record)
{
    QVariantList lists;
    for (const FavoriteList& entry : record.favoriteList) {
        QVariantList keys;
        for (const ArticleKey& key : entry.list)
            keys.append(key.toVariant());
        lists.append(
            QVariantMap{{QStringLiteral("name"), entry.name}, {QStringLiteral("list"), keys}});
    }
    return QVariantMap{{QStringLiteral("favoriteList"), lists},
                       {QStringLiteral("name"), record.name},
                       {QStringLiteral("type"), record.type}};
}

std::optional<FavoriteRecord> fromVariant(const QVariant& root, QString* error)
{
    QString why;
    const QVariantMap map = root.toMap();
    const QVariant lists = map.value(QStringLiteral("favoriteList"));
    const QVariant name = map.value(QStringLiteral("name"), QStringLiteral("Favorite"));
    const QVariant type = map.value(QStringLiteral("type"), QStringLiteral("favorite"));
    FavoriteRecord record;
    if (!isKind(root, QMetaType::QVariantMap)) {
        why = QStringLiteral("the root is not a dictionary");
    } else if (!isKind(lists, QMetaType::QVariantList)) {
        why = QStringLiteral("\"favoriteList\" is missing or not an array");
    } else if (!isKind(name, QMetaType::QString) || !isKind(type, QMetaType::QString)) {
        why = QStringLiteral("\"name\" or \"type\" is not a text");
    } else {
        record.name = name.toString();
        record.type = type.toString();
        for (const QVariant& value : lists.toList()) {
            const auto list = listFromVariant(value, why);
            if (!list)
                break;
            record.favoriteList.append(*list);
        }
    }
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    return record;
}

std::optional<FavoriteRecord> readFile(const QString& path, QString* error)
{
    const auto root = PropertyList::readFile(path, error);
    if (!root)
        return std::nullopt;
    return fromVariant(*root, error);
}

bool writeFile(const QString& path, const FavoriteRecord& record, QString* error)
{
    return PropertyList::writeFile(path, toVariant(record), error);
}

} // namespace FavoriteFile
