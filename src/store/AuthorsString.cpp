// Splitting an authors string back into author entries.
#include "store/accessDB.h"

namespace {

const QString separator = QStringLiteral(", ");

bool isAlphanumeric(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

// Index of the first letter, mark or digit of `text`, or -1.
qsizetype firstAlphanumeric(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
        if (isAlphanumeric(c))
            return i;
        if (c > 0xFFFF)
            ++i;
    }
    return -1;
}

// The text from the first alphanumeric character up to `end`; empty when
// there is none before `end`.
QString fromFirstAlphanumeric(const QString& text, qsizetype end)
{
    const qsizetype start = firstAlphanumeric(text);
    if (start < 0 || start >= end)
        return QString();
    return text.mid(start, end - start);
}

} // namespace

// Each entry is two pieces of the string: the last name with its ", ", then
// the initials up to the next ", ". A piece's leading blanks and punctuation
// are dropped.
QStringList accessDB::authorsArrayFromAuthorsString(const QString& authors)
{
    QStringList entries;
    QString rest = authors;
    bool more = true;
    while (more) {
        QString entry;
        const qsizetype first = rest.indexOf(separator);
        if (first >= 0) {
            const qsizetype end = first + separator.size();
            entry += fromFirstAlphanumeric(rest, end);
            rest.remove(0, end);
        }
        const qsizetype second = rest.indexOf(separator);
        if (second >= 0) {
            entry += fromFirstAlphanumeric(rest, second);
            rest.remove(0, second + separator.size());
        } else {
            entry += rest;
        }
        entries.append(entry);
        more = first >= 0 && second >= 0;
    }
    return entries;
}
