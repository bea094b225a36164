#include "WindowFrame.h"

#include <QRegularExpression>

QString stringFromRect(const QRect& rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

std::optional<QRect> rectFromString(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(?:\\.\\d+)?"));
    QList<double> values;
    for (auto it = number.globalMatch(text); it.hasNext();)
        values << it.next().captured().toDouble();
    if (values.size() != 4 || values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(qRound(values[0]), qRound(values[1]), qRound(values[2]), qRound(values[3]));
}
