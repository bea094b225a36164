#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace eutils {

// An efetch reply cut at its tags. Views point into the reply passed to
// splitArticleSet() and live as long as it does.
struct ArticleSetPieces
{
    // The reply from its first byte through the end of the PubmedArticleSet
    // opening tag: the XML declaration and document type exactly as received.
    // Empty when the reply has no such tag.
    QByteArrayView header;
    // Each PubmedArticle element, opening through closing tag, in reply order.
    // Other children of the set (PubmedBookArticle, ...) are not among them.
    QList<QByteArrayView> articles;
};

// Finds the pieces by the tags themselves, so compact replies (articles back
// to back on one line) and indented ones split alike. An article whose
// closing tag is missing ends the list.
ArticleSetPieces splitArticleSet(QByteArrayView reply);

// header + article + "\n</PubmedArticleSet>\n": a per-article XML file.
QByteArray articleDocument(QByteArrayView header, QByteArrayView article);

} // namespace eutils
