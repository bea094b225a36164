#include "store/StoreText.h"

#include "platform/CalendarDate.h"

#include <limits>

namespace StoreText {

std::optional<qint64> leadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    const qsizetype firstDigit = i;
    qint64 value = 0;
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        const int digit = text.at(i).unicode() - u'0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (i == firstDigit)
        return std::nullopt;
    return negative ? -value : value;
}

namespace {

// The number types a stored value may come as.
bool isNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<qint64> leadingInteger(const QVariant& value)
{
    if (isNumber(value))
        return value.toLongLong();
    if (value.metaType().id() == QMetaType::QString)
        return leadingInteger(value.toString());
    return std::nullopt;
}

std::optional<QString> textOf(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QString)
        return orEmpty(value.toString());
    if (isNumber(value))
        return value.toString();
    return std::nullopt;
}

QString timestampNow()
{
    return CalendarDate::description(CalendarDate::now());
}

} // namespace StoreText
