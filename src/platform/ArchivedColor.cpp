#include "platform/ArchivedColor.h"

#include <QString>

namespace {

bool isHexDigits(QStringView text)
{
    for (QChar c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool lower = c >= u'a' && c <= u'f';
        const bool upper = c >= u'A' && c <= u'F';
        if (!digit && !lower && !upper)
            return false;
    }
    return true;
}

} // namespace

QByteArray archiveColor(const QColor& color)
{
    return color.name(QColor::HexArgb).toUtf8();
}

std::optional<QColor> unarchiveColor(const QVariant& archived)
{
    QString text;
    if (archived.typeId() == QMetaType::QByteArray)
        text = QString::fromUtf8(archived.toByteArray());
    else if (archived.typeId() == QMetaType::QString)
        text = archived.toString();
    else
        return std::nullopt;

    // QColor alone would also take colour names ("red"); only our own form counts.
    const QStringView digits = QStringView(text).mid(1);
    if (!text.startsWith(u'#') || (digits.size() != 6 && digits.size() != 8) ||
        !isHexDigits(digits))
        return std::nullopt;
    const QColor color = QColor::fromString(text);
    if (!color.isValid())
        return std::nullopt;
    return color;
}
