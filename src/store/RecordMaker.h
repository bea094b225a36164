#pragma once

#include "store/ArticleRecord.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>

class ResultRow;

// Turns the rows of the record statement into article records.
//
// A library repeats many cell texts from row to row: every mark is one of
// four words, every type "pmid" or "User", journals, years, volumes, issues
// and import times recur. Such texts are made once per query and shared by
// every record holding them, which keeps a list of 100,000 records compact.
class RecordMaker final
{
public:
    // "SELECT <the record's columns, in record order> FROM articles".
    static QString statementHead();

    ArticleRecord make(const ResultRow& row);

private:
    // The texts of one column met so far in the query.
    class SharedColumn final
    {
    public:
        const QString& text(const ResultRow& row, int column);

    private:
        QList<QString> texts;              // each distinct text once
        QHash<QByteArray, qsizetype> seen; // UTF-8 bytes -> index in texts
        // The last text, checked first: rows sorted by a column, or imported
        // together, repeat it in runs.
        QByteArray lastBytes;
        qsizetype last = -1;
        QString unshared;  // a text made for one record only
        bool full = false; // a column of mostly distinct texts stops collecting
    };

    std::array<SharedColumn, 8> sharedColumns;
};
