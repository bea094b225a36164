#include "window/ArticleAddresses.h"

namespace {

const QString pubmedHost = QStringLiteral("https://www.ncbi.nlm.nih.gov");
const QString linkOutHost = QStringLiteral("https://eutils.ncbi.nlm.nih.gov");
const QString doiResolver = QStringLiteral("https://doi.org");

QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

namespace ArticleAddresses {

QUrl pubmedPage(const QString& pmid)
{
    return QUrl(pubmedHost +
                QStringLiteral("/entrez/query.fcgi?cmd=Retrieve&db=PubMed&list_uids=") +
                encoded(pmid) + QStringLiteral("&dopt=Abstract"));
}

QUrl doiPage(const QString& doi)
{
    // A DOI may hold "?", "#" or "<": set as a decoded path, each is escaped.
    QUrl url(doiResolver);
    url.setPath(u'/' + doi, QUrl::DecodedMode);
    return url;
}

QUrl linkOut(const QString& pmid)
{
    return QUrl(linkOutHost + QStringLiteral("/entrez/eutils/elink.fcgi?dbfrom=pubmed&id=") +
                encoded(pmid) + QStringLiteral("&retmode=ref&cmd=prlinks"));
}

} // namespace ArticleAddresses
