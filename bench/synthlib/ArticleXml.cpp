#include "ArticleXml.h"

namespace {

// The header of a current efetch reply, through "<PubmedArticleSet>".
const char* const replyHeader =
    "<?xml version=\"1.0\" ?>\n"
    "<!DOCTYPE PubmedArticleSet PUBLIC \"-//NLM//DTD PubMedArticle, 1st January 2025//EN\" "
    "\"https://dtd.nlm.nih.gov/ncbi/pubmed/out/pubmed_250101.dtd\">\n"
    "<PubmedArticleSet>";

// Appends lines in the indented layout of efetch replies.
class Writer
{
public:
    void line(int depth, const QString& text)
    {
        out.append(QString(depth * 4, u' '));
        out.append(text);
        out.append(u'\n');
    }
    // <name>escaped text</name>, left out when the text is empty.
    void element(int depth, const QString& name, const QString& text,
                 const QString& attributes = {})
    {
        if (text.isEmpty())
            return;
        line(depth,
             u'<' + name + attributes + u'>' + ArticleXml::escaped(text) + u"</" + name + u'>');
    }

    QString out;
};

QString titleText(const SyntheticArticle& article)
{
    QStringList words;
    for (qsizetype i = 0; i < article.titleWords.size(); ++i) {
        const QString word = ArticleXml::escaped(article.titleWords.at(i));
        words.append(i == article.italicWord ? u"<i>" + word + u"</i>" : word);
    }
    return words.join(u' ');
}

void writeJournal(Writer& w, const SyntheticArticle& a)
{
    w.line(3, QStringLiteral("<Journal>"));
    w.element(4, QStringLiteral("ISSN"), a.issn, QStringLiteral(" IssnType=\"Print\""));
    w.line(4, QStringLiteral("<JournalIssue CitedMedium=\"Print\">"));
    w.element(5, QStringLiteral("Volume"), a.volume);
    w.element(5, QStringLiteral("Issue"), a.issue);
    w.line(5, QStringLiteral("<PubDate>"));
    if (a.medlineDate.isEmpty()) {
        w.element(6, QStringLiteral("Year"), a.year);
        w.element(6, QStringLiteral("Month"), a.month);
    } else {
        w.element(6, QStringLiteral("MedlineDate"), a.medlineDate);
    }
    w.line(5, QStringLiteral("</PubDate>"));
    w.line(4, QStringLiteral("</JournalIssue>"));
    w.element(4, QStringLiteral("Title"), a.journal);
    w.element(4, QStringLiteral("ISOAbbreviation"), a.journal);
    w.line(3, QStringLiteral("</Journal>"));
}

void writeAbstract(Writer& w, const SyntheticArticle& a)
{
    if (a.abstract.isEmpty())
        return;
    w.line(3, QStringLiteral("<Abstract>"));
    for (const AbstractPart& part : a.abstract) {
        const QString attributes =
            part.label.isEmpty()
                ? QString()
                : QStringLiteral(" Label=\"%1\" NlmCategory=\"%1\"").arg(part.label.toUpper());
        w.element(4, QStringLiteral("AbstractText"), part.text, attributes);
    }
    w.line(3, QStringLiteral("</Abstract>"));
}

void writeAuthors(Writer& w, const SyntheticArticle& a)
{
    if (a.authors.isEmpty())
        return;
    w.line(3, QStringLiteral("<AuthorList CompleteYN=\"Y\">"));
    for (const AuthorName& author : a.authors) {
        w.line(4, QStringLiteral("<Author ValidYN=\"Y\">"));
        if (!author.collectiveName.isEmpty()) {
            w.element(5, QStringLiteral("CollectiveName"), author.collectiveName);
        } else {
            w.element(5, QStringLiteral("LastName"), author.lastName);
            w.element(5, QStringLiteral("ForeName"), author.foreName);
            w.element(5, QStringLiteral("Initials"), author.initials);
            w.element(5, QStringLiteral("Suffix"), author.suffix);
        }
        w.line(4, QStringLiteral("</Author>"));
    }
    w.line(3, QStringLiteral("</AuthorList>"));
}

void writePubmedData(Writer& w, const SyntheticArticle& a)
{
    w.line(1, QStringLiteral("<PubmedData>"));
    w.line(2, QStringLiteral("<PublicationStatus>ppublish</PublicationStatus>"));
    w.line(2, QStringLiteral("<ArticleIdList>"));
    w.element(3, QStringLiteral("ArticleId"), a.pmid, QStringLiteral(" IdType=\"pubmed\""));
    w.element(3, QStringLiteral("ArticleId"), a.doi, QStringLiteral(" IdType=\"doi\""));
    w.line(2, QStringLiteral("</ArticleIdList>"));
    w.line(1, QStringLiteral("</PubmedData>"));
}

} // namespace

QString ArticleXml::escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else
            out += c;
    }
    return out;
}

QByteArray ArticleXml::perArticleFile(const SyntheticArticle& a)
{
    Writer w;
    w.out.reserve(4096);
    w.out.append(QStringLiteral("<PubmedArticle>\n"));
    w.line(1, QStringLiteral("<MedlineCitation Status=\"MEDLINE\" Owner=\"NLM\">"));
    w.element(2, QStringLiteral("PMID"), a.pmid, QStringLiteral(" Version=\"1\""));
    w.line(2, QStringLiteral("<Article PubModel=\"Print\">"));
    writeJournal(w, a);
    w.line(3, QStringLiteral("<ArticleTitle>") + titleText(a) + QStringLiteral("</ArticleTitle>"));
    if (!a.pages.isEmpty()) {
        w.line(3, QStringLiteral("<Pagination>"));
        w.element(4, QStringLiteral("MedlinePgn"), a.pages);
        w.line(3, QStringLiteral("</Pagination>"));
    }
    w.element(3, QStringLiteral("ELocationID"), a.doi,
              QStringLiteral(" EIdType=\"doi\" ValidYN=\"Y\""));
    writeAbstract(w, a);
    writeAuthors(w, a);
    w.element(3, QStringLiteral("Language"), QStringLiteral("eng"));
    w.line(3, QStringLiteral("<PublicationTypeList>"));
    w.element(4, QStringLiteral("PublicationType"), QStringLiteral("Journal Article"),
              QStringLiteral(" UI=\"D016428\""));
    w.line(3, QStringLiteral("</PublicationTypeList>"));
    w.line(2, QStringLiteral("</Article>"));
    w.line(2, QStringLiteral("<MedlineJournalInfo>"));
    w.element(3, QStringLiteral("MedlineTA"), a.journal);
    w.element(3, QStringLiteral("ISSNLinking"), a.issn);
    w.line(2, QStringLiteral("</MedlineJournalInfo>"));
    if (!a.meshTerms.isEmpty()) {
        w.line(2, QStringLiteral("<MeshHeadingList>"));
        for (const QString& term : a.meshTerms) {
            w.line(3, QStringLiteral("<MeshHeading>"));
            w.element(4, QStringLiteral("DescriptorName"), term,
                      QStringLiteral(" MajorTopicYN=\"N\""));
            w.line(3, QStringLiteral("</MeshHeading>"));
        }
        w.line(2, QStringLiteral("</MeshHeadingList>"));
    }
    w.line(1, QStringLiteral("</MedlineCitation>"));
    writePubmedData(w, a);
    w.out.append(QStringLiteral("</PubmedArticle>"));
    return replyHeader + w.out.toUtf8() + "\n</PubmedArticleSet>\n";
}
