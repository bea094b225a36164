#include "LargeReply.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

namespace {

const char* const efetchFixtures[] = {
    "biopython__pubmed2.xml",         "biopython__pubmed4.xml", "biopython__pubmed7.xml",
    "Eutils-JSON__efetch.pubmed.xml", "metapub__31789841.xml",  "metapub__37167981.xml",
};

struct Template
{
    QByteArray text; // one <PubmedArticle> element
    QByteArray pmid;
};

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(OLVANE_SOURCE_DIR "/tests/fixtures/ncbi/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("bench_xml: missing fixture %s", qPrintable(file.fileName()));
    return file.readAll();
}

QList<Template> templates()
{
    static const QRegularExpression pmidOf(QStringLiteral("<PMID Version=\"1\">(\\d+)</PMID>"));
    QList<Template> found;
    for (const char* name : efetchFixtures) {
        const QByteArray bytes = fixture(name);
        const QByteArray open = "<PubmedArticle>", close = "</PubmedArticle>";
        for (qsizetype from = bytes.indexOf(open); from >= 0; from = bytes.indexOf(open, from)) {
            const qsizetype end = bytes.indexOf(close, from) + close.size();
            const QByteArray text = bytes.mid(from, end - from);
            const auto match = pmidOf.match(QString::fromUtf8(text));
            found.append({text, match.captured(1).toUtf8()});
            from = end;
        }
    }
    return found;
}

// The article's own PMID, in its citation and in its id list; the PMIDs of
// its references stay.
QByteArray withPmid(const Template& article, const QByteArray& pmid)
{
    const auto element = [](const QByteArray& open, const QByteArray& id, const QByteArray& close) {
        return QByteArray(open + id + close);
    };
    QByteArray text = article.text;
    text.replace(element("<PMID Version=\"1\">", article.pmid, "</PMID>"),
                 element("<PMID Version=\"1\">", pmid, "</PMID>"));
    text.replace(element("<ArticleId IdType=\"pubmed\">", article.pmid, "</ArticleId>"),
                 element("<ArticleId IdType=\"pubmed\">", pmid, "</ArticleId>"));
    return text;
}

} // namespace

QByteArray buildLargeReply(int count, QStringList* pmids)
{
    const QList<Template> articles = templates();
    QByteArray reply = "<?xml version=\"1.0\" ?>\n"
                       "<!DOCTYPE PubmedArticleSet PUBLIC \"-//NLM//DTD PubMedArticle, 1st January "
                       "2025//EN\" \"https://dtd.nlm.nih.gov/ncbi/pubmed/out/pubmed_250101.dtd\">\n"
                       "<PubmedArticleSet>\n";
    for (int i = 0; i < count; ++i) {
        const QByteArray pmid = QByteArray::number(40000000 + i);
        reply += withPmid(articles[i % articles.size()], pmid);
        reply += '\n';
        pmids->append(QString::fromLatin1(pmid));
    }
    reply += "</PubmedArticleSet>\n";
    return reply;
}
