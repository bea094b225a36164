// Writing a LibraryRecord as the library file.
#include "library/LibraryFile.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <cstring>

namespace {

// Writes the exact layout of the generic property-list writer: an XML
// declaration, the DOCTYPE, one tab of indentation per level, "<dict/>" and
// "<array/>" for empty containers and "<string/>" for empty texts.
//
// The bytes go straight into one buffer through a write pointer; texts are
// escaped and encoded as UTF-8 in the same pass.
class Writer
{
public:
    Writer()
    {
        out.resize(64 * 1024);
        w = out.data();
        limit = w + out.size();
    }

    QByteArray document(const LibraryRecord& record)
    {
        put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n"
            "\t<dict>\n");
        // Dictionary keys in sorted order, as the generic writer has them.
        textElement(2, "key", QStringLiteral("authorList"));
        tree(2, record.authorList);
        textElement(2, "key", QStringLiteral("journalList"));
        tree(2, record.journalList);
        textElement(2, "key", QStringLiteral("name"));
        textElement(2, "string", record.name);
        textElement(2, "key", QStringLiteral("type"));
        textElement(2, "string", record.type);
        put("\t</dict>\n</plist>\n");
        out.truncate(w - out.data());
        return std::move(out);
    }

private:
    // Makes room for `count` more bytes after the write pointer.
    void reserve(qsizetype count)
    {
        if (limit - w >= count)
            return;
        const qsizetype used = w - out.data();
        out.resize(std::max(2 * out.size(), used + count + 64 * 1024));
        w = out.data() + used;
        limit = out.data() + out.size();
    }

    void put(QByteArrayView bytes)
    {
        reserve(bytes.size());
        std::memcpy(w, bytes.data(), bytes.size());
        w += bytes.size();
    }

    void indent(int level)
    {
        static constexpr char tabs[] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
        for (; level > 0; level -= 16)
            put(QByteArrayView(tabs, std::min(level, 16)));
    }

    void line(int level, QByteArrayView tag)
    {
        indent(level);
        put(tag);
        put("\n");
    }

    void textElement(int level, QByteArrayView tag, const QString& text)
    {
        indent(level);
        put("<");
        put(tag);
        if (text.isEmpty()) {
            put("/>\n");
            return;
        }
        put(">");
        escaped(text);
        put("</");
        put(tag);
        put(">\n");
    }

    template <typename Map, typename Value> void dict(int level, const Map& map, Value&& value)
    {
        if (map.isEmpty()) {
            line(level, "<dict/>");
            return;
        }
        line(level, "<dict>");
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            textElement(level + 1, "key", it.key());
            value(level + 1, it.value());
        }
        line(level, "</dict>");
    }

    void tree(int level, const IndexTree& tree)
    {
        dict(level, tree, [this](int initialLevel, const NameMap& names) {
            dict(initialLevel, names, [this](int nameLevel, const YearMap& years) {
                dict(nameLevel, years, [this](int yearLevel, const QList<ArticleKey>& keys) {
                    keyList(yearLevel, keys);
                });
            });
        });
    }

    void keyList(int level, const QList<ArticleKey>& keys)
    {
        if (keys.isEmpty()) {
            line(level, "<array/>");
            return;
        }
        line(level, "<array>");
        for (const ArticleKey& key : keys) {
            line(level + 1, "<dict>");
            textElement(level + 2, "key", QStringLiteral("ID"));
            textElement(level + 2, "string", key.ID);
            textElement(level + 2, "key", QStringLiteral("type"));
            textElement(level + 2, "string", key.type);
            line(level + 1, "</dict>");
        }
        line(level, "</array>");
    }

    // `text` as UTF-8 with markup characters as entities, carriage returns
    // as "&#13;" (a reader would turn a literal one into a line feed), and
    // what XML 1.0 cannot carry (control characters, unpaired surrogates,
    // U+FFFE, U+FFFF) as U+FFFD.
    void escaped(const QString& text)
    {
        // At most 6 bytes for one UTF-16 unit ("&quot;").
        reserve(6 * text.size());
        const auto* s = reinterpret_cast<const char16_t*>(text.constData());
        const auto* const end = s + text.size();
        char* o = w;
        const auto copy = [&o](QByteArrayView bytes) {
            std::memcpy(o, bytes.data(), bytes.size());
            o += bytes.size();
        };
        while (s < end) {
            const char16_t u = *s++;
            if (u < 0x80) {
                switch (u) {
                case '<':
                    copy("&lt;");
                    break;
                case '>':
                    copy("&gt;");
                    break;
                case '&':
                    copy("&amp;");
                    break;
                case '"':
                    copy("&quot;");
                    break;
                case '\r':
                    copy("&#13;");
                    break;
                default:
                    if (u >= 0x20 || u == '\t' || u == '\n')
                        *o++ = char(u);
                    else
                        copy("\xEF\xBF\xBD");
                }
            } else if (u < 0x800) {
                *o++ = char(0xC0 | (u >> 6));
                *o++ = char(0x80 | (u & 0x3F));
            } else if (QChar::isHighSurrogate(u) && s < end && QChar::isLowSurrogate(*s)) {
                const char32_t c = QChar::surrogateToUcs4(u, *s++);
                *o++ = char(0xF0 | (c >> 18));
                *o++ = char(0x80 | ((c >> 12) & 0x3F));
                *o++ = char(0x80 | ((c >> 6) & 0x3F));
                *o++ = char(0x80 | (c & 0x3F));
            } else if (QChar::isSurrogate(u) || u >= 0xFFFE) {
                copy("\xEF\xBF\xBD");
            } else {
                *o++ = char(0xE0 | (u >> 12));
                *o++ = char(0x80 | ((u >> 6) & 0x3F));
                *o++ = char(0x80 | (u & 0x3F));
            }
        }
        w = o;
    }

    QByteArray out;
    char* w = nullptr;
    char* limit = nullptr;
};

} // namespace

namespace LibraryFile {

QByteArray toData(const LibraryRecord& record)
{
    return Writer().document(record);
}

bool writeFile(const QString& path, const LibraryRecord& record, QString* error)
{
    return AtomicFile::write(path, toData(record), error);
}

} // namespace LibraryFile
