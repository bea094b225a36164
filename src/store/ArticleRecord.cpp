#include "store/ArticleRecord.h"

#include <array>
#include <utility>

namespace {

using Field = ArticleRecord::Field;

// The record's keys, in column order.
const std::array<std::pair<const char*, Field>, 14> fields{{
    {"OlvaneID", &ArticleRecord::OlvaneID},
    {"mark", &ArticleRecord::mark},
    {"authors", &ArticleRecord::authors},
    {"title", &ArticleRecord::title},
    {"journal", &ArticleRecord::journal},
    {"year", &ArticleRecord::year},
    {"volume", &ArticleRecord::volume},
    {"number", &ArticleRecord::number},
    {"pages", &ArticleRecord::pages},
    {"type", &ArticleRecord::type},
    {"ID", &ArticleRecord::ID},
    {"filepath", &ArticleRecord::filepath},
    {"submitDate", &ArticleRecord::submitDate},
    {"memo", &ArticleRecord::memo},
}};

} // namespace

QVariantMap ArticleRecord::toVariant() const
{
    QVariantMap map;
    for (const auto& [name, field] : fields)
        map.insert(QString::fromLatin1(name), this->*field);
    return map;
}

ArticleRecord ArticleRecord::fromVariant(const QVariantMap& map)
{
    ArticleRecord record;
    for (const auto& [name, field] : fields)
        record.*field = map.value(QString::fromLatin1(name)).toString();
    return record;
}

std::optional<ArticleRecord::Field> ArticleRecord::fieldNamed(const QString& key)
{
    for (const auto& [name, field] : fields) {
        if (key == QLatin1StringView(name))
            return field;
    }
    return std::nullopt;
}
