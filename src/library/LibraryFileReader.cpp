// Reading the library file straight into a LibraryRecord.
#include "library/LibraryFile.h"
#include "library/PlistTokenizer.h"

#include <QDateTime>
#include <QFile>
#include <QHash>

#include <cstring>
#include <map>

namespace {

using Element = PlistElement;

// The same nesting limit as the generic property-list reader, counted the same
// way (the root dictionary is level 0); it only matters for skipped values.
constexpr int maxDepth = 512;

// Texts that repeat throughout the file (ID types, years) share one QString
// each: fewer allocations while reading, less memory afterwards. Such texts
// are short; one of up to 8 bytes is looked up by its bytes packed into a
// number (a text holds no NUL, so the zero padding is unambiguous). Longer
// texts are not pooled. (Pooling the IDs too saves little memory and costs
// more time than it saves: there are as many IDs as articles.)
class TextPool
{
public:
    QString operator()(QByteArrayView utf8)
    {
        if (utf8.size() > qsizetype(sizeof(quint64)))
            return plistText(utf8);
        quint64 packed = 0;
        if (!utf8.isEmpty())
            std::memcpy(&packed, utf8.data(), utf8.size());
        if (packed == lastPacked && !lastText.isNull())
            return lastText;
        QString& text = pool[packed];
        if (text.isNull())
            text = plistText(utf8);
        lastPacked = packed;
        lastText = text;
        return text;
    }

private:
    QHash<quint64, QString> pool;
    quint64 lastPacked = 0;
    QString lastText;
};

// Compares a text with a literal; inlined, unlike QByteArrayView's ==.
template <qsizetype N> bool is(QByteArrayView text, const char (&literal)[N])
{
    return text.size() == N - 1 && std::memcmp(text.data(), literal, N - 1) == 0;
}

class Reader
{
public:
    explicit Reader(QByteArrayView xml) : tokens(xml) {}

    std::optional<LibraryRecord> document(QString* error)
    {
        LibraryRecord record;
        if (tokens.rootTag(tag) && plist(record) && tokens.finish())
            return record;
        if (error)
            *error = tokens.error();
        return std::nullopt;
    }

private:
    bool fail(const QString& why) { return tokens.fail(why); }

    // The tag just read is the start tag of `element`.
    bool expect(Element element, QLatin1StringView name)
    {
        if (!tag.closing && tag.element == element)
            return true;
        return fail(
            QStringLiteral("<%1%2> where a <%3> belongs")
                .arg(tag.closing ? QStringLiteral("/") : QString(), tokens.lastName(), name));
    }

    // The tag just read, an end tag, closes `element`.
    bool closes(Element element)
    {
        return tag.element == element ||
               fail(QStringLiteral("mismatched end tag </%1>").arg(tokens.lastName()));
    }

    // Inside <plist>: exactly one value, the root dictionary.
    bool plist(LibraryRecord& record)
    {
        if (tag.element != Element::Plist)
            return fail(QStringLiteral("root element is <%1>, not <plist>").arg(tokens.lastName()));
        if (tag.empty || !tokens.nextTag(tag))
            return fail(QStringLiteral("empty <plist>"));
        if (!expect(Element::Dict, QLatin1StringView("dict")) || !rootDict(record) ||
            !tokens.nextTag(tag))
            return false;
        if (!tag.closing)
            return fail(QStringLiteral("more than one value in <plist>"));
        return closes(Element::Plist);
    }

    // Walks the entries of the <dict> whose start tag was just read. For each
    // entry, `value(key)` is called with the value's start tag read; it must
    // read the value through its end tag. The key is a view that the next
    // text read overwrites, so `value` takes what it needs from it first.
    template <typename Value> bool entries(Value&& value)
    {
        if (tag.empty)
            return true;
        while (tokens.nextTag(tag)) {
            if (tag.closing)
                return closes(Element::Dict);
            if (tag.element != Element::Key)
                return fail(QStringLiteral("value without a <key>"));
            QByteArrayView key;
            if (!tag.empty && !tokens.text(Element::Key, key))
                return false;
            if (!tokens.nextTag(tag))
                return false;
            if (tag.closing || tag.element == Element::Key)
                return fail(QStringLiteral("<key> without a value"));
            if (!value(key))
                return false;
        }
        return false;
    }

    // The text of the <string> whose start tag was just read.
    bool string(QByteArrayView& utf8)
    {
        utf8 = {};
        if (!expect(Element::String, QLatin1StringView("string")))
            return false;
        return tag.empty || tokens.text(Element::String, utf8);
    }

    bool string(QString& out)
    {
        QByteArrayView utf8;
        if (!string(utf8))
            return false;
        out = plistText(utf8);
        return true;
    }

    bool rootDict(LibraryRecord& record)
    {
        bool haveName = false, haveType = false, haveJournals = false, haveAuthors = false;
        const bool read = entries([&](QByteArrayView key) {
            if (is(key, "name"))
                return (haveName = true) && string(record.name);
            if (is(key, "type"))
                return (haveType = true) && string(record.type);
            if (is(key, "journalList"))
                return (haveJournals = true) && tree(record.journalList);
            if (is(key, "authorList"))
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

    // One level of an index tree: a <dict> whose values `value` reads. The
    // entries are gathered in a std::map and handed to the QMap whole; in a
    // file the program wrote they arrive sorted, so each insertion is at the
    // end. A repeated key replaces the earlier entry, as in the generic reader.
    template <typename Map, typename Key, typename Value>
    bool level(Map& out, Key&& keyOf, Value&& value)
    {
        if (!expect(Element::Dict, QLatin1StringView("dict")))
            return false;
        std::map<QString, typename Map::mapped_type> entriesRead;
        const bool read = entries([&](QByteArrayView key) {
            QString name = keyOf(key);
            typename Map::mapped_type item;
            if (!value(item))
                return false;
            entriesRead.insert_or_assign(entriesRead.end(), std::move(name), std::move(item));
            return true;
        });
        out = Map(std::move(entriesRead));
        return read;
    }

    bool tree(IndexTree& out)
    {
        const auto decode = [](QByteArrayView key) { return plistText(key); };
        return level(out, decode, [&](NameMap& names) {
            return level(names, decode, [&](YearMap& years) {
                return level(years, yearTexts,
                             [&](QList<ArticleKey>& keys) { return keyList(keys); });
            });
        });
    }

    bool keyList(QList<ArticleKey>& keys)
    {
        if (!expect(Element::Array, QLatin1StringView("array")))
            return false;
        if (tag.empty)
            return true;
        while (tokens.nextTag(tag)) {
            if (tag.closing)
                return closes(Element::Array);
            ArticleKey key;
            if (!articleKey(key))
                return false;
            keys.append(std::move(key));
        }
        return false;
    }

    // Exactly {"ID": string, "type": string}.
    bool articleKey(ArticleKey& key)
    {
        if (!expect(Element::Dict, QLatin1StringView("dict")))
            return false;
        bool haveID = false, haveType = false;
        const bool read = entries([&](QByteArrayView name) {
            const bool isID = is(name, "ID");
            if (!isID && !is(name, "type"))
                return fail(
                    QStringLiteral("unexpected \"%1\" in an article key").arg(plistText(name)));
            QByteArrayView text;
            if (!string(text))
                return false;
            if (isID) {
                haveID = true;
                key.ID = plistText(text);
            } else {
                haveType = true;
                key.type = typeTexts(text);
            }
            return true;
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
        const Element element = tag.element;
        switch (element) {
        case Element::Dict:
            return entries([&](QByteArrayView) { return skipValue(depth + 1); });
        case Element::Array:
            if (tag.empty)
                return true;
            while (tokens.nextTag(tag)) {
                if (tag.closing)
                    return closes(Element::Array);
                if (!skipValue(depth + 1))
                    return false;
            }
            return false;
        case Element::True:
        case Element::False:
            if (tag.empty)
                return true;
            if (!tokens.nextTag(tag))
                return false;
            return tag.closing ? closes(element) : fail(QStringLiteral("content in a boolean"));
        case Element::String:
        case Element::Integer:
        case Element::Real:
        case Element::Date:
        case Element::Data: {
            const QString kind = tokens.lastName();
            QByteArrayView utf8;
            if (!tag.empty && !tokens.text(element, utf8))
                return false;
            const QString text = plistText(utf8);
            return leafIsValid(element, text) ||
                   fail(QStringLiteral("bad %1 \"%2\"").arg(kind, text));
        }
        default:
            return fail(QStringLiteral("unknown element <%1>").arg(tokens.lastName()));
        }
    }

    static bool leafIsValid(Element kind, const QString& text)
    {
        bool ok = true;
        if (kind == Element::Integer)
            text.trimmed().toLongLong(&ok);
        else if (kind == Element::Real)
            text.trimmed().toDouble(&ok);
        else if (kind == Element::Date)
            ok = QDateTime::fromString(text.trimmed(), Qt::ISODate).isValid();
        else if (kind == Element::Data)
            ok = bool(QByteArray::fromBase64Encoding(
                text.toLatin1().replace(' ', "").replace('\n', "").replace('\t', "").replace('\r',
                                                                                             "")));
        return ok;
    }

    PlistTokenizer tokens;
    PlistTokenizer::Tag tag;
    TextPool typeTexts;
    TextPool yearTexts;
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
