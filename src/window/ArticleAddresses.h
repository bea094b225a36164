#pragma once

#include <QString>
#include <QUrl>

// The web addresses the article list opens in the user's browser.
namespace ArticleAddresses {

// The PubMed page of an article.
QUrl pubmedPage(const QString& pmid);
// The publisher's page of a DOI, through the DOI resolver.
QUrl doiPage(const QString& doi);
// The publisher's page of a PubMed article, through NCBI's link-out.
QUrl linkOut(const QString& pmid);

} // namespace ArticleAddresses
