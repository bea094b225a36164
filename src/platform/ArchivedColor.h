#pragma once

#include <QByteArray>
#include <QColor>
#include <QVariant>

#include <optional>

// How a colour is kept in the user defaults (the "textColors" entries): a
// data value holding the UTF-8 text "#AARRGGBB" (QColor::HexArgb).
QByteArray archiveColor(const QColor& color);

// The colour of a stored entry: data or a string of the form "#AARRGGBB"
// (or "#RRGGBB", fully opaque). Anything else gives no colour.
std::optional<QColor> unarchiveColor(const QVariant& archived);
