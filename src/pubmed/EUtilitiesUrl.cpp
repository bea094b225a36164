#include "pubmed/EUtilitiesUrl.h"

namespace eutils {
namespace {

bool allowedInUrl(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    static constexpr QByteArrayView marksAndSeparators = "-_.!~*'();/?:@&=+$,";
    return marksAndSeparators.contains(c);
}

QByteArray baseText(const QUrl& base)
{
    QByteArray text = base.toEncoded();
    if (text.endsWith('/'))
        text.chop(1);
    return text;
}

} // namespace

QByteArray escapeForUrl(const QString& text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray escaped;
    escaped.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        if (allowedInUrl(c)) {
            escaped.append(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            escaped.append('%').append(hex[byte >> 4]).append(hex[byte & 0xF]);
        }
    }
    return escaped;
}

QUrl searchUrl(const QUrl& base, const QString& term)
{
    const QByteArray address =
        baseText(base) + "/esearch.fcgi?db=Pubmed&retmax=1&usehistory=y&term=" + escapeForUrl(term);
    // Everything is escaped already: strict mode keeps Qt from touching it.
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

QUrl fetchUrl(const QUrl& base, const QString& queryKey, const QString& webEnv)
{
    const QByteArray address =
        baseText(base) +
        "/efetch.fcgi?rettype=XML&retmode=text&db=Pubmed&query_key=" + queryKey.toUtf8() +
        "&WebEnv=" + webEnv.toUtf8();
    return QUrl::fromEncoded(address, QUrl::TolerantMode);
}

} // namespace eutils
