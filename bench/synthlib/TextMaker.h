#pragma once

#include "Random.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct Corpus;

// One part of an abstract: the text and, for a structured abstract, its label.
struct AbstractPart
{
    QString label;
    QString text;
};

// New titles, abstracts and memos recombined from the corpus's real ones:
// titles by walking from word to word along the real titles (a word may be
// followed by any word that follows it somewhere), abstracts from real
// sentences.
class TextMaker
{
public:
    explicit TextMaker(const Corpus& corpus);

    // Words of a title, the last one ending in "." or "?".
    QStringList title(Random& random) const;
    // No parts for an article without an abstract.
    QList<AbstractPart> abstract(Random& random) const;
    QString memo(Random& random) const;
    const QString& meshTerm(Random& random) const { return random.pick(meshTerms); }

private:
    QStringList starts;
    QStringList vocabulary;
    QHash<QString, QStringList> followers; // only looked up, never walked
    QStringList sentences;
    QStringList labels;
    QStringList meshTerms;
};
