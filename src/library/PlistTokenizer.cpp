#include "library/PlistTokenizer.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr bool isBlank(uchar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr bool isAsciiLetter(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The ASCII name characters without the colon: targets, DOCTYPE names,
// attribute and entity names are held to these.
constexpr bool isPlainNameByte(uchar c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}

// Anything that may belong to a tag's name; the name is then matched
// against the known element names as a whole.
constexpr bool isNameByte(uchar c)
{
    return isPlainNameByte(c) || c == ':' || c >= 0x80;
}

template <typename Predicate> constexpr std::array<bool, 256> tableOf(Predicate predicate)
{
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = predicate(uchar(c));
    return table;
}

// Looked up rather than computed in the loops that run for every tag.
constexpr std::array<bool, 256> blankBytes = tableOf(isBlank);
constexpr std::array<bool, 256> nameBytes = tableOf(isNameByte);

// Bytes that stand for themselves in character data: printable ASCII, tab
// and line feed, but not '<', '&' or ']' (which may start "]]>").
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x80; ++c)
        table[c] = true;
    table['<'] = table['&'] = table[']'] = false;
    table['\t'] = table['\n'] = true;
    return table;
}();

constexpr bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the XML character encoded at `s`, or 0 when the bytes are
// not valid UTF-8 (overlong forms and surrogates included) or encode a
// character XML does not allow.
int charLength(const uchar* s, const uchar* end)
{
    const uchar c = s[0];
    if (c < 0x80)
        return c >= 0x20 || c == '\t' || c == '\n' || c == '\r' ? 1 : 0;
    const auto follows = [&](int count) {
        if (end - s <= count)
            return false;
        for (int i = 1; i <= count; ++i) {
            if ((s[i] & 0xC0) != 0x80)
                return false;
        }
        return true;
    };
    if (c >= 0xC2 && c <= 0xDF)
        return follows(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!follows(2) || (c == 0xE0 && s[1] < 0xA0) || (c == 0xED && s[1] >= 0xA0))
            return 0;
        const bool nonCharacter = c == 0xEF && s[1] == 0xBF && s[2] >= 0xBE; // U+FFFE, U+FFFF
        return nonCharacter ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!follows(3) || (c == 0xF0 && s[1] < 0x90) || (c == 0xF4 && s[1] >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

template <qsizetype N> bool startsWith(const uchar* s, const uchar* end, const char (&prefix)[N])
{
    return end - s >= N - 1 && std::memcmp(s, prefix, N - 1) == 0;
}

// Skips blanks; tells whether there were any.
bool skipBlanks(const uchar*& s, const uchar* end)
{
    const uchar* from = s;
    while (s < end && blankBytes[*s])
        ++s;
    return s != from;
}

// Names beginning with "xml" in any case are reserved by XML.
bool isReserved(QByteArrayView name)
{
    return name.size() >= 3 && (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' &&
           (name[2] | 0x20) == 'l';
}

bool isPubidChar(uchar c)
{
    return c == ' ' || c == '\r' || c == '\n' || isAsciiLetter(c) || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("-'()+,./:=?;!*#@$_%", c) != nullptr);
}

// Compares a name with a literal; inlined, unlike QByteArrayView's ==.
template <qsizetype N> bool is(QByteArrayView name, const char (&literal)[N])
{
    return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

// Switches on the length first, so that few comparisons are made.
PlistElement elementNamed(QByteArrayView name)
{
    using enum PlistElement;
    switch (name.size()) {
    case 3:
        return is(name, "key") ? Key : Other;
    case 4:
        if (is(name, "dict"))
            return Dict;
        if (is(name, "true"))
            return True;
        if (is(name, "real"))
            return Real;
        if (is(name, "date"))
            return Date;
        return is(name, "data") ? Data : Other;
    case 5:
        if (is(name, "plist"))
            return Plist;
        if (is(name, "array"))
            return Array;
        return is(name, "false") ? False : Other;
    case 6:
        return is(name, "string") ? String : Other;
    case 7:
        return is(name, "integer") ? Integer : Other;
    default:
        return Other;
    }
}

// The plain end tag of a text element.
QByteArrayView endTagOf(PlistElement element)
{
    switch (element) {
    case PlistElement::Key:
        return "</key>";
    case PlistElement::String:
        return "</string>";
    case PlistElement::Integer:
        return "</integer>";
    case PlistElement::Real:
        return "</real>";
    case PlistElement::Date:
        return "</date>";
    case PlistElement::Data:
        return "</data>";
    default:
        return {};
    }
}

QString invalidCharacter()
{
    return QStringLiteral("invalid UTF-8 or a character XML does not allow");
}

QString unexpectedEnd()
{
    return QStringLiteral("unexpected end of document");
}

// Advances over character data that needs no decoding: plain bytes, valid
// multi-byte characters and ']' not starting "]]>". Stops at the first byte
// that needs a closer look (or at the end); false on a byte sequence that is
// not allowed, with `s` on it.
bool skipPlainText(const uchar*& s, const uchar* end, QString& why)
{
    while (true) {
        while (s < end && plainBytes[*s])
            ++s;
        if (s == end)
            return true;
        if (*s >= 0x80) {
            const int length = charLength(s, end);
            if (!length) {
                why = invalidCharacter();
                return false;
            }
            s += length;
        } else if (*s == ']') {
            if (startsWith(s, end, "]]>")) {
                why = QStringLiteral("\"]]>\" in a text");
                return false;
            }
            ++s;
        } else {
            return true;
        }
    }
}

} // namespace

PlistTokenizer::PlistTokenizer(QByteArrayView xml)
    : begin(reinterpret_cast<const uchar*>(xml.data())), end(begin + xml.size()), p(begin)
{
}

bool PlistTokenizer::fail(const QString& why)
{
    return failAt(p, why);
}

bool PlistTokenizer::failAt(const uchar* at, const QString& why)
{
    if (reason.isEmpty()) {
        reason = why;
        failure = at;
    }
    return false;
}

QString PlistTokenizer::error() const
{
    const uchar* at = failure ? failure : p;
    const auto line = 1 + std::count(begin, at, uchar('\n'));
    return QStringLiteral("line %1: %2").arg(line).arg(reason);
}

bool PlistTokenizer::rootTag(Tag& tag)
{
    if (startsWith(p, end, "\xEF\xBB\xBF"))
        p += 3;
    if (startsWith(p, end, "<?xml") && end - p > 5 && isBlank(p[5]) && !xmlDeclaration())
        return false;
    bool seenDoctype = false;
    while (true) {
        skipBlanks(p, end);
        if (p == end)
            return fail(QStringLiteral("no <plist> element"));
        if (*p != '<')
            return fail(QStringLiteral("text before the root element"));
        if (startsWith(p, end, "<?")) {
            if (!processingInstruction())
                return false;
        } else if (startsWith(p, end, "<!DOCTYPE")) {
            if (seenDoctype)
                return fail(QStringLiteral("a second DOCTYPE"));
            if (!doctype())
                return false;
            seenDoctype = true;
        } else if (startsWith(p, end, "<!")) {
            if (!comment())
                return false;
        } else if (startsWith(p, end, "</")) {
            return fail(QStringLiteral("an end tag before the root element"));
        } else {
            return startTag(tag);
        }
    }
}

// '<?xml' S 'version' Eq "1.0" (S 'encoding' Eq "UTF-8")? (S 'standalone'
// Eq ("yes"|"no"))? S? '?>', at the very start of the document.
bool PlistTokenizer::xmlDeclaration()
{
    const uchar* s = p + 5;
    const auto word = [&](QByteArrayView w) {
        if (end - s < w.size() || std::memcmp(s, w.data(), w.size()) != 0)
            return false;
        s += w.size();
        return true;
    };
    const auto value = [&](QByteArrayView& out) {
        skipBlanks(s, end);
        if (s == end || *s != '=')
            return false;
        ++s;
        skipBlanks(s, end);
        if (s == end || (*s != '"' && *s != '\''))
            return false;
        const uchar quote = *s++;
        const uchar* from = s;
        while (s < end && *s != quote && *s >= 0x20 && *s < 0x7F && *s != '<')
            ++s;
        if (s == end || *s != quote)
            return false;
        out = QByteArrayView(from, s - from);
        ++s;
        return true;
    };
    // "UTF-8" or "UTF8", in any case.
    const auto isUtf8 = [](QByteArrayView encoding) {
        const auto is = [&](qsizetype i, char lower) { return (encoding[i] | 0x20) == lower; };
        const bool dashed = encoding.size() == 5 && encoding[3] == '-';
        return (dashed || encoding.size() == 4) && is(0, 'u') && is(1, 't') && is(2, 'f') &&
               encoding.back() == '8';
    };

    skipBlanks(s, end);
    QByteArrayView text;
    if (!word("version") || !value(text) || text != "1.0")
        return failAt(s, QStringLiteral("the XML declaration lacks version \"1.0\""));
    bool spaced = skipBlanks(s, end);
    if (spaced && word("encoding")) {
        if (!value(text))
            return failAt(s, QStringLiteral("malformed XML declaration"));
        if (!isUtf8(text))
            return failAt(s,
                          QStringLiteral("encoding %1 is not UTF-8").arg(QString::fromUtf8(text)));
        spaced = skipBlanks(s, end);
    }
    if (spaced && word("standalone")) {
        if (!value(text) || (text != "yes" && text != "no"))
            return failAt(s, QStringLiteral("malformed XML declaration"));
        skipBlanks(s, end);
    }
    if (!word("?>"))
        return failAt(s, QStringLiteral("malformed XML declaration"));
    p = s;
    return true;
}

// '<!DOCTYPE' S Name (S ExternalID)? S? '>', without an internal subset.
bool PlistTokenizer::doctype()
{
    const uchar* s = p + 9;
    const auto literal = [&](bool pubid) {
        if (s == end || (*s != '"' && *s != '\''))
            return false;
        const uchar quote = *s++;
        while (s < end && *s != quote) {
            // Qt's reader refuses '<' and '&' in a system literal too.
            const int length =
                pubid ? int(isPubidChar(*s)) : (*s == '<' || *s == '&' ? 0 : charLength(s, end));
            if (!length)
                return false;
            s += length;
        }
        if (s == end)
            return false;
        ++s;
        return true;
    };
    const auto malformed = [&] { return failAt(s, QStringLiteral("malformed DOCTYPE")); };

    if (!skipBlanks(s, end) || s == end || !(isAsciiLetter(*s) || *s == '_'))
        return malformed();
    while (s < end && isPlainNameByte(*s))
        ++s;
    bool spaced = skipBlanks(s, end);
    if (spaced && startsWith(s, end, "PUBLIC")) {
        s += 6;
        if (!skipBlanks(s, end) || !literal(true) || !skipBlanks(s, end) || !literal(false))
            return malformed();
        skipBlanks(s, end);
    } else if (spaced && startsWith(s, end, "SYSTEM")) {
        s += 6;
        if (!skipBlanks(s, end) || !literal(false))
            return malformed();
        skipBlanks(s, end);
    }
    if (s < end && *s == '[')
        return failAt(s, QStringLiteral("a DOCTYPE with an internal subset"));
    if (s == end || *s != '>')
        return malformed();
    p = s + 1;
    return true;
}

bool PlistTokenizer::comment()
{
    if (!startsWith(p, end, "<!--"))
        return fail(QStringLiteral("markup that is neither an element nor a comment"));
    const uchar* s = p + 4;
    while (true) {
        if (s == end)
            return failAt(s, QStringLiteral("unterminated comment"));
        if (*s == '-' && end - s >= 2 && s[1] == '-') {
            if (end - s < 3 || s[2] != '>')
                return failAt(s, QStringLiteral("\"--\" inside a comment"));
            p = s + 3;
            return true;
        }
        const int length = charLength(s, end);
        if (!length)
            return failAt(s, invalidCharacter());
        s += length;
    }
}

bool PlistTokenizer::processingInstruction()
{
    const uchar* s = p + 2;
    const uchar* target = s;
    if (s < end && (isAsciiLetter(*s) || *s == '_')) {
        while (s < end && isPlainNameByte(*s))
            ++s;
    }
    if (s == target || isReserved(QByteArrayView(target, s - target)))
        return failAt(target, QStringLiteral("bad processing instruction target"));
    if (!startsWith(s, end, "?>") && (s == end || !isBlank(*s)))
        return failAt(s, QStringLiteral("malformed processing instruction"));
    while (true) {
        if (s == end)
            return failAt(s, QStringLiteral("unterminated processing instruction"));
        if (*s == '?' && end - s >= 2 && s[1] == '>') {
            p = s + 2;
            return true;
        }
        const int length = charLength(s, end);
        if (!length)
            return failAt(s, invalidCharacter());
        s += length;
    }
}

bool PlistTokenizer::nextTag(Tag& tag)
{
    while (true) {
        skipBlanks(p, end);
        if (p == end)
            return fail(unexpectedEnd());
        if (*p != '<') {
            if (!skipText())
                return false;
            continue;
        }
        if (end - p < 2)
            return failAt(end, unexpectedEnd());
        switch (p[1]) {
        case '/':
            return endTag(tag);
        case '?':
            if (!processingInstruction())
                return false;
            break;
        case '!':
            if (startsWith(p, end, "<![CDATA[")) {
                p += 9;
                if (!cdata(p, nullptr))
                    return false;
            } else if (!comment()) {
                return false;
            }
            break;
        default:
            return startTag(tag);
        }
    }
}

bool PlistTokenizer::startTag(Tag& tag)
{
    const uchar* s = p + 1;
    while (s < end && nameBytes[*s])
        ++s;
    name = QByteArrayView(p + 1, s - (p + 1));
    if (name.isEmpty())
        return fail(QStringLiteral("malformed tag"));
    tag.element = elementNamed(name);
    tag.closing = false;
    const bool spaced = skipBlanks(s, end);
    if (spaced && tag.element == PlistElement::Plist && !attributes(s))
        return false;
    if (s < end && *s == '>') {
        tag.empty = false;
        p = s + 1;
        return true;
    }
    if (startsWith(s, end, "/>")) {
        tag.empty = true;
        p = s + 2;
        return true;
    }
    if (s >= end - 1)
        return failAt(end, unexpectedEnd());
    if (tag.element != PlistElement::Plist && isAsciiLetter(*s))
        return failAt(s, QStringLiteral("attributes on <%1>").arg(lastName()));
    return failAt(s, QStringLiteral("malformed tag <%1>").arg(lastName()));
}

// Name Eq AttValue pairs, separated by blanks, up to the end of the tag.
bool PlistTokenizer::attributes(const uchar*& s)
{
    QByteArrayView seen[8];
    std::size_t count = 0;
    while (s < end && (isAsciiLetter(*s) || *s == '_')) {
        const uchar* from = s;
        while (s < end && isPlainNameByte(*s))
            ++s;
        const QByteArrayView attribute(from, s - from);
        if (s < end && *s == ':')
            return failAt(s, QStringLiteral("a namespace prefix on an attribute"));
        if (isReserved(attribute))
            return failAt(from, QStringLiteral("a reserved attribute name"));
        if (std::find(seen, seen + count, attribute) != seen + count)
            return failAt(from, QStringLiteral("a repeated attribute"));
        if (count == std::size(seen))
            return failAt(from, QStringLiteral("too many attributes"));
        seen[count++] = attribute;
        skipBlanks(s, end);
        if (s == end || *s != '=')
            return failAt(s, QStringLiteral("an attribute without a value"));
        ++s;
        skipBlanks(s, end);
        if (!attributeValue(s))
            return false;
        if (!skipBlanks(s, end))
            break;
    }
    return true;
}

bool PlistTokenizer::attributeValue(const uchar*& s)
{
    if (s == end || (*s != '"' && *s != '\''))
        return failAt(s, QStringLiteral("an attribute value without quotes"));
    const uchar quote = *s++;
    while (true) {
        if (s == end)
            return failAt(s, unexpectedEnd());
        if (*s == quote) {
            ++s;
            return true;
        }
        if (*s == '<')
            return failAt(s, QStringLiteral("'<' in an attribute value"));
        if (*s == '&') {
            if (!reference(s, nullptr))
                return false;
            continue;
        }
        const int length = charLength(s, end);
        if (!length)
            return failAt(s, invalidCharacter());
        s += length;
    }
}

// An entity or character reference at `s`; its character is appended to
// `out` when one is given.
bool PlistTokenizer::reference(const uchar*& s, QByteArray* out)
{
    const uchar* at = s++;
    if (s < end && *s == '#') {
        ++s;
        const bool hex = s < end && *s == 'x';
        if (hex)
            ++s;
        const uchar* digits = s;
        char32_t code = 0;
        for (; s < end; ++s) {
            const uchar c = *s;
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                digit = (c | 0x20) - 'a' + 10;
            if (digit < 0)
                break;
            code = code * (hex ? 16 : 10) + digit;
            if (code > 0x10FFFF)
                return failAt(at, QStringLiteral("invalid character reference"));
        }
        if (s == digits || s == end || *s != ';' || !isXmlChar(code))
            return failAt(at, QStringLiteral("invalid character reference"));
        ++s;
        if (out)
            appendUtf8(*out, code);
        return true;
    }
    const uchar* from = s;
    while (s < end && isPlainNameByte(*s))
        ++s;
    const QByteArrayView entity(from, s - from);
    if (s == end || *s != ';')
        return failAt(at, QStringLiteral("malformed entity reference"));
    char c = 0;
    if (entity == "lt")
        c = '<';
    else if (entity == "gt")
        c = '>';
    else if (entity == "amp")
        c = '&';
    else if (entity == "quot")
        c = '"';
    else if (entity == "apos")
        c = '\'';
    else
        return failAt(at, QStringLiteral("unknown entity &%1;").arg(QString::fromUtf8(entity)));
    ++s;
    if (out)
        out->append(c);
    return true;
}

bool PlistTokenizer::endTag(Tag& tag)
{
    const uchar* s = p + 2;
    while (s < end && nameBytes[*s])
        ++s;
    name = QByteArrayView(p + 2, s - (p + 2));
    tag.element = elementNamed(name);
    tag.closing = true;
    tag.empty = false;
    skipBlanks(s, end);
    if (name.isEmpty() || s == end || *s != '>')
        return failAt(s, s == end ? unexpectedEnd() : QStringLiteral("malformed end tag"));
    p = s + 1;
    return true;
}

bool PlistTokenizer::text(PlistElement element, QByteArrayView& utf8)
{
    const uchar* s = p;
    QString why;
    if (!skipPlainText(s, end, why))
        return failAt(s, why);
    if (!startsWith(s, end, "</"))
        return slowText(s, element, utf8);
    utf8 = QByteArrayView(p, s - p);
    p = s;
    // Most end tags are written plainly: "</key>", "</string>".
    const QByteArrayView closing = endTagOf(element);
    if (!closing.isEmpty() && end - s >= closing.size() &&
        std::memcmp(s, closing.data(), closing.size()) == 0) {
        p += closing.size();
        return true;
    }
    Tag tag;
    if (!endTag(tag))
        return false;
    return tag.element == element ||
           fail(QStringLiteral("mismatched end tag </%1>").arg(lastName()));
}

// Character data between elements: checked like any text, then ignored, as
// an XML reader's walk from element to element ignores it.
bool PlistTokenizer::skipText()
{
    const uchar* s = p;
    QString why;
    while (true) {
        if (!skipPlainText(s, end, why))
            return failAt(s, why);
        if (s == end || *s == '<')
            break;
        if (*s == '&') {
            if (!reference(s, nullptr))
                return false;
        } else if (*s == '\r') {
            ++s;
        } else {
            return failAt(s, invalidCharacter());
        }
    }
    p = s;
    return true;
}

// The text from `s` on needs decoding (references, line ends, CDATA) or
// holds comments or processing instructions: it is assembled in `scratch`.
bool PlistTokenizer::slowText(const uchar* s, PlistElement element, QByteArrayView& utf8)
{
    scratch.clear();
    scratch.append(reinterpret_cast<const char*>(p), s - p);
    QString why;
    while (true) {
        if (s == end)
            return failAt(s, unexpectedEnd());
        if (*s == '&') {
            if (!reference(s, &scratch))
                return false;
        } else if (*s == '\r') {
            scratch.append('\n');
            ++s;
            if (s < end && *s == '\n')
                ++s;
        } else if (startsWith(s, end, "</")) {
            p = s;
            Tag tag;
            if (!endTag(tag))
                return false;
            if (tag.element != element)
                return fail(QStringLiteral("mismatched end tag </%1>").arg(lastName()));
            utf8 = QByteArrayView(scratch);
            return true;
        } else if (startsWith(s, end, "<![CDATA[")) {
            s += 9;
            if (!cdata(s, &scratch))
                return false;
        } else if (startsWith(s, end, "<!--") || startsWith(s, end, "<?")) {
            p = s;
            if (!(s[1] == '!' ? comment() : processingInstruction()))
                return false;
            s = p;
        } else if (*s == '<') {
            return failAt(s, QStringLiteral("an element inside a text"));
        } else {
            return failAt(s, invalidCharacter());
        }
        const uchar* run = s;
        if (!skipPlainText(s, end, why))
            return failAt(s, why);
        scratch.append(reinterpret_cast<const char*>(run), s - run);
    }
}

// The content of a CDATA section from `s` (after "<![CDATA[") through its
// "]]>", appended as it stands but for line ends to `out` when one is given.
bool PlistTokenizer::cdata(const uchar*& s, QByteArray* out)
{
    const auto flush = [&](const uchar* from, const uchar* to) {
        if (out)
            out->append(reinterpret_cast<const char*>(from), to - from);
    };
    const uchar* run = s;
    while (true) {
        if (s == end)
            return failAt(s, QStringLiteral("unterminated CDATA section"));
        if (startsWith(s, end, "]]>")) {
            flush(run, s);
            s += 3;
            return true;
        }
        if (*s == '\r') {
            flush(run, s);
            if (out)
                out->append('\n');
            ++s;
            if (s < end && *s == '\n')
                ++s;
            run = s;
            continue;
        }
        const int length = charLength(s, end);
        if (!length)
            return failAt(s, invalidCharacter());
        s += length;
    }
}

bool PlistTokenizer::finish()
{
    while (true) {
        skipBlanks(p, end);
        if (p == end)
            return true;
        if (startsWith(p, end, "<?")) {
            if (!processingInstruction())
                return false;
        } else if (startsWith(p, end, "<!--")) {
            if (!comment())
                return false;
        } else {
            return fail(QStringLiteral("content after the root element"));
        }
    }
}

QString plistText(QByteArrayView utf8)
{
    if (!utf8.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(utf8);
}
