#pragma once

#include "store/ArticleRecord.h"

#include <QByteArray>
#include <QHash>
#include <QString>

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
    // "SELECT <the record's columns, in record order> FROM articles WHERE ".
    static QString statementHead();

    ArticleRecord make(const ResultRow& row);

private:
    QString sharedText(const ResultRow& row, int column);

    QHash<QByteArray, QString> shared;
};
