#include "PropertyList.h"

#include "AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// Nesting deeper than this is not a property list the program wrote.
constexpr int maxDepth = 512;

class Reader
{
public:
    explicit Reader(const QByteArray& xml) : xml(xml) {}

    std::optional<QVariant> document(QString* error)
    {
        std::optional<QVariant> root;
        while (!xml.atEnd() && !failed()) {
            const auto token = xml.readNext();
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("plist")) {
                root = plistBody();
            } else {
                fail(QStringLiteral("root element is <%1>, not <plist>").arg(xml.name()));
            }
        }
        if (!failed() && xml.hasError())
            reason = xml.errorString();
        if (!failed() && !root)
            reason = QStringLiteral("no <plist> element");
        if (failed()) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(reason);
            return std::nullopt;
        }
        return root;
    }

private:
    bool failed() const { return !reason.isEmpty(); }
    void fail(const QString& why)
    {
        if (reason.isEmpty())
            reason = why;
    }

    // Inside <plist>: exactly one value, then </plist>.
    std::optional<QVariant> plistBody()
    {
        std::optional<QVariant> value;
        while (xml.readNextStartElement()) {
            if (value) {
                fail(QStringLiteral("more than one value in <plist>"));
                return std::nullopt;
            }
            value = element(0);
            if (!value)
                return std::nullopt;
        }
        if (!value && !xml.hasError())
            fail(QStringLiteral("empty <plist>"));
        return value;
    }

    // Reads the element the reader stands on, leaving it on its end tag.
    std::optional<QVariant> element(int depth)
    {
        if (depth > maxDepth) {
            fail(QStringLiteral("nested too deeply"));
            return std::nullopt;
        }
        const QStringView name = xml.name();
        if (name == QLatin1String("dict"))
            return dict(depth);
        if (name == QLatin1String("array"))
            return array(depth);
        if (name == QLatin1String("true") || name == QLatin1String("false")) {
            const bool value = name == QLatin1String("true");
            xml.skipCurrentElement();
            return QVariant(value);
        }
        const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (xml.hasError())
            return std::nullopt;
        if (name == QLatin1String("string"))
            return QVariant(text);
        if (name == QLatin1String("integer")) {
            bool ok = false;
            const qint64 value = text.trimmed().toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("bad integer \"%1\"").arg(text));
            return ok ? std::optional<QVariant>(QVariant(value)) : std::nullopt;
        }
        if (name == QLatin1String("real")) {
            bool ok = false;
            const double value = text.trimmed().toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("bad real \"%1\"").arg(text));
            return ok ? std::optional<QVariant>(QVariant(value)) : std::nullopt;
        }
        if (name == QLatin1String("date")) {
            QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            if (!date.isValid()) {
                fail(QStringLiteral("bad date \"%1\"").arg(text));
                return std::nullopt;
            }
            return QVariant(date.toUTC());
        }
        if (name == QLatin1String("data")) {
            QByteArray compact = text.toLatin1();
            compact.replace(' ', "").replace('\n', "").replace('\t', "").replace('\r', "");
            auto decoded = QByteArray::fromBase64Encoding(compact);
            if (!decoded) {
                fail(QStringLiteral("bad base64 data"));
                return std::nullopt;
            }
            return QVariant(*decoded);
        }
        fail(QStringLiteral("unknown element <%1>").arg(name));
        return std::nullopt;
    }

    std::optional<QVariant> dict(int depth)
    {
        QVariantMap map;
        QString key;
        bool haveKey = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("key")) {
                if (haveKey) {
                    fail(QStringLiteral("<key> without a value"));
                    return std::nullopt;
                }
                key = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                haveKey = true;
                continue;
            }
            if (!haveKey) {
                fail(QStringLiteral("value without a <key>"));
                return std::nullopt;
            }
            auto value = element(depth + 1);
            if (!value)
                return std::nullopt;
            map.insert(key, *value);
            haveKey = false;
        }
        if (haveKey)
            fail(QStringLiteral("<key> without a value"));
        if (failed() || xml.hasError())
            return std::nullopt;
        return QVariant(map);
    }

    std::optional<QVariant> array(int depth)
    {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto value = element(depth + 1);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
        if (failed() || xml.hasError())
            return std::nullopt;
        return QVariant(list);
    }

    QXmlStreamReader xml;
    QString reason;
};

// XML 1.0 cannot carry most control characters or unpaired surrogates; a
// file holding them would not read back, so they are written as U+FFFD.
QString xmlSafe(const QString& text)
{
    QString safe;
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        const bool control = u < 0x20 && u != '\t' && u != '\n' && u != '\r';
        const bool badSurrogate =
            (c.isHighSurrogate() && (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())) ||
            (c.isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate()));
        const bool nonCharacter = u == 0xFFFE || u == 0xFFFF;
        if (control || badSurrogate || nonCharacter) {
            if (!changed)
                safe = text.left(i);
            changed = true;
            safe.append(QChar(0xFFFD));
        } else if (changed) {
            safe.append(c);
        }
    }
    return changed ? safe : text;
}

// A <string> or <key>; carriage returns are written as character references
// because a reader turns a literal one into a line feed.
void writeTextElement(QXmlStreamWriter& out, const QString& name, const QString& text)
{
    const QString safe = xmlSafe(text);
    out.writeStartElement(name);
    const QStringList pieces = safe.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            out.writeEntityReference(QStringLiteral("#13"));
        if (!pieces.at(i).isEmpty())
            out.writeCharacters(pieces.at(i));
    }
    out.writeEndElement();
}

void writeValue(QXmlStreamWriter& out, const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        out.writeStartElement(QStringLiteral("dict"));
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            writeTextElement(out, QStringLiteral("key"), it.key());
            writeValue(out, it.value());
        }
        out.writeEndElement();
        return;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList list = value.toList();
        out.writeStartElement(QStringLiteral("array"));
        for (const QVariant& element : list)
            writeValue(out, element);
        out.writeEndElement();
        return;
    }
    case QMetaType::Bool:
        out.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        out.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        out.writeTextElement(QStringLiteral("real"), QString::number(value.toDouble(), 'g', 17));
        return;
    case QMetaType::QDateTime:
        out.writeTextElement(QStringLiteral("date"),
                             value.toDateTime().toUTC().toString(Qt::ISODate));
        return;
    case QMetaType::QByteArray:
        out.writeTextElement(QStringLiteral("data"),
                             QString::fromLatin1(value.toByteArray().toBase64()));
        return;
    default:
        writeTextElement(out, QStringLiteral("string"), value.toString());
        return;
    }
}

} // namespace

namespace PropertyList {

std::optional<QVariant> fromData(const QByteArray& xml, QString* error)
{
    return Reader(xml).document(error);
}

std::optional<QVariant> readFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return fromData(file.readAll(), error);
}

QByteArray toData(const QVariant& value)
{
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.setAutoFormatting(true);
    out.setAutoFormattingIndent(-1); // one tab per level
    out.writeStartDocument();
    out.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    out.writeStartElement(QStringLiteral("plist"));
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    writeValue(out, value);
    out.writeEndElement();
    out.writeEndDocument();
    return bytes;
}

bool writeFile(const QString& path, const QVariant& value, QString* error)
{
    return AtomicFile::write(path, toData(value), error);
}

} // namespace PropertyList
