#include "TextMaker.h"

#include "Corpus.h"

namespace {

// Notes users write, with the apostrophes and non-ASCII letters they contain.
const QStringList memoNotes = {
    QStringLiteral("Don't cite: see the erratum"),
    QStringLiteral("Cf. Müller's review"),
    QStringLiteral("Ask Łukasz about the assay"),
    QStringLiteral("Compare with O'Brien's cohort"),
    QStringLiteral("Journal club – figure 3"),
    QStringLiteral("Key reference for the grant (aim 2)"),
    QStringLiteral("Methods: 50% glycerol, 37 °C"),
    QStringLiteral("Søren's lab, same antibody"),
};

bool endsSentence(const QString& word)
{
    return word.endsWith(u'.') || word.endsWith(u'?');
}

} // namespace

TextMaker::TextMaker(const Corpus& corpus)
    : sentences(corpus.sentences), labels(corpus.abstractLabels), meshTerms(corpus.meshTerms)
{
    for (const QStringList& words : corpus.titles) {
        if (words.isEmpty())
            continue;
        starts.append(words.first());
        for (qsizetype i = 0; i < words.size(); ++i) {
            vocabulary.append(words.at(i));
            if (i + 1 < words.size())
                followers[words.at(i)].append(words.at(i + 1));
        }
    }
    if (starts.isEmpty())
        starts = vocabulary = {QStringLiteral("Untitled.")};
    if (sentences.isEmpty())
        sentences.append(QStringLiteral("No abstract text was available."));
    if (labels.isEmpty())
        labels = QStringList{QStringLiteral("BACKGROUND"), QStringLiteral("METHODS"),
                             QStringLiteral("RESULTS"), QStringLiteral("CONCLUSIONS")};
    if (meshTerms.isEmpty())
        meshTerms.append(QStringLiteral("Humans"));
}

QStringList TextMaker::title(Random& random) const
{
    QStringList words{random.pick(starts)};
    const int longest = random.between(6, 28);
    while (words.size() < longest) {
        const QString& last = words.last();
        if (endsSentence(last) && words.size() >= 5)
            break;
        const auto found = followers.constFind(last);
        // Now and then, or at a dead end, any real title word goes next.
        if (found == followers.cend() || random.chance(0.12))
            words.append(random.pick(vocabulary));
        else
            words.append(random.pick(*found));
    }
    QString& last = words.last();
    while (!last.isEmpty() && !last.back().isLetterOrNumber() && !endsSentence(last))
        last.chop(1);
    // A title translated into English stands in brackets: "[...]."
    if (words.first().startsWith(u'[')) {
        if (last.endsWith(u'.') || last.endsWith(u'?'))
            last.chop(1);
        if (!last.endsWith(u']'))
            last += u']';
    } else {
        last.remove(u']');
    }
    if (!endsSentence(last))
        last += u'.';
    return words;
}

QList<AbstractPart> TextMaker::abstract(Random& random) const
{
    QList<AbstractPart> parts;
    if (random.chance(0.15))
        return parts;
    const bool structured = random.chance(0.2);
    const int sections = structured ? random.between(3, 5) : 1;
    for (int section = 0; section < sections; ++section) {
        AbstractPart part;
        if (structured)
            part.label = labels.at(section % labels.size());
        const int count = structured ? random.between(1, 3) : random.between(3, 11);
        QStringList chosen;
        for (int i = 0; i < count; ++i)
            chosen.append(random.pick(sentences));
        part.text = chosen.join(u' ');
        parts.append(part);
    }
    return parts;
}

QString TextMaker::memo(Random& random) const
{
    if (random.chance(0.5))
        return random.pick(memoNotes);
    QStringList words;
    const int count = random.between(2, 8);
    for (int i = 0; i < count; ++i)
        words.append(random.pick(vocabulary));
    return words.join(u' ');
}
