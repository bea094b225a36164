#include "SyntheticLibrary.h"

#include "ArticleXml.h"
#include "AuthorPool.h"
#include "Corpus.h"
#include "DatabaseTouchUp.h"
#include "JournalPool.h"
#include "Random.h"
#include "TextMaker.h"

#include "library/FavoriteFile.h"
#include "library/LibraryFile.h"
#include "library/LibraryRecord.h"
#include "platform/CalendarDate.h"
#include "pubmed/PubMedXML.h"
#include "store/accessDB.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cmath>

namespace {

const QString pmidType = QStringLiteral("pmid");
const QString userType = QStringLiteral("User");

const QStringList months = {
    QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
    QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
    QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec"),
};

const QStringList favoriteNames = {
    QStringLiteral("Journal club"),
    QStringLiteral("To read"),
    QStringLiteral("Müller lab's papers"),
    QStringLiteral("Grant 2024 – aim 2"),
    QStringLiteral("Reviews"),
    QStringLiteral("Methods"),
    QStringLiteral("Cited in the thesis"),
    QStringLiteral("Øresund collaboration"),
    QStringLiteral("Teaching"),
    QStringLiteral("Favorite"),
};

// What one import step inserts.
enum class Kind { PubMed, RemovedPubMed, User };

// Publication years lean towards recent ones, as in any working library.
int publicationYear(Random& random)
{
    if (random.chance(0.01))
        return 2026;
    const int year = 2025 - int(-std::log(1.0 - random.unit()) * 12.0);
    return year >= 1950 ? year : random.between(1950, 1980);
}

// PMIDs grow with the year of indexing; old articles were indexed late.
QString newPmid(int year, Random& random, QSet<quint32>& used)
{
    for (;;) {
        qint64 pmid;
        if (year >= 1975) {
            const double share = double(year - 1975) / double(2026 - 1975);
            pmid = qint64(share * 38'000'000.0) + random.between(-1'500'000, 1'500'000);
        } else {
            pmid = random.between(13'000'000, 21'000'000);
        }
        pmid = std::clamp<qint64>(pmid, 1, 99'999'999);
        if (!used.contains(quint32(pmid))) {
            used.insert(quint32(pmid));
            return QString::number(pmid);
        }
    }
}

QString medlineDate(int year, Random& random)
{
    const int month = random.between(0, 11);
    switch (random.below(4)) {
    case 0:
        return QStringLiteral("%1 %2-%3")
            .arg(year)
            .arg(months.at(month), months.at((month + 1) % 12));
    case 1:
        return QStringLiteral("%1 Dec-%2 Jan").arg(year).arg(year + 1);
    case 2: {
        static const QStringList seasons = {QStringLiteral("Spring"), QStringLiteral("Summer"),
                                            QStringLiteral("Fall"), QStringLiteral("Winter")};
        return QStringLiteral("%1 %2").arg(year).arg(random.pick(seasons));
    }
    default:
        return QStringLiteral("%1-%2").arg(year).arg(year + 1);
    }
}

// MedlinePgn: "1116-22", "1116-1122", "e0123456", "S12-8", or nothing.
QString pages(Random& random)
{
    if (random.chance(0.03))
        return {};
    if (random.chance(0.1))
        return u'e' + QString::number(random.between(10000, 9999999));
    const int first = random.between(1, 2500);
    const QString start = QString::number(first);
    QString end = QString::number(first + random.between(1, 20));
    if (random.chance(0.5)) {
        qsizetype same = 0;
        while (same < start.size() - 1 && start.at(same) == end.at(same))
            ++same;
        end = end.mid(same);
    }
    const QString prefix = random.chance(0.02) ? QStringLiteral("S") : QString();
    return prefix + start + u'-' + prefix + end;
}

QString issue(Random& random)
{
    const double roll = random.unit();
    if (roll < 0.12)
        return {};
    if (roll < 0.17)
        return QStringLiteral("%1 Pt %2").arg(random.between(1, 12)).arg(random.between(1, 3));
    if (roll < 0.20)
        return QStringLiteral("Suppl %1").arg(random.between(1, 4));
    return QString::number(random.between(1, 24));
}

class Generator
{
public:
    Generator(int articles, const QString& preferenceDir, const QString& cacheDir, quint32 seed)
        : articleCount(articles), preferenceDir(preferenceDir), cacheDir(cacheDir),
          random(0x5eed0000'00000000ULL ^ seed), corpus(Corpus::harvest()), pools(random.fork()),
          authorPool(corpus, std::max(300, articles + articles / 2), pools),
          journalPool(corpus, articles < 3000 ? std::max(50, articles) : 3000, pools), text(corpus)
    {
    }

    std::optional<SyntheticLibrary::Summary> run(QString* error);

private:
    QList<Kind> importOrder();
    SyntheticArticle pubmedArticle();
    QList<AuthorName> authorsFor(int year);
    UserArticleEntry userArticle(int olvaneID, int userNumber);
    QStringList importTimes(int count);
    bool buildDatabase(const QList<Kind>& order, QString* error);
    bool importPubMed(accessDB& store, bool removed, QString* error);
    void importUser(accessDB& store, int olvaneID, int userNumber);
    void fileArticle(const QString& journal, const QString& year, const QStringList& authors,
                     const ArticleKey& key);
    void setMarksAndMemos(accessDB& store);
    FavoriteRecord favorites();

    int articleCount;
    QString preferenceDir, cacheDir;
    Random random;
    Corpus corpus;
    Random pools;
    AuthorPool authorPool;
    JournalPool journalPool;
    TextMaker text;

    QSet<quint32> usedPmids;
    QList<ArticleKey> live; // in import order
    QList<ArticleKey> removed;
    LibraryRecord library;
    SyntheticLibrary::Summary summary;
};

QList<Kind> Generator::importOrder()
{
    const int users = std::max(1, articleCount / 100);
    const int removals = std::max(1, articleCount / 150);
    QList<Kind> order;
    order.reserve(articleCount + removals);
    for (int i = 0; i < articleCount - users; ++i)
        order.append(Kind::PubMed);
    for (int i = 0; i < removals; ++i)
        order.append(Kind::RemovedPubMed);
    for (int i = 0; i < users; ++i)
        order.append(Kind::User);
    for (qsizetype i = order.size() - 1; i > 0; --i)
        std::swap(order[i], order[random.below(quint32(i + 1))]);
    return order;
}

SyntheticArticle Generator::pubmedArticle()
{
    SyntheticArticle a;
    const int year = publicationYear(random);
    a.pmid = newPmid(year, random, usedPmids);
    if (random.chance(0.02)) {
        a.medlineDate = medlineDate(year, random);
    } else {
        a.year = QString::number(year);
        if (random.chance(0.75))
            a.month = months.at(random.below(12));
    }
    if (!random.chance(0.04))
        a.volume = QString::number(random.between(1, 450)) +
                   (random.chance(0.02) ? QStringLiteral(" Suppl") : QString());
    a.issue = issue(random);
    a.pages = pages(random);
    const int journal = journalPool.pick(random);
    a.journal = journalPool.names().at(journal);
    a.issn = JournalPool::issn(journal);
    a.titleWords = text.title(random);
    if (random.chance(0.05))
        a.italicWord = int(random.below(quint32(a.titleWords.size())));
    a.abstract = text.abstract(random);

    a.authors = authorsFor(year);
    if (!random.chance(0.1)) {
        for (int terms = random.between(3, 12); terms > 0; --terms)
            a.meshTerms.append(text.meshTerm(random));
    }
    if (year >= 2000 && random.chance(0.7))
        a.doi = QStringLiteral("10.%1/j.%2.%3.%4")
                    .arg(random.between(1000, 99999))
                    .arg(a.journal.section(u' ', 0, 0).toLower())
                    .arg(year)
                    .arg(a.pmid);
    return a;
}

// Authors in the numbers of their time (papers of the 1950s had two or three,
// today's six or more, up to 30); now and then a group, rarely only a group
// or no authors at all.
QList<AuthorName> Generator::authorsFor(int year)
{
    QList<AuthorName> authors;
    if (random.chance(0.01))
        return authors;
    const double mean = year < 1980 ? 2.5 : year < 2000 ? 4.5 : 6.0;
    const bool groupOnly = random.chance(0.003);
    const int count = groupOnly ? 0 : random.countAround(mean, 30);
    QSet<const AuthorName*> chosen;
    for (int tries = 0; authors.size() < count && tries < count * 4; ++tries) {
        const AuthorName& author = authorPool.person(random);
        if (!chosen.contains(&author)) {
            chosen.insert(&author);
            authors.append(author);
        }
    }
    if (groupOnly || random.chance(0.02))
        authors.append(authorPool.group(random));
    return authors;
}

UserArticleEntry Generator::userArticle(int olvaneID, int userNumber)
{
    UserArticleEntry entry;
    entry.uniqueID = QString::number(olvaneID);
    QStringList authors;
    const int count = random.countAround(3.0, 12);
    for (int i = 0; i < count; ++i) {
        const AuthorName& author = authorPool.person(random);
        authors.append(author.lastName + QStringLiteral(", ") + author.initials);
    }
    entry.authors = authors.join(QStringLiteral(", "));
    entry.title = text.title(random).join(u' ');
    entry.journal = journalPool.names().at(journalPool.pick(random));
    entry.year = QString::number(random.between(1990, 2025));
    entry.volume = QString::number(random.between(1, 300));
    entry.number = QString::number(random.between(1, 12));
    entry.pages = pages(random);
    entry.type = userType;
    entry.id = QString::number(userNumber);
    entry.PDFpath = random.chance(0.7) ? preferenceDir + QStringLiteral("/Olvane paper/User/") +
                                             entry.id + QStringLiteral(".pdf")
                                       : QStringLiteral("none");
    entry.memo = random.chance(0.7) ? text.memo(random) : QString();
    QStringList abstract;
    for (const AbstractPart& part : text.abstract(random))
        abstract.append(part.text);
    entry.abstract = abstract.join(u' ');
    return entry;
}

// Import times over the past nine years: sessions of a few to a few dozen
// articles, a second or two apart within a session, never going backwards.
QStringList Generator::importTimes(int count)
{
    const qint64 end = QDateTime(QDate(2025, 11, 28), QTime(17, 45), Qt::UTC).toSecsSinceEpoch();
    const qint64 start = end - qint64(9) * 365 * 24 * 3600;
    const int sessions = std::max(1, count / 20);
    QList<qint64> sessionStarts;
    for (int i = 0; i < sessions; ++i)
        sessionStarts.append(start + qint64(random.unit() * double(end - start)));
    std::sort(sessionStarts.begin(), sessionStarts.end());

    QStringList stamps;
    stamps.reserve(count);
    qint64 now = start;
    for (int i = 0; i < count; ++i) {
        const qint64 sessionStart = sessionStarts.at(qsizetype(i) * sessions / count);
        now = std::max(now, sessionStart) + random.between(0, 2);
        stamps.append(CalendarDate::description(QDateTime::fromSecsSinceEpoch(now, Qt::UTC)));
    }
    return stamps;
}

void Generator::fileArticle(const QString& journal, const QString& year, const QStringList& authors,
                            const ArticleKey& key)
{
    IndexTrees::file(library.journalList, journal, year, key);
    for (const QString& author : authors)
        IndexTrees::file(library.authorList, author, year, key);
}

// One step of an import, as the program's batch completion runs it: the
// per-article file read by a new reader, filed under its journal and
// authors, inserted into the store.
bool Generator::importPubMed(accessDB& store, bool isRemoved, QString* error)
{
    const SyntheticArticle article = pubmedArticle();
    const QByteArray bytes = ArticleXml::perArticleFile(article);
    QFile file(cacheDir + u'/' + article.pmid + QStringLiteral(".xml"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    file.close();
    summary.xmlBytes += bytes.size();

    PubMedXML reader;
    if (!reader.openFile(article.pmid, cacheDir) || !reader.isValid()) {
        if (error)
            *error = QStringLiteral("the reader refuses %1").arg(file.fileName());
        return false;
    }
    const ArticleKey key{pmidType, reader.pubmed()};
    const QString pdf = random.chance(0.85) ? preferenceDir + QStringLiteral("/Olvane paper/") +
                                                  article.pmid + QStringLiteral(".pdf")
                                            : QStringLiteral("none");
    if (isRemoved) {
        removed.append(key);
    } else {
        fileArticle(reader.journal(), reader.year(), reader.authors().value_or(QStringList()), key);
        live.append(key);
        ++summary.pubmedArticles;
    }
    store.insertArtilceInfoIntoDB(reader, pdf, article.pmid);
    return true;
}

void Generator::setMarksAndMemos(accessDB& store)
{
    store.open();
    for (const ArticleKey& key : live) {
        const double roll = random.unit();
        if (roll < 0.25)
            store.setMark(QStringLiteral("read"), key);
        else if (roll < 0.29)
            store.setMark(QStringLiteral("important"), key);
        else if (roll < 0.32)
            store.setMark(QStringLiteral("question"), key);
        if (key.type == pmidType && random.chance(0.03))
            store.setMemo(text.memo(random), key);
    }
    store.close();
}

FavoriteRecord Generator::favorites()
{
    FavoriteRecord record;
    const int lists = std::min<int>(int(favoriteNames.size()), 4 + articleCount / 15000);
    for (int i = 0; i < lists; ++i) {
        FavoriteList list;
        list.name = favoriteNames.at(i);
        // The last list has just been added and is still empty.
        const int size = i == lists - 1 ? 0 : random.between(3, std::max(10, articleCount / 200));
        QSet<ArticleKey> present;
        for (int tries = 0; list.list.size() < size && tries < size * 4; ++tries) {
            const ArticleKey& key = random.pick(live);
            if (!present.contains(key)) {
                present.insert(key);
                list.list.append(key);
            }
        }
        record.favoriteList.append(list);
    }
    return record;
}

void Generator::importUser(accessDB& store, int olvaneID, int userNumber)
{
    const UserArticleEntry entry = userArticle(olvaneID, userNumber);
    const ArticleKey key{userType, entry.id};
    fileArticle(entry.journal, entry.year, accessDB::authorsArrayFromAuthorsString(entry.authors),
                key);
    store.insertUserArticleIntoDB(entry);
    live.append(key);
    ++summary.userArticles;
}

// The store's part: the whole import in one transaction, as one batch
// completion would run it, then the removals, marks and memos.
bool Generator::buildDatabase(const QList<Kind>& order, QString* error)
{
    accessDB store(preferenceDir);
    store.open();
    int userNumber = 0;
    for (qsizetype i = 0; i < order.size(); ++i) {
        // A user article gets the numbers the information panel proposes.
        if (order.at(i) == Kind::User) {
            importUser(store, int(i + 1), ++userNumber);
        } else if (!importPubMed(store, order.at(i) == Kind::RemovedPubMed, error)) {
            store.close();
            return false;
        }
    }
    if (!store.close()) {
        if (error)
            *error = QStringLiteral("the import did not commit");
        return false;
    }
    store.open();
    for (const ArticleKey& key : removed)
        store.removeArtilce(key);
    store.close();
    summary.removedArticles = int(removed.size());
    setMarksAndMemos(store);
    return true;
}

std::optional<SyntheticLibrary::Summary> Generator::run(QString* error)
{
    const auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (articleCount < 1)
        return failed(QStringLiteral("a library needs at least one article"));
    if (corpus.people.isEmpty() || corpus.sentences.isEmpty())
        return failed(QStringLiteral("the bundled PubMed replies are missing"));
    if (!QDir().mkpath(preferenceDir) || !QDir().mkpath(cacheDir))
        return failed(QStringLiteral("cannot create %1 or %2").arg(preferenceDir, cacheDir));
    const QString databasePath = preferenceDir + QStringLiteral("/articles.db");
    if (QFileInfo::exists(databasePath))
        return failed(databasePath + QStringLiteral(" exists already"));

    const QList<Kind> order = importOrder();
    if (!buildDatabase(order, error))
        return std::nullopt;
    if (!DatabaseTouchUp::stampImportTimes(databasePath, importTimes(int(order.size())), error))
        return std::nullopt;

    const QString libraryPath = preferenceDir + QStringLiteral("/library.dat");
    QString why;
    if (!LibraryFile::writeFile(libraryPath, library, &why))
        return failed(why);
    summary.libraryBytes = QFileInfo(libraryPath).size();

    const FavoriteRecord lists = favorites();
    if (!FavoriteFile::writeFile(preferenceDir + QStringLiteral("/favorite.dat"), lists, &why))
        return failed(why);
    summary.favoriteLists = int(lists.favoriteList.size());
    summary.liveArticles = int(live.size());
    return summary;
}

} // namespace

std::optional<SyntheticLibrary::Summary> SyntheticLibrary::generate(int articles,
                                                                    const QString& preferenceDir,
                                                                    const QString& cacheDir,
                                                                    quint32 seed, QString* error)
{
    Generator generator(articles, preferenceDir, cacheDir, seed);
    return generator.run(error);
}
