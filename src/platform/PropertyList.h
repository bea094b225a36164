#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// XML property lists (the Apple plist 1.0 format) as QVariant trees:
//   dict -> QVariantMap, array -> QVariantList, string -> QString,
//   integer -> qint64, real -> double, true/false -> bool,
//   date -> QDateTime (UTC), data -> QByteArray.
// Reading never throws; a document that is not a well-formed property list
// gives no value and, when asked, a one-line reason.
namespace PropertyList {

std::optional<QVariant> fromData(const QByteArray& xml, QString* error = nullptr);
std::optional<QVariant> readFile(const QString& path, QString* error = nullptr);

QByteArray toData(const QVariant& value);

// Writes through a temporary file that replaces `path` only once it is
// complete, so a failed write leaves the previous file as it was.
bool writeFile(const QString& path, const QVariant& value, QString* error = nullptr);

} // namespace PropertyList
