// Copying the old per-article cache records ("<preferenceDir>/cache/<pmid>.dat")
// into the article table.
#include "platform/CalendarDate.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "pubmed/PubMedXML.h"
#include "store/Connection.h"
#include "store/StoreText.h"
#include "store/accessDB.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

const QString insertStatement =
    QStringLiteral("INSERT INTO articles VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

QString textOr(const QVariantMap& record, const QString& key, const QString& fallback)
{
    return StoreText::textOf(record.value(key)).value_or(fallback);
}

// A date's text form; a text is taken as it stands; anything else is now.
QString dateText(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QDateTime && value.toDateTime().isValid())
        return CalendarDate::description(value.toDateTime().toLocalTime());
    const QString text = StoreText::textOf(value).value_or(QString());
    return text.isEmpty() ? StoreText::timestampNow() : text;
}

// The abstract from the article's XML file in the cache folder, or empty text.
QString abstractFromCache(const QString& pmid)
{
    const QString cacheDir = UserDefaults::standard().stringForKey(QStringLiteral("cacheDir"));
    if (cacheDir.isEmpty())
        return QStringLiteral("");
    PubMedXML reader;
    reader.openFile(pmid, cacheDir);
    return StoreText::orEmpty(reader.abstract());
}

} // namespace

void accessDB::convertOldCacheFileToDB()
{
    const QDir cache(preferenceDir + QStringLiteral("/cache"));
    const QStringList names = cache.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const qsizetype at = name.indexOf(QStringLiteral(".dat"));
        if (at < 0)
            continue;
        insertArticleInfoFromOldFile(QString(name).remove(at, 4));
    }
}

void accessDB::insertArticleInfoFromOldFile(const QString& pmid)
{
    if (pmid.isEmpty())
        return;
    const QString path = preferenceDir + QStringLiteral("/cache/") + pmid + QStringLiteral(".dat");
    if (!QFileInfo::exists(path))
        return;

    QString error;
    const auto plist = PropertyList::readFile(path, &error);
    if (!plist) {
        Log::message(QStringLiteral("%1 cannot be read (%2); not converted").arg(path, error));
        return;
    }
    if (plist->metaType().id() != QMetaType::QVariantMap) {
        Log::message(QStringLiteral("%1 is not a dictionary; not converted").arg(path));
        return;
    }
    const QVariantMap record = plist->toMap();

    // The record's own PMID; the file's name when the record has none.
    QString id = pmid;
    if (record.contains(QStringLiteral("pmid"))) {
        id = StoreText::textOf(record.value(QStringLiteral("pmid"))).value_or(QString()).trimmed();
        if (id.isEmpty()) {
            Log::message(QStringLiteral("%1 has no usable pmid; not converted").arg(path));
            return;
        }
    }

    Connection connection(_database.get());
    // The old number is kept; a record without one gets the next free number.
    const auto oldNumber = StoreText::leadingInteger(record.value(QStringLiteral("uniqueID")));
    const qint64 uniqueID = oldNumber ? *oldNumber : qint64(currentUniqueID()) + 1;
    const qint64 year = StoreText::leadingInteger(record.value(QStringLiteral("year"))).value_or(0);
    const QString empty = QStringLiteral("");
    const QString none = QStringLiteral("none");

    const QStringList values = {
        QString::number(uniqueID),
        textOr(record, QStringLiteral("mark"), none),
        textOr(record, QStringLiteral("authors"), empty),
        textOr(record, QStringLiteral("title"), empty),
        textOr(record, QStringLiteral("journal"), empty),
        QString::number(year),
        textOr(record, QStringLiteral("volume"), empty),
        textOr(record, QStringLiteral("number"), empty),
        textOr(record, QStringLiteral("pages"), empty),
        QStringLiteral("pmid"),
        id,
        textOr(record, QStringLiteral("PDFfile"), none),
        textOr(record, QStringLiteral("memo"), empty),
        dateText(record.value(QStringLiteral("importDate"))),
        dateText(record.value(QStringLiteral("lastCheckDate"))),
        abstractFromCache(pmid),
    };
    if (!connection.run(insertStatement, values))
        Log::message(QStringLiteral("fail: %1 (%2)").arg(insertStatement, path));
    forgetHighestUniqueID(); // the old number may be anything
}
