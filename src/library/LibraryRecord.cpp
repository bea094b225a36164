#include "library/LibraryRecord.h"

namespace IndexTrees {

QString initialOf(const QString& name)
{
    if (name.isEmpty())
        return QString();
    return QString(name.at(0).toUpper());
}

bool file(IndexTree& tree, const QString& name, const QString& year, const ArticleKey& key)
{
    if (name.isEmpty())
        return false;
    QList<ArticleKey>& keys = tree[initialOf(name)][name][year];
    for (const ArticleKey& present : std::as_const(keys)) {
        if (present.ID == key.ID)
            return false;
    }
    keys.append(key);
    return true;
}

bool remove(IndexTree& tree, const QString& name, const QString& year, const QString& id)
{
    const auto initial = tree.find(initialOf(name));
    if (initial == tree.end())
        return false;
    const auto entry = initial->find(name);
    if (entry == initial->end())
        return false;
    const auto keys = entry->find(year);
    if (keys == entry->end())
        return false;
    for (qsizetype i = 0; i < keys->size(); ++i) {
        if (keys->at(i).ID == id) {
            keys->removeAt(i);
            return true;
        }
    }
    return false;
}

void prune(IndexTree& tree)
{
    for (auto initial = tree.begin(); initial != tree.end();) {
        for (auto name = initial->begin(); name != initial->end();) {
            for (auto year = name->begin(); year != name->end();)
                year = year->isEmpty() ? name->erase(year) : std::next(year);
            name = name->isEmpty() ? initial->erase(name) : std::next(name);
        }
        initial = initial->isEmpty() ? tree.erase(initial) : std::next(initial);
    }
}

namespace {
void appendAllYears(QList<ArticleKey>& out, const YearMap& years)
{
    for (const QList<ArticleKey>& keys : years)
        out.append(keys);
}
} // namespace

QList<ArticleKey> keysUnder(const IndexTree& tree, const QString& initial,
                            const std::optional<QString>& name, const std::optional<QString>& year)
{
    QList<ArticleKey> out;
    const auto names = tree.constFind(initial);
    if (names == tree.cend() || (year && !name))
        return out;
    if (!name) {
        for (const YearMap& years : *names)
            appendAllYears(out, years);
        return out;
    }
    const auto years = names->constFind(*name);
    if (years == names->cend())
        return out;
    if (!year) {
        appendAllYears(out, *years);
        return out;
    }
    return years->value(*year);
}

} // namespace IndexTrees
