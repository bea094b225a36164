#pragma once

#include "Random.h"

#include <QStringList>

struct Corpus;

// Journal title abbreviations in the MedlineTA style: the real ones of the
// corpus and new ones put together from their words and from abbreviated
// subject words ("J", "Am J", "Mol", "Neurol", "Transcr" ...). Popularity is
// Zipf-like: a few journals hold a large share of a library.
class JournalPool
{
public:
    JournalPool(const Corpus& corpus, int size, Random& random);

    // Index into names().
    int pick(Random& random) const { return popularity.pick(random); }
    const QStringList& names() const { return journals; }
    // A stable ISSN-like number for the journal at `index`.
    static QString issn(int index);

private:
    QStringList journals;
    ZipfPicker popularity;
};

// "Neurology" -> "Neurol", "Transcription" -> "Transcr": a word cut after a
// consonant that a vowel follows, as journal abbreviations are made.
QString abbreviated(const QString& word);
