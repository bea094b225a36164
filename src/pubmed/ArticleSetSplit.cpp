#include "pubmed/ArticleSetSplit.h"

namespace eutils {
namespace {

bool endsTagName(char c)
{
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct TagSpan
{
    qsizetype begin = -1; // the '<'
    qsizetype end = -1;   // one past the '>'
};

// The first tag at or after `from` that opens (or, with `prefix` "</", closes)
// the element `name`; a longer name that merely starts with it does not count.
TagSpan findTag(QByteArrayView text, QByteArrayView prefix, QByteArrayView name, qsizetype from)
{
    while (from < text.size()) {
        const qsizetype at = text.indexOf(prefix, from);
        if (at < 0)
            return {};
        const qsizetype afterName = at + prefix.size() + name.size();
        if (afterName < text.size() && text.sliced(at + prefix.size()).startsWith(name) &&
            endsTagName(text[afterName])) {
            const qsizetype close = text.indexOf('>', afterName);
            if (close < 0)
                return {};
            return {at, close + 1};
        }
        from = at + prefix.size();
    }
    return {};
}

} // namespace

ArticleSetPieces splitArticleSet(QByteArrayView reply)
{
    ArticleSetPieces pieces;
    const TagSpan set = findTag(reply, "<", "PubmedArticleSet", 0);
    if (set.begin < 0)
        return pieces;
    pieces.header = reply.first(set.end);

    qsizetype from = set.end;
    for (;;) {
        const TagSpan open = findTag(reply, "<", "PubmedArticle", from);
        if (open.begin < 0)
            break;
        if (reply[open.end - 2] == '/') { // an empty <PubmedArticle/> holds no article
            from = open.end;
            continue;
        }
        const TagSpan close = findTag(reply, "</", "PubmedArticle", open.end);
        if (close.begin < 0)
            break;
        pieces.articles.append(reply.sliced(open.begin, close.end - open.begin));
        from = close.end;
    }
    return pieces;
}

QByteArray articleDocument(QByteArrayView header, QByteArrayView article)
{
    QByteArray document;
    document.reserve(header.size() + article.size() + 21);
    document.append(header).append(article).append("\n</PubmedArticleSet>\n");
    return document;
}

} // namespace eutils
