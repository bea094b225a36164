#include "window/RecordOrder.h"

#include <algorithm>
#include <numeric>

namespace RecordOrder {

namespace {

// The first eight UTF-16 units of a text, the first in the highest bits of
// `high` and missing ones as 0: two texts whose keys differ compare as their
// keys do, so most comparisons of a sort never touch the texts themselves.
struct Leading
{
    quint64 high = 0;
    quint64 low = 0;

    explicit Leading(const QString& text)
    {
        const QChar* units = text.constData();
        const qsizetype count = std::min<qsizetype>(text.size(), 8);
        for (qsizetype i = 0; i < 8; ++i) {
            const quint64 unit = i < count ? units[i].unicode() : 0u;
            quint64& half = i < 4 ? high : low;
            half = (half << 16) | unit;
        }
    }
    friend bool operator==(const Leading&, const Leading&) = default;
    bool operator<(const Leading& other) const
    {
        return high != other.high ? high < other.high : low < other.low;
    }
};

struct Entry
{
    Leading leading; // of the first level's field
    int index;
};

} // namespace

std::vector<int> stableOrder(const QList<ArticleRecord>& records, const std::vector<Level>& levels)
{
    std::vector<int> order(records.size());
    if (levels.empty()) {
        std::iota(order.begin(), order.end(), 0);
        return order;
    }
    const Level first = levels.front();
    std::vector<Entry> entries;
    entries.reserve(records.size());
    for (int i = 0; i < int(records.size()); ++i)
        entries.push_back({Leading(records.at(i).*first.field), i});

    const auto recordLess = [&](int a, int b) {
        for (const Level& level : levels) {
            const int order = QString::compare(records.at(a).*level.field,
                                               records.at(b).*level.field, Qt::CaseSensitive);
            if (order != 0)
                return level.ascending ? order < 0 : order > 0;
        }
        return false;
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.leading != b.leading)
            return first.ascending ? a.leading < b.leading : b.leading < a.leading;
        return recordLess(a.index, b.index);
    });
    for (std::size_t row = 0; row < entries.size(); ++row)
        order[row] = entries[row].index;
    return order;
}

} // namespace RecordOrder
