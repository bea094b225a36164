#include "JournalPool.h"

#include "Corpus.h"

#include <QSet>

namespace {

bool isVowel(QChar c)
{
    return QStringLiteral("aeiouyAEIOUY").contains(c);
}

// "Neurology", not "DNA", "pH" or "5-HT".
bool isPlainWord(const QString& word)
{
    if (word.size() < 3 || !word.at(0).isUpper())
        return false;
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (!word.at(i).isLower())
            return false;
    }
    return true;
}

} // namespace

QString abbreviated(const QString& word)
{
    if (word.size() <= 5)
        return word;
    for (qsizetype cut = std::min<qsizetype>(7, word.size() - 1); cut >= 4; --cut) {
        if (!isVowel(word.at(cut - 1)) && isVowel(word.at(cut)))
            return word.left(cut);
    }
    return word.left(5);
}

QString JournalPool::issn(int index)
{
    const quint32 number = (quint32(index) * 2654435761u) % 10000000u;
    const QString digits = QStringLiteral("%1").arg(number, 7, 10, QLatin1Char('0'));
    // The check character as ISSNs compute it.
    int sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += (8 - i) * digits.at(i).digitValue();
    const int check = (11 - sum % 11) % 11;
    return digits.left(4) + u'-' + digits.mid(4) +
           (check == 10 ? QStringLiteral("X") : QString::number(check));
}

JournalPool::JournalPool(const Corpus& corpus, int size, Random& random) : popularity(1, 1.0)
{
    // Words that open a real abbreviation ("J", "Am J", "Proc") and words
    // that follow them ("Biol", "Chem").
    QStringList heads, subjects, wholeWords;
    QSet<QString> seenHeads, seenSubjects, seenWhole;
    const auto addTo = [](QStringList& list, QSet<QString>& seen, const QString& word) {
        if (!word.isEmpty() && !seen.contains(word)) {
            seen.insert(word);
            list.append(word);
        }
    };
    for (const QString& journal : corpus.journals) {
        const QStringList words = journal.split(u' ', Qt::SkipEmptyParts);
        if (words.size() < 2)
            continue;
        addTo(heads, seenHeads, words.first());
        if (words.size() > 2 && words.at(1) == u"J")
            addTo(heads, seenHeads, words.first() + u' ' + words.at(1));
        for (qsizetype i = 1; i < words.size(); ++i)
            addTo(subjects, seenSubjects, words.at(i));
    }
    for (const QString& term : corpus.meshTerms) {
        for (const QString& word : term.split(u' ', Qt::SkipEmptyParts)) {
            if (isPlainWord(word))
                addTo(subjects, seenSubjects, abbreviated(word));
        }
    }
    for (const QStringList& title : corpus.titles) {
        for (const QString& word : title) {
            if (isPlainWord(word)) {
                addTo(subjects, seenSubjects, abbreviated(word));
                if (word.size() >= 5)
                    addTo(wholeWords, seenWhole, word);
            }
        }
    }
    if (heads.isEmpty())
        heads.append(QStringLiteral("J"));
    if (subjects.isEmpty())
        subjects.append(QStringLiteral("Biol"));
    if (wholeWords.isEmpty())
        wholeWords.append(QStringLiteral("Science"));

    static const QStringList places = {
        QStringLiteral("(Lond)"),  QStringLiteral("(Basel)"), QStringLiteral("(Berl)"),
        QStringLiteral("(Tokyo)"), QStringLiteral("(Paris)"), QStringLiteral("(Praha)"),
    };
    QSet<QString> seen(corpus.journals.cbegin(), corpus.journals.cend());
    QStringList made;
    for (int attempt = 0; made.size() + corpus.journals.size() < size && attempt < size * 50;
         ++attempt) {
        // "J Biol Chem", "Mol Cell", or one whole word ("Circulation").
        QStringList words;
        const quint32 shape = random.below(10);
        if (shape < 6) {
            words.append(random.pick(heads));
            for (int i = random.between(1, 3); i > 0; --i)
                words.append(random.pick(subjects));
        } else if (shape < 9) {
            for (int i = random.between(2, 3); i > 0; --i)
                words.append(random.pick(subjects));
        } else {
            words.append(random.pick(wholeWords));
        }
        if (random.chance(0.03))
            words.append(random.pick(places));
        const QString name = words.join(u' ');
        if (!seen.contains(name)) {
            seen.insert(name);
            made.append(name);
        }
    }
    // The real journals take popular places among the made-up ones.
    journals = made;
    for (const QString& journal : corpus.journals) {
        const int top = std::max(1, int(journals.size() / 10));
        journals.insert(random.below(quint32(std::min<qsizetype>(top, journals.size()) + 1)),
                        journal);
    }
    if (journals.isEmpty())
        journals.append(QStringLiteral("J Biol Chem"));
    popularity = ZipfPicker(int(journals.size()), 0.9);
}
