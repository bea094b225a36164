#pragma once

#include "store/ArticleKey.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The library's two index trees, journals and authors, have the same shape:
//   initial -> name -> year -> article keys
// The initial is the first UTF-16 unit of the name, upper-cased; names and
// years are kept exactly as supplied. Sorted maps give a stable enumeration
// order, the same order the property-list writer uses for dictionaries.
using YearMap = QMap<QString, QList<ArticleKey>>;
using NameMap = QMap<QString, YearMap>;
using IndexTree = QMap<QString, NameMap>;

// The in-memory form of the library file.
struct LibraryRecord
{
    QString name = QStringLiteral("Library");
    QString type = QStringLiteral("library");
    IndexTree journalList;
    IndexTree authorList;

    friend bool operator==(const LibraryRecord&, const LibraryRecord&) = default;
};

// Operations on one index tree.
namespace IndexTrees {

// The initial a name is filed under: its first UTF-16 unit, upper-cased on
// its own (so the initial is always one unit). Empty for an empty name.
QString initialOf(const QString& name);

// Files `key` under name/year unless that year already lists a key with the
// same ID (the type is not compared). An empty name is not filed: its entry
// could never be reached through an initial. Returns whether it was added.
bool file(IndexTree& tree, const QString& name, const QString& year, const ArticleKey& key);

// Removes the first key with `id` from name/year. Leaves emptied entries in
// place for prune(). Returns whether a key was removed.
bool remove(IndexTree& tree, const QString& name, const QString& year, const QString& id);

// Drops every empty year list, then names without years, then initials
// without names.
void prune(IndexTree& tree);

// The keys under a browser selection: the year's keys when a year is given,
// else all keys of the name, else all keys under the initial; concatenated in
// the tree's order, duplicates kept. Empty when the initial, or a given name
// or year, is absent, and for a year without a name.
QList<ArticleKey> keysUnder(const IndexTree& tree, const QString& initial,
                            const std::optional<QString>& name, const std::optional<QString>& year);

} // namespace IndexTrees
