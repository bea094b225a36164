#pragma once

#include "store/ArticleRecord.h"

#include <QList>
#include <QString>

#include <vector>

// The order of the article list: record fields compared as text
// (QString::compare, case-sensitive), level by level.
namespace RecordOrder {

using Field = ArticleRecord::Field;

struct Level
{
    Field field;
    bool ascending;
};

// The stable order of `records` by `levels`: element i is the index of the
// record that belongs at row i. Without levels, the order as given.
std::vector<int> stableOrder(const QList<ArticleRecord>& records, const std::vector<Level>& levels);

} // namespace RecordOrder
