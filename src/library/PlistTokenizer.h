#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The element names a property list uses; every other name is Other.
enum class PlistElement : quint8 {
    Other,
    Plist,
    Dict,
    Array,
    Key,
    String,
    Integer,
    Real,
    Date,
    Data,
    True,
    False
};

// A single-pass reader of the XML a property-list file holds, working on the
// raw UTF-8 bytes. It reads the prolog, start and end tags and the character
// data of text elements, and refuses what XML would allow but such a file
// never needs:
//   - encodings other than UTF-8 (a UTF-8 byte-order mark is fine), and any
//     byte sequence that is not valid UTF-8 or not an XML character;
//   - a DOCTYPE with an internal subset (it could declare entities), a second
//     DOCTYPE, or one after the root element;
//   - entities other than the five predefined ones; character references must
//     name an XML character;
//   - attributes anywhere but on <plist>, and there only plain names (no
//     namespace declarations or prefixes);
//   - processing instructions whose target starts with "xml".
// CDATA sections, comments and processing instructions inside a text are read
// the way an XML parser reads them. Text between elements is checked and then
// ignored, as an XML reader's walk from element to element ignores it. Line
// ends are normalised (CR LF and a lone CR become LF) as XML requires.
//
// Every read is bounded by the end of the input, and nothing recurses. Qt's
// XML reader accepts every document this one accepts, with the same texts.
class PlistTokenizer final
{
public:
    struct Tag
    {
        PlistElement element = PlistElement::Other;
        bool closing = false; // an end tag
        bool empty = false;   // a start tag written as <name/>
    };

    explicit PlistTokenizer(QByteArrayView xml);

    // Reads the prolog (byte-order mark, XML declaration, DOCTYPE, comments,
    // processing instructions) and the root element's start tag.
    bool rootTag(Tag& tag);
    // Reads the next start or end tag, passing over text, comments and
    // processing instructions before it.
    bool nextTag(Tag& tag);
    // Reads the character data of the element whose start tag was just read
    // (not an empty one), up to and including its end tag. The view holds
    // the text as UTF-8 and stays valid until the next call of text().
    bool text(PlistElement element, QByteArrayView& utf8);
    // Reads what follows the root element: only blanks, comments and
    // processing instructions up to the end of the input.
    bool finish();

    // Records the first reason for failing; always returns false.
    bool fail(const QString& why);
    // "line N: reason" for the first failure.
    QString error() const;
    // The name in the last tag read, for messages.
    QString lastName() const { return QString::fromUtf8(name); }

private:
    bool xmlDeclaration();
    bool doctype();
    bool comment();
    bool processingInstruction();
    bool startTag(Tag& tag);
    bool endTag(Tag& tag);
    bool attributes(const uchar*& s);
    bool attributeValue(const uchar*& s);
    bool reference(const uchar*& s, QByteArray* out);
    bool slowText(const uchar* s, PlistElement element, QByteArrayView& utf8);
    bool cdata(const uchar*& s, QByteArray* out);
    bool skipText();
    bool failAt(const uchar* at, const QString& why);

    const uchar* begin;
    const uchar* end;
    const uchar* p;
    const uchar* failure = nullptr;
    QByteArrayView name;
    QByteArray scratch;
    QString reason;
};

// A text the tokenizer read, as a QString. Unlike QString::fromUtf8, it keeps
// a leading U+FEFF: inside a document that is a character, not a byte-order
// mark.
QString plistText(QByteArrayView utf8);
