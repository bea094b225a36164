#pragma once

#include "platform/PropertyList.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>
#include <QVariant>

#include <optional>

// Drag-and-drop formats of the program's own. Every payload is an XML
// property list of the QVariant tree it carries; file names travel as
// text/uri-list (QMimeData::setUrls) and plain text as text/plain.
namespace MimeTypes {

// A list of article keys, each {"ID": ..., "type": ...}.
inline const QString pmid = QStringLiteral("application/x-olvane-pmid");
// A list of nine-entry article maps (PMAuthor, PMTitle, ..., PMIDType).
inline const QString pubmedRecord = QStringLiteral("application/x-olvane-pubmed-record");
// A list of PMID strings.
inline const QString pubmedArticle = QStringLiteral("application/x-olvane-pubmed-article");
// One integer: the row a drag inside a list started from.
inline const QString originalRow = QStringLiteral("application/x-olvane-original-row");

inline QByteArray encode(const QVariant& value)
{
    return PropertyList::toData(value);
}

// The payload of `type`, or no value when the data lacks that format or the
// bytes are not a property list.
inline std::optional<QVariant> decode(const QMimeData* data, const QString& type)
{
    if (data == nullptr || !data->hasFormat(type))
        return std::nullopt;
    return PropertyList::fromData(data->data(type));
}

} // namespace MimeTypes
