// Reading the library file straight into a LibraryRecord.
#include "library/LibraryFile.h"

#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

namespace {

// The same nesting limit as the generic property-list reader, counted the same
// way (the root dictionary is level 0); it only matters for skipped values.
constexpr int maxDepth = 512;

class Reader
{
public:
    explicit Reader(const QByteArray& xml) : xml(xml) {}

    std::optional<LibraryRecord> document(QString* error)
    {
        LibraryRecord record;
        bool seenPlist = false;
        while (!xml.atEnd() && reason.isEmpty()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() != u"plist")
                fail(QStringLiteral("root element is <%1>, not <plist>").arg(xml.name()));
            else if (plistBody(record))
                seenPlist = true;
        }
        if (reason.isEmpty() && xml.hasError())
            reason = xml.errorString();
        if (reason.isEmpty() && !seenPlist)
            reason = QStringLiteral("no <plist> element");
        if (!reason.isEmpty()) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(reason);
            return std::nullopt;
        }
        return record;
    }

private:
    bool fail(const QString& why)
    {
        if (reason.isEmpty())
            reason = why;
        return false;
    }

    bool good() const { return reason.isEmpty() && !xml.hasError(); }

    bool expect(QLatin1StringView kind)
    {
        if (xml.name() == kind)
            return true;
        return fail(QStringLiteral("<%1> where a <%2> belongs").arg(xml.name(), kind));
    }

    // The text of the element the reader stands on, leaving it on the end
    // tag. Stricter than readElementText(): an entity reference the reader
    // could not resolve (possible when a DTD is named) is an error, not an
    // empty piece of text.
    bool readText(QString& out)
    {
        out.clear();
        while (true) {
            switch (xml.readNext()) {
            case QXmlStreamReader::Characters:
                out += xml.text();
                break;
            case QXmlStreamReader::EndElement:
                return true;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
                break;
            case QXmlStreamReader::EntityReference:
                return fail(QStringLiteral("unknown entity &%1;").arg(xml.name()));
            case QXmlStreamReader::StartElement:
                return fail(QStringLiteral("<%1> inside a text").arg(xml.name()));
            default:
                return xml.hasError() ? false : fail(QStringLiteral("unexpected end of text"));
            }
        }
    }

    // Repeated texts (ID types, years, initials) share one copy.
    QString shared(const QString& text)
    {
        const auto found = pool.constFind(text);
        if (found != pool.cend())
            return *found;
        pool.insert(text);
        return text;
    }

    // Inside <plist>: exactly one value, the root dictionary.
    bool plistBody(LibraryRecord& record)
    {
        if (!xml.readNextStartElement())
            return xml.hasError() ? false : fail(QStringLiteral("empty <plist>"));
        if (!expect(QLatin1StringView("dict")) || !rootDict(record))
            return false;
        if (xml.readNextStartElement())
            return fail(QStringLiteral("more than one value in <plist>"));
        return good();
    }

    // Walks the <dict> the reader stands on. For each entry, `value(key)` is
    // called with the reader on the value's start tag and must leave it on
    // the value's end tag.
    template <typename Value> bool entries(Value&& value)
    {
        while (xml.readNextStartElement()) {
            if (xml.name() != u"key")
                return fail(QStringLiteral("value without a <key>"));
            QString key;
            if (!readText(key))
                return false;
            if (!xml.readNextStartElement()) {
                return xml.hasError() ? false : fail(QStringLiteral("<key> without a value"));
            }
            if (xml.name() == u"key")
                return fail(QStringLiteral("<key> without a value"));
            if (!value(key))
                return false;
        }
        return good();
    }

    bool string(QString& out)
    {
        if (!expect(QLatin1StringView("string")))
            return false;
        return readText(out);
    }

    bool rootDict(LibraryRecord& record)
    {
        bool haveName = false, haveType = false, haveJournals = false, haveAuthors = false;
        const bool read = entries([&](const QString& key) {
            if (key == u"name")
                return (haveName = true) && string(record.name);
            if (key == u"type")
                return (haveType = true) && string(record.type);
            if (key == u"journalList")
                return (haveJournals = true) && tree(record.journalList);
            if (key == u"authorList")
                return (haveAuthors = true) && tree(record.authorList);
            return skipValue(1);
        });
        if (!read)
            return false;
        if (!haveName || !haveType || !haveJournals || !haveAuthors)
            return fail(QStringLiteral("the root dictionary lacks one of \"name\", \"type\", "
                                       "\"journalList\", \"authorList\""));
        return true;
    }

    // A repeated key replaces the earlier entry, as in the generic reader.
    bool tree(IndexTree& out)
    {
        IndexTree tree;
        if (!expect(QLatin1StringView("dict")))
            return false;
        const bool read = entries([&](const QString& initial) {
            NameMap names;
            if (!nameMap(names))
                return false;
            tree.insert(tree.cend(), shared(initial), std::move(names));
            return true;
        });
        out = std::move(tree);
        return read;
    }

    bool nameMap(NameMap& names)
    {
        if (!expect(QLatin1StringView("dict")))
            return false;
        return entries([&](const QString& name) {
            YearMap years;
            if (!yearMap(years))
                return false;
            names.insert(names.cend(), name, std::move(years));
            return true;
        });
    }

    bool yearMap(YearMap& years)
    {
        if (!expect(QLatin1StringView("dict")))
            return false;
        return entries([&](const QString& year) {
            QList<ArticleKey> keys;
            if (!keyList(keys))
                return false;
            years.insert(years.cend(), shared(year), std::move(keys));
            return true;
        });
    }

    bool keyList(QList<ArticleKey>& keys)
    {
        if (!expect(QLatin1StringView("array")))
            return false;
        while (xml.readNextStartElement()) {
            ArticleKey key;
            if (!articleKey(key))
                return false;
            keys.append(std::move(key));
        }
        return good();
    }

    // Exactly {"ID": string, "type": string}.
    bool articleKey(ArticleKey& key)
    {
        if (!expect(QLatin1StringView("dict")))
            return false;
        bool haveID = false, haveType = false;
        const bool read = entries([&](const QString& name) {
            if (name == u"ID")
                return (haveID = true) && string(key.ID);
            if (name == u"type") {
                haveType = true;
                QString type;
                if (!string(type))
                    return false;
                key.type = shared(type);
                return true;
            }
            return fail(QStringLiteral("unexpected \"%1\" in an article key").arg(name));
        });
        if (read && (!haveID || !haveType))
            return fail(QStringLiteral("an article key lacks \"ID\" or \"type\""));
        return read;
    }

    // Checks and passes over a value of any property-list kind, with the
    // same rules as the generic reader.
    bool skipValue(int depth)
    {
        if (depth > maxDepth)
            return fail(QStringLiteral("nested too deeply"));
        const QStringView name = xml.name();
        if (name == u"dict")
            return entries([&](const QString&) { return skipValue(depth + 1); });
        if (name == u"array") {
            while (xml.readNextStartElement()) {
                if (!skipValue(depth + 1))
                    return false;
            }
            return good();
        }
        if (name == u"true" || name == u"false") {
            xml.skipCurrentElement();
            return good();
        }
        const bool known = name == u"string" || name == u"integer" || name == u"real" ||
                           name == u"date" || name == u"data";
        if (!known)
            return fail(QStringLiteral("unknown element <%1>").arg(name));
        const QString kind = name.toString();
        QString text;
        if (!readText(text))
            return false;
        return leafIsValid(kind, text) ? true
                                       : fail(QStringLiteral("bad %1 \"%2\"").arg(kind, text));
    }

    static bool leafIsValid(const QString& kind, const QString& text)
    {
        bool ok = true;
        if (kind == u"integer")
            text.trimmed().toLongLong(&ok);
        else if (kind == u"real")
            text.trimmed().toDouble(&ok);
        else if (kind == u"date")
            ok = QDateTime::fromString(text.trimmed(), Qt::ISODate).isValid();
        else if (kind == u"data")
            ok = bool(QByteArray::fromBase64Encoding(
                text.toLatin1().replace(' ', "").replace('\n', "").replace('\t', "").replace('\r',
                                                                                             "")));
        return ok;
    }

    QXmlStreamReader xml;
    QString reason;
    QSet<QString> pool;
};

} // namespace

namespace LibraryFile {

std::optional<LibraryRecord> fromData(const QByteArray& xml, QString* error)
{
    return Reader(xml).document(error);
}

std::optional<LibraryRecord> readFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return fromData(file.readAll(), error);
}

} // namespace LibraryFile
