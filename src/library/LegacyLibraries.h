#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>

// The earlier library file "libraries.pref": a property list whose root
// array holds the library trees (element 0) and the old favorites lists
// (elements 2 and later). It is only ever read.
namespace LegacyLibraries {

QString fileName();

// The root array of "<preferenceDir>/libraries.pref"; no value when there is
// no such file. A file that cannot be read, or whose root is not an array,
// gives an empty array (and a log line): nothing in it can be converted.
std::optional<QVariantList> read();

// A PMID as the old file holds it: a non-empty text, or an integer written
// in decimal. Anything else is no PMID.
std::optional<QString> pmidText(const QVariant& value);

// The value's map when it is a dictionary, else an empty map.
QVariantMap mapOf(const QVariant& value);
bool isMap(const QVariant& value);
bool isList(const QVariant& value);

} // namespace LegacyLibraries
