#pragma once

#include <QString>
#include <QStringList>

// What an esearch with the history server leaves us: the number of matches and
// the two keys under which the server keeps them, texts as received.
struct SearchResult
{
    QString Count;
    QString QueryKey;
    QString WebEnv;
};

// The outcome of fetching a list of PMIDs into the cache folder.
struct MultiArticleResult
{
    QStringList success;  // PMIDs whose per-article XML files now exist
    QStringList fail;     // requested PMIDs for which no file was obtained
    QString PDFDirectory; // handed back as the caller passed it
};
