#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace pubmedxml {

// Documents larger than this are refused without being parsed. Whole efetch
// replies of a few thousand articles stay far below it.
inline constexpr qsizetype MaxDocumentBytes = qsizetype(1) << 30; // 1 GiB

// Elements nested deeper than this make the document unacceptable. PubMed
// records nest about ten levels (a little more with MathML in an abstract).
inline constexpr int MaxElementDepth = 256;

// The fields kept of one child of PubmedArticleSet. A null QString is an
// absent field; an element that exists but holds no text gives an empty one
// for title and abstract.
struct ArticleFields
{
    QString year;
    QString volume;
    QString number;
    QString pages;
    QString journal;
    QString title;
    QString abstract;
    QString pubmed;
    QString doi;
    std::optional<QStringList> authors; // none without an AuthorList
};

struct ArticleSet
{
    bool valid = false; // well-formed, acceptable, and rooted at PubmedArticleSet
    QList<ArticleFields> articles;
};

// Reads every child of the top-level PubmedArticleSet in one pass. Never
// throws; anything unacceptable gives an invalid, empty set.
ArticleSet readArticleSet(const QByteArray& xml);

} // namespace pubmedxml
