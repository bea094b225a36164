// Writing a LibraryRecord as the library file.
#include "library/LibraryFile.h"

#include "platform/AtomicFile.h"

namespace {

// Writes the exact layout of the generic property-list writer: an XML
// declaration, the DOCTYPE, one tab of indentation per level, "<dict/>" and
// "<array/>" for empty containers and "<string/>" for empty texts.
class Writer
{
public:
    QByteArray document(const LibraryRecord& record)
    {
        out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
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
        out.append("\t</dict>\n</plist>\n");
        return std::move(out);
    }

private:
    void indent(int level) { out.append(level, '\t'); }

    void line(int level, const char* tag)
    {
        indent(level);
        out.append(tag);
        out.append('\n');
    }

    void textElement(int level, const char* tag, const QString& text)
    {
        indent(level);
        out.append('<').append(tag);
        if (text.isEmpty()) {
            out.append("/>\n");
            return;
        }
        out.append('>');
        appendEscaped(text);
        out.append("</").append(tag).append(">\n");
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

    static bool needsEscaping(const QString& text)
    {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x20 || u == '<' || u == '>' || u == '&' || u == '"' || c.isSurrogate() ||
                u >= 0xFFFE)
                return true;
        }
        return false;
    }

    // Markup characters as entities, carriage returns as "&#13;" (a reader
    // would turn a literal one into a line feed), and what XML 1.0 cannot
    // carry (control characters, unpaired surrogates, U+FFFE, U+FFFF) as
    // U+FFFD.
    void appendEscaped(const QString& text)
    {
        if (!needsEscaping(text)) {
            out.append(text.toUtf8());
            return;
        }
        QString safe;
        safe.reserve(text.size() + 16);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const char16_t u = c.unicode();
            if (u == '<')
                safe.append(QLatin1StringView("&lt;"));
            else if (u == '>')
                safe.append(QLatin1StringView("&gt;"));
            else if (u == '&')
                safe.append(QLatin1StringView("&amp;"));
            else if (u == '"')
                safe.append(QLatin1StringView("&quot;"));
            else if (u == '\r')
                safe.append(QLatin1StringView("&#13;"));
            else if (u < 0x20 && u != '\t' && u != '\n')
                safe.append(QChar(0xFFFD));
            else if (u == 0xFFFE || u == 0xFFFF)
                safe.append(QChar(0xFFFD));
            else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                safe.append(c).append(text.at(++i));
            else if (c.isSurrogate())
                safe.append(QChar(0xFFFD));
            else
                safe.append(c);
        }
        out.append(safe.toUtf8());
    }

    QByteArray out;
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
