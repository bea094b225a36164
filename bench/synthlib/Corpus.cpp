#include "Corpus.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace {

const char* const bundledReplies[] = {
    "biopython__pubmed2.xml",
    "biopython__pubmed4.xml",
    "biopython__pubmed7.xml",
    "Eutils-JSON__efetch.pubmed.xml",
    "Eutils-JSON__efetch.pubmedbook.xml",
    "metapub__31789841.xml",
    "metapub__37167981.xml",
    "exi-testsuite__medsamp2006.xml",
};

// Appends `text` unless it is empty or already there.
void addOnce(QStringList& list, QSet<QString>& seen, const QString& text)
{
    const QString clean = text.simplified();
    if (!clean.isEmpty() && !seen.contains(clean)) {
        seen.insert(clean);
        list.append(clean);
    }
}

// Sentences end with ". ", "? " or "! " followed by an upper-case letter or digit.
QStringList sentencesOf(const QString& text)
{
    static const QRegularExpression boundary(QStringLiteral("(?<=[.?!])\\s+(?=[\\p{Lu}\\d])"));
    QStringList sentences;
    for (const QString& part : text.simplified().split(boundary, Qt::SkipEmptyParts)) {
        if (part.size() >= 20)
            sentences.append(part);
    }
    return sentences;
}

class Harvester
{
public:
    explicit Harvester(Corpus& corpus) : corpus(corpus) {}

    void read(const QByteArray& document)
    {
        QXmlStreamReader xml(document);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml.name();
            if (name == u"Author" || name == u"Investigator")
                readPerson(xml);
            else if (name == u"MedlineTA")
                addOnce(corpus.journals, journals, xml.readElementText());
            else if (name == u"ArticleTitle")
                addTitle(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            else if (name == u"AbstractText")
                addAbstract(xml);
            else if (name == u"DescriptorName")
                addOnce(corpus.meshTerms, mesh, xml.readElementText());
        }
    }

private:
    void readPerson(QXmlStreamReader& xml)
    {
        PersonName person;
        QString group;
        const QString element = xml.name().toString();
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == element)
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml.name();
            if (name == u"LastName")
                person.lastName = xml.readElementText().simplified();
            else if (name == u"ForeName")
                person.foreName = xml.readElementText().simplified();
            else if (name == u"Initials")
                person.initials = xml.readElementText().simplified();
            else if (name == u"CollectiveName")
                group = xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            else
                xml.skipCurrentElement();
        }
        if (!group.isEmpty())
            addOnce(corpus.groupNames, groups, group);
        const QString key = person.lastName + u'|' + person.foreName + u'|' + person.initials;
        if (!person.lastName.isEmpty() && !people.contains(key)) {
            people.insert(key);
            corpus.people.append(person);
        }
    }

    void addTitle(const QString& text)
    {
        const QString title = text.simplified();
        if (title.isEmpty() || titles.contains(title))
            return;
        titles.insert(title);
        corpus.titles.append(title.split(u' '));
    }

    void addAbstract(QXmlStreamReader& xml)
    {
        const QString label = xml.attributes().value(QLatin1StringView("Label")).toString();
        if (!label.isEmpty())
            addOnce(corpus.abstractLabels, labels, label);
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        for (const QString& sentence : sentencesOf(text))
            addOnce(corpus.sentences, sentences, sentence);
    }

    Corpus& corpus;
    QSet<QString> people, groups, journals, titles, sentences, mesh, labels;
};

} // namespace

Corpus Corpus::harvest(const QList<QByteArray>& documents)
{
    Corpus corpus;
    Harvester harvester(corpus);
    for (const QByteArray& document : documents)
        harvester.read(document);
    return corpus;
}

Corpus Corpus::harvest()
{
    QList<QByteArray> documents;
    for (const char* name : bundledReplies) {
        QFile file(QStringLiteral(":/synthlib/replies/") + QLatin1StringView(name));
        if (file.open(QIODevice::ReadOnly))
            documents.append(file.readAll());
    }
    return harvest(documents);
}
