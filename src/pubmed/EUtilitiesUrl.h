#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The request addresses of the E-utilities, built byte for byte so that Qt
// sends exactly what we made.
namespace eutils {

// Percent-escapes `text` as UTF-8: every byte that RFC 2396 does not allow in
// a URL (space, quotation mark, '#', '%', '[', ']', '<', '>', controls, every
// non-ASCII byte, ...) becomes %XX; letters, digits, the marks -_.!~*'() and
// the separators ;/?:@&=+$, stay as they are.
QByteArray escapeForUrl(const QString& text);

// base + "/esearch.fcgi?db=Pubmed&retmax=1&usehistory=y&term=" + escaped term.
QUrl searchUrl(const QUrl& base, const QString& term);

// base + "/efetch.fcgi?rettype=XML&retmode=text&db=Pubmed&query_key=" + key +
// "&WebEnv=" + webEnv, the two values inserted as received.
QUrl fetchUrl(const QUrl& base, const QString& queryKey, const QString& webEnv);

} // namespace eutils
