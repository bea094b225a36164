#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A real person's name as a PubMed record gives it.
struct PersonName
{
    QString lastName;
    QString foreName; // may be empty
    QString initials;
};

// Material harvested from the real PubMed replies bundled with the generator
// (the efetch fixtures and NLM's 2006 MEDLINE sample): every text the
// synthetic articles are recombined from. Lists are in document order, each
// text once.
struct Corpus
{
    QList<PersonName> people;
    QStringList groupNames;    // CollectiveName
    QStringList journals;      // MedlineTA
    QList<QStringList> titles; // ArticleTitle split into words
    QStringList sentences;     // from AbstractText
    QStringList meshTerms;     // DescriptorName
    QStringList abstractLabels;

    // Reads the bundled replies. Empty lists mean the resources are missing.
    static Corpus harvest();
    // The same from XML texts in memory (PubmedArticleSet, MedlineCitationSet
    // or any document holding those elements).
    static Corpus harvest(const QList<QByteArray>& documents);
};
