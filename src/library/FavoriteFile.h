#pragma once

#include "library/FavoriteRecord.h"

#include <QString>
#include <QVariant>

#include <optional>

// The favorites file is a property list: a root dictionary with
// "favoriteList" (an array of {"name": string, "list": [article key]}),
// "name" and "type".
namespace FavoriteFile {

QVariant toVariant(const FavoriteRecord& record);
// No value (and a one-line reason) when the tree is not that shape: the root
// is not a dictionary, "favoriteList" is missing or not an array, a list
// entry lacks a text "name" or an array "list", or a list holds something
// that is not an article key. Unknown extra keys are ignored.
std::optional<FavoriteRecord> fromVariant(const QVariant& root, QString* error = nullptr);

std::optional<FavoriteRecord> readFile(const QString& path, QString* error = nullptr);
// Atomic: the old file stays as it was when the write fails.
bool writeFile(const QString& path, const FavoriteRecord& record, QString* error = nullptr);

} // namespace FavoriteFile
