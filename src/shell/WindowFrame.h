#pragma once

#include <QRect>
#include <QString>

#include <optional>

// The text form a window frame is saved in: "{{x, y}, {width, height}}".
QString stringFromRect(const QRect& rect);
// Reads the numbers of that form back; no value when there are not four of
// them or the size is not positive.
std::optional<QRect> rectFromString(const QString& text);
