#pragma once

#include <QByteArray>
#include <QStringList>

// An efetch reply of `count` PubmedArticle elements, made by repeating the
// real articles of the efetch fixtures in tests/fixtures/ncbi, each copy under
// a PMID of its own. The PMIDs given, in document order, go to `pmids`.
QByteArray buildLargeReply(int count, QStringList* pmids);
