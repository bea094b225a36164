#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

// One article's fields as the reader returns them. Keys: "volume", "year",
// "pages", "journal", "number", "authors", "title", "abstract", "pubmed";
// a field the document does not give is left out.
using PubMedRecord = QVariantMap;

// Reads PubMed article XML (a PubmedArticleSet of PubmedArticle elements):
// one per-article file from the cache folder, or a whole reply held in memory.
// Pure: bytes in, values out; bad input gives isValid() false and no fields.
// Single-field accessors answer for the first article of the set and give a
// null QString when the field is absent.
class PubMedXML
{
public:
    PubMedXML();
    ~PubMedXML();
    PubMedXML(const PubMedXML&) = delete;
    PubMedXML& operator=(const PubMedXML&) = delete;

    // Reads "<xmlDirectory>/<fileName>.xml". False, keeping the previous
    // document, when there is no such file; otherwise whether it gave bytes.
    bool openFile(const QString& fileName, const QString& xmlDirectory);
    void setData(const QByteArray& data);

    // The document parses and its top-level element is PubmedArticleSet.
    bool isValid() const;

    QString year() const;
    QString volume() const;
    QString number() const;
    QString pages() const;
    QString journal() const;
    QString title() const;
    QString abstract() const;
    QString pubmed() const;
    QString doi() const;

    // Author entries ("Smith, JA", a group's name); none without an AuthorList.
    std::optional<QStringList> authors() const;
    // The entries joined by ", "; empty text when there are none.
    QString authorsAsString() const;

    // First article: volume, year, pages, journal, number, authors (list), title.
    PubMedRecord parse() const;
    // First article: as parse() with authors as the authors string, plus
    // abstract and pubmed.
    PubMedRecord parseAll() const;
    // One record per article in document order: year, volume, pages, journal,
    // authors (string), title, abstract, pubmed.
    QList<PubMedRecord> parseAllArticle() const;
    // openFile() then parse(); no value when the file cannot be opened.
    std::optional<PubMedRecord> parseFromFile(const QString& fileName, const QString& xmlDirectory);

private:
    struct Document;
    const Document& document() const;

    QByteArray xmlData;
    mutable std::unique_ptr<Document> parsed; // built on first use, dropped when the bytes change
};
