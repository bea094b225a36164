#pragma once

#include "store/ArticleRecord.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

// The order of the article list: record fields compared as text
// (QString::compare, case-sensitive), level by level.
namespace RecordOrder {

using Field = QString ArticleRecord::*;

struct Level
{
    Field field;
    bool ascending;
};

// The record field a sort key names ("authors", "title", ...; every key of
// ArticleRecord::toVariant); no value for any other text.
std::optional<Field> fieldOfKey(const QString& key);

// The stable order of `records` by `levels`: element i is the index of the
// record that belongs at row i. Without levels, the order as given.
std::vector<int> stableOrder(const QList<ArticleRecord>& records, const std::vector<Level>& levels);

} // namespace RecordOrder
