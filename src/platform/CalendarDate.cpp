#include "CalendarDate.h"

#include <QTimeZone>

#include <array>

namespace {

constexpr std::array<const char*, 12> monthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString zoneOffset(const QDateTime& date)
{
    const int seconds = date.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Reads exactly `count` digits at `pos`.
bool readDigits(const QString& text, qsizetype& pos, int count, int& value)
{
    value = 0;
    for (int i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size() || !text.at(pos).isDigit() || text.at(pos).unicode() > '9')
            return false;
        value = value * 10 + (text.at(pos).unicode() - '0');
    }
    return true;
}

} // namespace

namespace CalendarDate {

QDateTime now()
{
    QDateTime date = QDateTime::currentDateTime();
    date.setTime(QTime(date.time().hour(), date.time().minute(), date.time().second()));
    return date;
}

QString format(const QDateTime& date, const QString& format)
{
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != '%' || i + 1 >= format.size()) {
            out.append(c);
            continue;
        }
        switch (format.at(++i).unicode()) {
        case 'Y':
            out.append(QString::number(date.date().year()));
            break;
        case 'm':
            out.append(twoDigits(date.date().month()));
            break;
        case 'd':
            out.append(twoDigits(date.date().day()));
            break;
        case 'H':
            out.append(twoDigits(date.time().hour()));
            break;
        case 'M':
            out.append(twoDigits(date.time().minute()));
            break;
        case 'S':
            out.append(twoDigits(date.time().second()));
            break;
        case 'z':
            out.append(zoneOffset(date));
            break;
        case 'Z': {
            const QString abbreviation = date.timeZoneAbbreviation();
            out.append(abbreviation.isEmpty() ? zoneOffset(date) : abbreviation);
            break;
        }
        case 'b':
            out.append(QLatin1String(monthNames[date.date().month() - 1]));
            break;
        case '%':
            out.append(QLatin1Char('%'));
            break;
        default:
            out.append(QLatin1Char('%')).append(format.at(i));
        }
    }
    return out;
}

QString description(const QDateTime& date)
{
    return format(date, QLatin1String(defaultFormat));
}

QDateTime parse(const QString& text, const QString& format)
{
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    std::optional<int> offsetSeconds;
    qsizetype pos = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != '%' || i + 1 >= format.size()) {
            if (pos >= text.size() || text.at(pos) != c)
                return {};
            ++pos;
            continue;
        }
        bool ok = true;
        switch (format.at(++i).unicode()) {
        case 'Y':
            ok = readDigits(text, pos, 4, year);
            break;
        case 'm':
            ok = readDigits(text, pos, 2, month);
            break;
        case 'd':
            ok = readDigits(text, pos, 2, day);
            break;
        case 'H':
            ok = readDigits(text, pos, 2, hour);
            break;
        case 'M':
            ok = readDigits(text, pos, 2, minute);
            break;
        case 'S':
            ok = readDigits(text, pos, 2, second);
            break;
        case 'b': {
            ok = false;
            for (int m = 0; m < 12 && !ok; ++m) {
                if (text.mid(pos, 3).compare(QLatin1String(monthNames[m]), Qt::CaseInsensitive) ==
                    0) {
                    month = m + 1;
                    pos += 3;
                    ok = true;
                }
            }
            break;
        }
        case 'z': {
            if (pos >= text.size() || (text.at(pos) != '+' && text.at(pos) != '-'))
                return {};
            const int sign = text.at(pos++) == '-' ? -1 : 1;
            int hours = 0, minutes = 0;
            ok = readDigits(text, pos, 2, hours) && readDigits(text, pos, 2, minutes);
            offsetSeconds = sign * (hours * 3600 + minutes * 60);
            break;
        }
        case '%':
            ok = pos < text.size() && text.at(pos++) == '%';
            break;
        default:
            return {}; // %Z and unknown directives cannot be read back
        }
        if (!ok)
            return {};
    }
    if (pos != text.size())
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return {};
    if (offsetSeconds)
        return QDateTime(date, time, QTimeZone(*offsetSeconds));
    return QDateTime(date, time);
}

QDateTime fromDescription(const QString& text)
{
    return parse(text, QLatin1String(defaultFormat));
}

} // namespace CalendarDate
