#include "pubmed/ArticleSetReader.h"

#include <QVarLengthArray>
#include <QXmlStreamReader>

namespace pubmedxml {
namespace {

// The elements on the paths we read, named after the element they stand for.
// Anything else is Other: its text may still belong to a title or abstract.
enum class Node : quint8 {
    Other,
    Set,   // PubmedArticleSet
    Entry, // any child of the set: PubmedArticle, PubmedBookArticle, ...
    Citation,
    CitationArticle, // MedlineCitation/Article
    Journal,
    JournalIssue,
    PubDate,
    Year,
    MedlineDate,
    Volume,
    Issue,
    Pagination,
    MedlinePgn,
    JournalInfo,
    MedlineTA,
    AuthorList,
    Author,
    LastName,
    CollectiveName,
    ForeName,
    Initials,
    ArticleTitle,
    Abstract,
    AbstractText,
    PubmedData,
    ArticleIdList,
    ArticleId,
};

// Nodes that every child of their parent stands for; every other node is the
// first child element of that name, later namesakes are ignored.
bool repeats(Node node)
{
    return node == Node::Entry || node == Node::Author || node == Node::ArticleId;
}

Node childNode(Node parent, QStringView name)
{
    switch (parent) {
    case Node::Set:
        return Node::Entry;
    case Node::Entry:
        if (name == u"MedlineCitation")
            return Node::Citation;
        if (name == u"PubmedData")
            return Node::PubmedData;
        break;
    case Node::Citation:
        if (name == u"Article")
            return Node::CitationArticle;
        if (name == u"MedlineJournalInfo")
            return Node::JournalInfo;
        break;
    case Node::CitationArticle:
        if (name == u"Journal")
            return Node::Journal;
        if (name == u"Pagination")
            return Node::Pagination;
        if (name == u"AuthorList")
            return Node::AuthorList;
        if (name == u"ArticleTitle")
            return Node::ArticleTitle;
        if (name == u"Abstract")
            return Node::Abstract;
        break;
    case Node::Journal:
        if (name == u"JournalIssue")
            return Node::JournalIssue;
        break;
    case Node::JournalIssue:
        if (name == u"PubDate")
            return Node::PubDate;
        if (name == u"Volume")
            return Node::Volume;
        if (name == u"Issue")
            return Node::Issue;
        break;
    case Node::PubDate:
        if (name == u"Year")
            return Node::Year;
        if (name == u"MedlineDate")
            return Node::MedlineDate;
        break;
    case Node::Pagination:
        if (name == u"MedlinePgn")
            return Node::MedlinePgn;
        break;
    case Node::JournalInfo:
        if (name == u"MedlineTA")
            return Node::MedlineTA;
        break;
    case Node::AuthorList:
        return Node::Author;
    case Node::Author:
        if (name == u"LastName")
            return Node::LastName;
        if (name == u"CollectiveName")
            return Node::CollectiveName;
        if (name == u"ForeName")
            return Node::ForeName;
        if (name == u"Initials")
            return Node::Initials;
        break;
    case Node::Abstract:
        if (name == u"AbstractText")
            return Node::AbstractText;
        break;
    case Node::PubmedData:
        if (name == u"ArticleIdList")
            return Node::ArticleIdList;
        break;
    case Node::ArticleIdList:
        return Node::ArticleId;
    default:
        break;
    }
    return Node::Other;
}

struct Frame
{
    Node node = Node::Other;
    quint32 seen = 0; // one bit per Node already met as a child
};

// How the text of the element being captured is gathered.
enum class Capture : quint8 {
    None,
    Whole,   // all text inside the element, markup children included
    Leading, // only the element's own text before its first child element
};

enum class IdType : quint8 { Other, PubMed, Doi };

// Text of a field read as its leading text: absent when there is none, as an
// element holding only blanks has no text of its own.
QString presentOrNull(const QString& text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return text;
    }
    return QString();
}

class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : xml(bytes) { xml.setNamespaceProcessing(false); }

    ArticleSet read();

private:
    bool startElement();
    void endElement();
    void beginCapture(QString* target, Capture mode);
    bool capturesText() const;
    void finishAuthor();
    void finishArticleId();
    ArticleFields& article() { return set.articles.last(); }

    QXmlStreamReader xml;
    ArticleSet set;
    QVarLengthArray<Frame, 32> frames;

    Capture capture = Capture::None;
    QString* captureTarget = nullptr;
    qsizetype captureDepth = 0; // frames.size() of the captured element
    bool leadingDone = false;   // a Leading capture has met a child element

    // Parts of the element being read that become one value when it ends.
    bool pubDateHasYear = false;
    QString pubDateYear, pubDateMedline;
    QString lastName, collectiveName, foreName, initials;
    IdType idType = IdType::Other;
    QString idText;
};

ArticleSet Reader::read()
{
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // PubMed replies only name their DTD. Documents declaring their own
            // entities are refused: no entity expansion, no expansion attacks.
            if (!xml.entityDeclarations().isEmpty())
                return {};
            break;
        case QXmlStreamReader::StartElement:
            if (!startElement())
                return {};
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            if (capturesText())
                captureTarget->append(xml.text());
            break;
        case QXmlStreamReader::EntityReference:
            // An entity the document names but never declares: its name stands in.
            if (capturesText())
                captureTarget->append(xml.name());
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return {};
    set.valid = true;
    return std::move(set);
}

bool Reader::startElement()
{
    if (frames.size() >= MaxElementDepth)
        return false;
    if (frames.isEmpty()) {
        if (xml.name() != u"PubmedArticleSet")
            return false;
        frames.append({Node::Set});
        return true;
    }
    if (capture == Capture::Leading)
        leadingDone = true;

    Frame& parent = frames.last();
    Node node = childNode(parent.node, xml.name());
    if (node != Node::Other && !repeats(node)) {
        const quint32 bit = quint32(1) << quint32(node);
        if (parent.seen & bit)
            node = Node::Other;
        else
            parent.seen |= bit;
    }
    frames.append({node});

    switch (node) {
    case Node::Entry:
        set.articles.append(ArticleFields());
        break;
    case Node::PubDate:
        pubDateHasYear = false;
        pubDateYear.clear();
        pubDateMedline.clear();
        break;
    case Node::Year:
        pubDateHasYear = true;
        beginCapture(&pubDateYear, Capture::Leading);
        break;
    case Node::MedlineDate:
        beginCapture(&pubDateMedline, Capture::Leading);
        break;
    case Node::Volume:
        beginCapture(&article().volume, Capture::Leading);
        break;
    case Node::Issue:
        beginCapture(&article().number, Capture::Leading);
        break;
    case Node::MedlinePgn:
        beginCapture(&article().pages, Capture::Leading);
        break;
    case Node::MedlineTA:
        beginCapture(&article().journal, Capture::Leading);
        break;
    case Node::AuthorList:
        article().authors = QStringList();
        break;
    case Node::Author:
        lastName.clear();
        collectiveName.clear();
        foreName.clear();
        initials.clear();
        break;
    case Node::LastName:
        beginCapture(&lastName, Capture::Whole);
        break;
    case Node::CollectiveName:
        beginCapture(&collectiveName, Capture::Whole);
        break;
    case Node::ForeName:
        beginCapture(&foreName, Capture::Whole);
        break;
    case Node::Initials:
        beginCapture(&initials, Capture::Whole);
        break;
    case Node::ArticleTitle:
        article().title = QStringLiteral(""); // present, even when it holds no text
        beginCapture(&article().title, Capture::Whole);
        break;
    case Node::AbstractText:
        article().abstract = QStringLiteral("");
        beginCapture(&article().abstract, Capture::Whole);
        break;
    case Node::ArticleId: {
        const QStringView type = xml.attributes().value(QLatin1StringView("IdType"));
        idType = type == u"pubmed" ? IdType::PubMed : type == u"doi" ? IdType::Doi : IdType::Other;
        idText.clear();
        beginCapture(&idText, Capture::Leading);
        break;
    }
    default:
        break;
    }
    return true;
}

void Reader::beginCapture(QString* target, Capture mode)
{
    capture = mode;
    captureTarget = target;
    captureDepth = frames.size();
    leadingDone = false;
}

// Whether text read now belongs to the captured element.
bool Reader::capturesText() const
{
    return capture == Capture::Whole || (capture == Capture::Leading && !leadingDone);
}

void Reader::endElement()
{
    const Node node = frames.last().node;
    if (capture != Capture::None && frames.size() == captureDepth) {
        if (capture == Capture::Leading)
            *captureTarget = presentOrNull(*captureTarget);
        capture = Capture::None;
        captureTarget = nullptr;
    }

    switch (node) {
    case Node::PubDate:
        if (pubDateHasYear)
            article().year = pubDateYear;
        else if (!pubDateMedline.isNull())
            article().year = pubDateMedline.left(4); // "1998 Dec-1999 Jan" -> "1998"
        break;
    case Node::Author:
        finishAuthor();
        break;
    case Node::ArticleId:
        finishArticleId();
        break;
    default:
        break;
    }
    frames.removeLast();
}

// One author element makes one entry: "Last, Initials", "Last, ForeName"
// without initials, the group's name for a collective author. Suffix,
// identifiers and affiliations are not part of it.
void Reader::finishAuthor()
{
    QString entry = lastName.trimmed();
    if (entry.isEmpty())
        entry = collectiveName.trimmed();
    if (entry.isEmpty())
        return;
    const QString given = initials.trimmed();
    const QString fore = foreName.trimmed();
    if (!given.isEmpty())
        entry += QStringLiteral(", ") + given;
    else if (!fore.isEmpty())
        entry += QStringLiteral(", ") + fore;
    article().authors->append(entry);
}

// The first id of each kind that carries text wins.
void Reader::finishArticleId()
{
    if (idText.isNull())
        return;
    ArticleFields& fields = article();
    if (idType == IdType::PubMed && fields.pubmed.isNull())
        fields.pubmed = idText;
    else if (idType == IdType::Doi && fields.doi.isNull())
        fields.doi = idText;
}

} // namespace

ArticleSet readArticleSet(const QByteArray& xml)
{
    if (xml.isEmpty() || xml.size() > MaxDocumentBytes)
        return {};
    return Reader(xml).read();
}

} // namespace pubmedxml
