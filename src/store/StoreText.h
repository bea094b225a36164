#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace StoreText {

// The integer a text begins with, after leading blanks and an optional sign
// ("17", " 17abc" -> 17); no value when no digit follows.
std::optional<qint64> leadingInteger(const QString& text);
// As above for a property-list value: an integer or real number, or a text.
std::optional<qint64> leadingInteger(const QVariant& value);

// The text of a property-list value that is a text or a number; no value for
// anything else (absent, lists, dictionaries, dates, data).
std::optional<QString> textOf(const QVariant& value);

// `text`, or an empty (non-null) text when it is null: stored values are
// never NULL.
inline QString orEmpty(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// The timestamp text of now, as stored in `submitdate` and `lastaccess`.
QString timestampNow();

} // namespace StoreText
