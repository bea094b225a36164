#pragma once

#include <QDateTime>
#include <QString>

// Calendar dates and their text forms. Formats use strftime-style directives:
// %Y %m %d %H %M %S %z (+0900) %Z (zone abbreviation) %b (English month
// abbreviation) and %% ; any other character stands for itself.
namespace CalendarDate {

inline constexpr const char* defaultFormat = "%Y-%m-%d %H:%M:%S %z";

// Local now, to the second.
QDateTime now();

QString format(const QDateTime& date, const QString& format);
// The default text form, e.g. "2006-03-15 14:22:01 +0900".
QString description(const QDateTime& date);

// Parses `text` against a format of the directives above (%Z is not
// accepted). Gives an invalid QDateTime when the text does not match.
QDateTime parse(const QString& text, const QString& format);
QDateTime fromDescription(const QString& text);

} // namespace CalendarDate
