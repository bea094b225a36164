#pragma once

#include <QString>
#include <QVariantMap>

// An article the user entered by hand, as the information panel hands it to
// the store. `uniqueID` is the OlvaneID to use and `id` the user number, both
// decimal text; `PDFpath` is a path or "none".
struct UserArticleEntry
{
    QString uniqueID;
    QString authors;
    QString title;
    QString journal;
    QString year;
    QString volume;
    QString number;
    QString pages;
    QString type;
    QString id;
    QString PDFpath;
    QString memo;
    QString abstract;

    // Keyed "uniqueID", "authors", "title", "journal", "year", "volume",
    // "number", "pages", "type", "id", "PDFpath", "memo", "abstract".
    QVariantMap toVariant() const;
    // Missing entries become empty text.
    static UserArticleEntry fromVariant(const QVariantMap& map);
};
