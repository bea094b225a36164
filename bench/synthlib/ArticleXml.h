#pragma once

#include "AuthorPool.h"
#include "TextMaker.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One generated PubMed article, before it is written out.
struct SyntheticArticle
{
    QString pmid;
    QString year;        // empty when the date is a MedlineDate
    QString medlineDate; // "1998 Dec-1999 Jan"; empty when year is given
    QString month;       // "Jan" .. "Dec", may be empty
    QString volume;      // may be empty
    QString issue;       // may be empty
    QString pages;       // MedlinePgn, may be empty
    QString journal;     // MedlineTA
    QString issn;
    QStringList titleWords;
    int italicWord = -1; // index of a title word set in <i>, or -1
    QList<AbstractPart> abstract;
    QList<AuthorName> authors;
    QStringList meshTerms;
    QString doi; // may be empty
};

namespace ArticleXml {

// The per-article file as the E-utilities client writes it: the reply's XML
// declaration and document type line, "<PubmedArticleSet>", directly the one
// "<PubmedArticle>...</PubmedArticle>", then "\n</PubmedArticleSet>\n".
QByteArray perArticleFile(const SyntheticArticle& article);

// Text with &, < and > escaped for element content.
QString escaped(const QString& text);

} // namespace ArticleXml
