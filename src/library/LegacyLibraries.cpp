#include "library/LegacyLibraries.h"

#include "library/StoredFiles.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <QFileInfo>

namespace LegacyLibraries {

QString fileName()
{
    return QStringLiteral("libraries.pref");
}

std::optional<QVariantList> read()
{
    const QString path = StoredFiles::pathInPreferenceDir(fileName());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return std::nullopt;
    QString why;
    const auto root = PropertyList::readFile(path, &why);
    if (!root) {
        Log::message(QStringLiteral("%1 is unreadable (%2); nothing is converted").arg(path, why));
        return QVariantList();
    }
    if (!isList(*root)) {
        Log::message(QStringLiteral("%1 does not hold an array; nothing is converted").arg(path));
        return QVariantList();
    }
    return root->toList();
}

std::optional<QString> pmidText(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    default:
        return std::nullopt;
    }
}

bool isMap(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QVariantMap;
}

bool isList(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QVariantList;
}

QVariantMap mapOf(const QVariant& value)
{
    return isMap(value) ? value.toMap() : QVariantMap();
}

} // namespace LegacyLibraries
