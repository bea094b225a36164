#include "pubmed/SearchReply.h"

#include <QXmlStreamReader>

namespace eutils {

std::optional<SearchResult> readSearchReply(const QByteArray& body)
{
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || xml.name() != u"eSearchResult")
        return std::nullopt;

    std::optional<QString> count, queryKey, webEnv;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        std::optional<QString>* field = name == u"Count"      ? &count
                                        : name == u"QueryKey" ? &queryKey
                                        : name == u"WebEnv"   ? &webEnv
                                                              : nullptr;
        if (field && !field->has_value())
            *field = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else
            xml.skipCurrentElement();
    }
    // Read to the end: a reply that does not parse as a whole is not used.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return std::nullopt;

    if (!count || count->isEmpty() || *count == u"0" || !queryKey || queryKey->isEmpty() ||
        !webEnv || webEnv->isEmpty())
        return std::nullopt;
    return SearchResult{*count, *queryKey, *webEnv};
}

} // namespace eutils
