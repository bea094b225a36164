#include "window/Icons.h"

#include <QFile>
#include <QHash>

namespace Icons {

QIcon named(const QString& name)
{
    static QHash<QString, QIcon> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;

    // Only names we ship are cached, so a stray lookup cannot grow the table.
    const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !QFile::exists(path))
        return QIcon();
    QIcon icon(path);
    cache.insert(name, icon);
    return icon;
}

} // namespace Icons
