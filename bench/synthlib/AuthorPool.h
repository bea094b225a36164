#pragma once

#include "Random.h"

#include <QList>
#include <QString>
#include <QStringList>

struct Corpus;

// One author as the generator writes it into an <Author> element: a person
// (last name, fore name, initials, perhaps a suffix) or a group
// (collectiveName set, the rest empty).
struct AuthorName
{
    QString lastName;
    QString foreName;
    QString initials;
    QString suffix;
    QString collectiveName;
};

// The people and groups articles draw their authors from: real names from the
// corpus and variations of them (accents, prefixes such as O' and van der,
// new endings, double-barrelled names), so that a library of any size gets a
// realistic number of distinct authors. A few are prolific and appear often.
class AuthorPool
{
public:
    AuthorPool(const Corpus& corpus, int people, Random& random);

    const AuthorName& person(Random& random) const;
    const AuthorName& group(Random& random) const;
    qsizetype size() const { return people.size(); }

private:
    QList<AuthorName> people;
    QList<AuthorName> groups;
    ZipfPicker prolific;
};

// "Jean-Luc" -> "JL", "Yoon Soo" -> "YS", "Łukasz" -> "Ł".
QString initialsOf(const QString& foreName);
