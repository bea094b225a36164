#include "AuthorPool.h"

#include "Corpus.h"

#include <QSet>

namespace {

// Names every library generated here carries, whatever the seed: the
// non-ASCII letters and apostrophes that break naive code.
const QList<PersonName> alwaysPresent = {
    {QStringLiteral("Müller"), QStringLiteral("Jürgen"), QStringLiteral("J")},
    {QStringLiteral("O'Brien"), QStringLiteral("Siobhán"), QStringLiteral("S")},
    {QStringLiteral("Østergaard"), QStringLiteral("Søren"), QStringLiteral("S")},
    {QStringLiteral("Nowak"), QStringLiteral("Łukasz"), QStringLiteral("Ł")},
    {QStringLiteral("Łukasiewicz"), QStringLiteral("Anna Maria"), QStringLiteral("AM")},
    {QStringLiteral("D'Angelo"), QStringLiteral("Zoë"), QStringLiteral("Z")},
    {QStringLiteral("García-Núñez"), QStringLiteral("José"), QStringLiteral("J")},
    {QStringLiteral("Ångström"), QStringLiteral("Åsa"), QStringLiteral("Å")},
};

const QStringList extraForeNames = {
    QStringLiteral("Françoise"), QStringLiteral("Jürgen"), QStringLiteral("Søren"),
    QStringLiteral("Łukasz"),    QStringLiteral("José"),   QStringLiteral("Zoë"),
    QStringLiteral("Åsa"),       QStringLiteral("Dragoş"), QStringLiteral("Jiří"),
    QStringLiteral("Ólafur"),    QStringLiteral("Nuño"),   QStringLiteral("Hélène"),
};

const QStringList prefixes = {
    QStringLiteral("O'"),       QStringLiteral("D'"),   QStringLiteral("Mc"),
    QStringLiteral("van der "), QStringLiteral("van "), QStringLiteral("de "),
    QStringLiteral("Di "),      QStringLiteral("Al-"),  QStringLiteral("Le "),
    QStringLiteral("da "),      QStringLiteral("von "),
};

const QStringList endings = {
    QStringLiteral("son"),  QStringLiteral("sen"),  QStringLiteral("ez"),   QStringLiteral("ski"),
    QStringLiteral("ova"),  QStringLiteral("elli"), QStringLiteral("ini"),  QStringLiteral("berg"),
    QStringLiteral("mann"), QStringLiteral("ata"),  QStringLiteral("ović"), QStringLiteral("escu"),
};

// Accented forms of plain letters.
const QList<std::pair<QChar, QString>> accents = {
    {u'a', QStringLiteral("áåäã")}, {u'o', QStringLiteral("öøóô")}, {u'u', QStringLiteral("üú")},
    {u'e', QStringLiteral("éèë")},  {u'i', QStringLiteral("íï")},   {u'n', QStringLiteral("ñń")},
    {u'c', QStringLiteral("çč")},   {u's', QStringLiteral("šś")},   {u'z', QStringLiteral("žż")},
    {u'l', QStringLiteral("ł")},    {u'L', QStringLiteral("Ł")},    {u'O', QStringLiteral("Ø")},
    {u'A', QStringLiteral("Å")},    {u'S', QStringLiteral("Š")},
};

bool isVowel(QChar c)
{
    return QStringLiteral("aeiouyAEIOUY").contains(c);
}

// A fore name that is only initials ("J", "A R", "O N") adds nothing.
bool isGivenName(const QString& foreName)
{
    const QString first = foreName.section(u' ', 0, 0);
    return first.size() >= 2 && first != first.toUpper();
}

QString withAccent(const QString& name, Random& random)
{
    QList<qsizetype> places;
    for (qsizetype i = 0; i < name.size(); ++i) {
        for (const auto& [plain, marked] : accents) {
            if (name.at(i) == plain)
                places.append(i);
        }
    }
    if (places.isEmpty())
        return name;
    const qsizetype at = random.pick(places);
    for (const auto& [plain, marked] : accents) {
        if (name.at(at) == plain) {
            QString changed = name;
            changed[at] = marked.at(random.below(quint32(marked.size())));
            return changed;
        }
    }
    return name;
}

// The front of one name up to a vowel and the back of another from a vowel:
// "Konge" + "Artino" -> "Kontino".
QString blend(const QString& front, const QString& back)
{
    qsizetype cut = -1;
    for (qsizetype i = front.size() - 1; i >= 2; --i) {
        if (isVowel(front.at(i))) {
            cut = i;
            break;
        }
    }
    qsizetype from = -1;
    for (qsizetype i = 1; i < back.size(); ++i) {
        if (isVowel(back.at(i))) {
            from = i;
            break;
        }
    }
    if (cut < 0 || from < 0)
        return front + back.toLower();
    return front.left(cut) + back.mid(from);
}

QString variation(const QStringList& stock, Random& random)
{
    const QString& base = random.pick(stock);
    switch (random.below(6)) {
    case 0:
        return withAccent(base, random);
    case 1:
        return random.pick(prefixes) + base;
    case 2:
        return base + u'-' + random.pick(stock);
    case 3:
        return base + random.pick(endings);
    default:
        return blend(base, random.pick(stock));
    }
}

} // namespace

QString initialsOf(const QString& foreName)
{
    QString initials;
    bool atStart = true;
    for (const QChar c : foreName) {
        if (c == u' ' || c == u'-') {
            atStart = true;
        } else if (atStart) {
            initials += c.toUpper();
            atStart = false;
        }
    }
    return initials;
}

AuthorPool::AuthorPool(const Corpus& corpus, int size, Random& random)
    : prolific(std::max(size, 1), 0.9)
{
    QStringList lastNames, foreNames;
    QSet<QString> seenLast, seenFore;
    for (const PersonName& person : corpus.people + alwaysPresent) {
        if (!seenLast.contains(person.lastName)) {
            seenLast.insert(person.lastName);
            lastNames.append(person.lastName);
        }
        if (isGivenName(person.foreName) && !seenFore.contains(person.foreName)) {
            seenFore.insert(person.foreName);
            foreNames.append(person.foreName);
        }
    }
    foreNames += extraForeNames;
    if (lastNames.isEmpty())
        lastNames.append(QStringLiteral("Smith"));
    if (foreNames.isEmpty())
        foreNames.append(QStringLiteral("John"));

    // About two people per family name, as in a real library.
    const QStringList real = lastNames;
    while (lastNames.size() < size / 2 + 1) {
        const QString name = variation(real, random);
        if (!seenLast.contains(name)) {
            seenLast.insert(name);
            lastNames.append(name);
        }
    }

    QSet<QString> seenPeople;
    const auto add = [&](AuthorName author) {
        const QString key = author.lastName + u'|' + author.initials;
        if (seenPeople.contains(key))
            return false;
        seenPeople.insert(key);
        people.append(std::move(author));
        return true;
    };
    for (const PersonName& person : alwaysPresent)
        add({person.lastName, person.foreName, person.initials, {}, {}});
    int attempts = 0;
    while (people.size() < size && attempts++ < size * 20) {
        AuthorName author;
        author.lastName = random.pick(lastNames);
        if (random.chance(0.03)) {
            author.initials = QString(QChar(u'A' + random.below(26)));
        } else {
            author.foreName = random.pick(foreNames);
            if (random.chance(0.2))
                author.foreName += u' ' + QChar(u'A' + random.below(26));
            author.initials = initialsOf(author.foreName);
        }
        if (random.chance(0.005))
            author.suffix = random.chance(0.7) ? QStringLiteral("Jr") : QStringLiteral("3rd");
        add(std::move(author));
    }

    static const QStringList groupKinds = {
        QStringLiteral("Study Group"),         QStringLiteral("Consortium"),
        QStringLiteral("Collaborative Group"), QStringLiteral("Investigators"),
        QStringLiteral("Working Group"),       QStringLiteral("Trialists"),
    };
    QSet<QString> seenGroups;
    for (const QString& name : corpus.groupNames) {
        if (!seenGroups.contains(name)) {
            seenGroups.insert(name);
            groups.append({{}, {}, {}, {}, name});
        }
    }
    const QStringList& topics = corpus.meshTerms.isEmpty() ? lastNames : corpus.meshTerms;
    const int groupCount = std::max(20, size / 200);
    for (int i = 0; groups.size() < groupCount && i < groupCount * 20; ++i) {
        const QString name = random.pick(topics) + u' ' + random.pick(groupKinds);
        if (!seenGroups.contains(name)) {
            seenGroups.insert(name);
            groups.append({{}, {}, {}, {}, name});
        }
    }
}

const AuthorName& AuthorPool::person(Random& random) const
{
    if (random.chance(0.2)) {
        const int rank = prolific.pick(random);
        if (rank < people.size())
            return people.at(rank);
    }
    return random.pick(people);
}

const AuthorName& AuthorPool::group(Random& random) const
{
    return random.pick(groups);
}
