#include "pubmed/PubMedXML.h"

#include "pubmed/ArticleSetReader.h"

#include <QFile>
#include <QFileInfo>

using pubmedxml::ArticleFields;

struct PubMedXML::Document
{
    pubmedxml::ArticleSet set;

    const ArticleFields* first() const
    {
        return set.articles.isEmpty() ? nullptr : &set.articles[0];
    }
};

namespace {

// Whole contents of a regular file, or nothing when it cannot be read or is
// larger than any document the reader accepts.
QByteArray readDocumentFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > pubmedxml::MaxDocumentBytes)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void insertIfPresent(PubMedRecord& record, const QString& key, const QString& value)
{
    if (!value.isNull())
        record.insert(key, value);
}

QString fieldOf(const ArticleFields* article, QString ArticleFields::*field)
{
    return article ? article->*field : QString();
}

QString joinAuthors(const ArticleFields* article)
{
    if (!article || !article->authors)
        return QStringLiteral("");
    return article->authors->join(u", ");
}

} // namespace

PubMedXML::PubMedXML() = default;
PubMedXML::~PubMedXML() = default;

bool PubMedXML::openFile(const QString& fileName, const QString& xmlDirectory)
{
    const QString path = xmlDirectory + u'/' + fileName + u".xml";
    if (!QFileInfo::exists(path))
        return false;
    // Whatever was read replaces the document, so a failed read leaves none.
    setData(readDocumentFile(path));
    return !xmlData.isEmpty();
}

void PubMedXML::setData(const QByteArray& data)
{
    xmlData = data;
    parsed.reset();
}

const PubMedXML::Document& PubMedXML::document() const
{
    if (!parsed) {
        parsed = std::make_unique<Document>();
        parsed->set = pubmedxml::readArticleSet(xmlData);
    }
    return *parsed;
}

bool PubMedXML::isValid() const
{
    return document().set.valid;
}

QString PubMedXML::year() const
{
    return fieldOf(document().first(), &ArticleFields::year);
}

QString PubMedXML::volume() const
{
    return fieldOf(document().first(), &ArticleFields::volume);
}

QString PubMedXML::number() const
{
    return fieldOf(document().first(), &ArticleFields::number);
}

QString PubMedXML::pages() const
{
    return fieldOf(document().first(), &ArticleFields::pages);
}

QString PubMedXML::journal() const
{
    return fieldOf(document().first(), &ArticleFields::journal);
}

QString PubMedXML::title() const
{
    return fieldOf(document().first(), &ArticleFields::title);
}

QString PubMedXML::abstract() const
{
    return fieldOf(document().first(), &ArticleFields::abstract);
}

QString PubMedXML::pubmed() const
{
    return fieldOf(document().first(), &ArticleFields::pubmed);
}

QString PubMedXML::doi() const
{
    return fieldOf(document().first(), &ArticleFields::doi);
}

std::optional<QStringList> PubMedXML::authors() const
{
    const ArticleFields* article = document().first();
    return article ? article->authors : std::nullopt;
}

QString PubMedXML::authorsAsString() const
{
    return joinAuthors(document().first());
}

PubMedRecord PubMedXML::parse() const
{
    PubMedRecord record;
    const ArticleFields* article = document().first();
    if (!article)
        return record;
    insertIfPresent(record, QStringLiteral("volume"), article->volume);
    insertIfPresent(record, QStringLiteral("year"), article->year);
    insertIfPresent(record, QStringLiteral("pages"), article->pages);
    insertIfPresent(record, QStringLiteral("journal"), article->journal);
    insertIfPresent(record, QStringLiteral("number"), article->number);
    if (article->authors)
        record.insert(QStringLiteral("authors"), *article->authors);
    insertIfPresent(record, QStringLiteral("title"), article->title);
    return record;
}

PubMedRecord PubMedXML::parseAll() const
{
    const Document& doc = document();
    if (!doc.set.valid)
        return {};
    const ArticleFields* article = doc.first();
    PubMedRecord record;
    if (article) {
        insertIfPresent(record, QStringLiteral("volume"), article->volume);
        insertIfPresent(record, QStringLiteral("year"), article->year);
        insertIfPresent(record, QStringLiteral("pages"), article->pages);
        insertIfPresent(record, QStringLiteral("journal"), article->journal);
        insertIfPresent(record, QStringLiteral("number"), article->number);
        insertIfPresent(record, QStringLiteral("title"), article->title);
        insertIfPresent(record, QStringLiteral("abstract"), article->abstract);
        insertIfPresent(record, QStringLiteral("pubmed"), article->pubmed);
    }
    record.insert(QStringLiteral("authors"), joinAuthors(article));
    return record;
}

QList<PubMedRecord> PubMedXML::parseAllArticle() const
{
    const Document& doc = document();
    QList<PubMedRecord> records;
    records.reserve(doc.set.articles.size());
    for (const ArticleFields& article : doc.set.articles) {
        PubMedRecord record;
        insertIfPresent(record, QStringLiteral("year"), article.year);
        insertIfPresent(record, QStringLiteral("volume"), article.volume);
        insertIfPresent(record, QStringLiteral("pages"), article.pages);
        insertIfPresent(record, QStringLiteral("journal"), article.journal);
        record.insert(QStringLiteral("authors"), joinAuthors(&article));
        insertIfPresent(record, QStringLiteral("title"), article.title);
        insertIfPresent(record, QStringLiteral("abstract"), article.abstract);
        insertIfPresent(record, QStringLiteral("pubmed"), article.pubmed);
        records.append(record);
    }
    return records;
}

std::optional<PubMedRecord> PubMedXML::parseFromFile(const QString& fileName,
                                                     const QString& xmlDirectory)
{
    if (!openFile(fileName, xmlDirectory))
        return std::nullopt;
    return parse();
}
