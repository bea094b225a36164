#include "store/UserArticleEntry.h"

#include <array>
#include <utility>

namespace {

using Field = QString UserArticleEntry::*;

const std::array<std::pair<const char*, Field>, 13> fields{{
    {"uniqueID", &UserArticleEntry::uniqueID},
    {"authors", &UserArticleEntry::authors},
    {"title", &UserArticleEntry::title},
    {"journal", &UserArticleEntry::journal},
    {"year", &UserArticleEntry::year},
    {"volume", &UserArticleEntry::volume},
    {"number", &UserArticleEntry::number},
    {"pages", &UserArticleEntry::pages},
    {"type", &UserArticleEntry::type},
    {"id", &UserArticleEntry::id},
    {"PDFpath", &UserArticleEntry::PDFpath},
    {"memo", &UserArticleEntry::memo},
    {"abstract", &UserArticleEntry::abstract},
}};

} // namespace

QVariantMap UserArticleEntry::toVariant() const
{
    QVariantMap map;
    for (const auto& [name, field] : fields)
        map.insert(QString::fromLatin1(name), this->*field);
    return map;
}

UserArticleEntry UserArticleEntry::fromVariant(const QVariantMap& map)
{
    UserArticleEntry entry;
    for (const auto& [name, field] : fields)
        entry.*field = map.value(QString::fromLatin1(name)).toString();
    return entry;
}
