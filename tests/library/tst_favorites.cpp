#include "LibraryTestSupport.h"
#include "ScriptedPanels.h"
#include "library/FavoriteFile.h"
#include "library/MyFavorite.h"
#include "platform/PropertyList.h"

#include <QScopeGuard>
#include <QTest>

Q_DECLARE_METATYPE(AlertResponse)

namespace {

const QString favoriteDat = QStringLiteral("favorite.dat");
const QString librariesPref = QStringLiteral("libraries.pref");

// One line per list: "name: type ID, type ID".
QStringList linesOf(const QList<FavoriteList>& lists)
{
    QStringList lines;
    for (const FavoriteList& entry : lists) {
        QStringList keys;
        for (const ArticleKey& key : entry.list)
            keys.append(key.type + u' ' + key.ID);
        lines.append(entry.name + ": " + keys.join(", "));
    }
    return lines;
}

// The favorites file as lines, or why it cannot be read.
QStringList favoriteFileLines(const QString& path)
{
    QString error;
    const auto record = FavoriteFile::readFile(path, &error);
    if (!record)
        return {"unreadable: " + error};
    return QStringList{"name " + record->name, "type " + record->type} +
           linesOf(record->favoriteList);
}

QStringList recordLinesOf(MyFavorite& favorites)
{
    return QStringList{"name " + favorites.favorite().name, "type " + favorites.favorite().type} +
           linesOf(favorites.favoriteList());
}

QList<ArticleKey> keysFrom(const QStringList& words)
{
    QList<ArticleKey> keys;
    for (const QString& word : words)
        keys.append(ArticleKey{word.section(':', 0, 0), word.section(':', 1)});
    return keys;
}

QVariantMap oldList(const QVariant& name, const QVariant& articles)
{
    QVariantMap list;
    if (name.isValid())
        list.insert("LibraryName", name);
    if (articles.isValid())
        list.insert("Articles", articles);
    return list;
}

// Three lists: "A" [pmid 1, User 1], "B" [pmid 1, pmid 2], "C" [].
void addFixtureLists(MyFavorite& favorites)
{
    for (const char* name : {"A", "B", "C"})
        favorites.addNewFavorite(name);
    favorites.addArticle(keysFrom({"pmid:1", "User:1"}), 0);
    favorites.addArticle(keysFrom({"pmid:1", "pmid:2"}), 1);
}

} // namespace

class TestFavorites : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshStartWritesEmptyFavorites();
    void convertsOldListsOnce();
    void hostileLibrariesPrefConvertsWhatItCan_data();
    void hostileLibrariesPrefConvertsWhatItCan();
    void changes_data();
    void changes();
    void deletionAsksFirst_data();
    void deletionAsksFirst();
    void liveEntriesReachTheFileWithTheNextWrite();
    void unreadableFavoritesFileIsSetAside_data();
    void unreadableFavoritesFileIsSetAside();
    void unmovableFavoritesFileIsNeverOverwritten();
};

void TestFavorites::freshStartWritesEmptyFavorites()
{
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    MyFavorite favorites;
    const QVariantMap expected{
        {"favoriteList", QVariantList()}, {"name", "Favorite"}, {"type", "favorite"}};
    QCOMPARE(PropertyList::readFile(folder.path(favoriteDat)).value_or(QVariant()),
             QVariant(expected));
    QCOMPARE(favorites.numberOfFavorite(), 0);
    QVERIFY(panels->alerts.isEmpty());
}

void TestFavorites::convertsOldListsOnce()
{
    PreferenceFolder folder;
    // Elements 0 and 1 are never lists, even when element 1 looks like one.
    const QVariantList old{
        QVariantMap{{"journalList", QVariantMap()}}, oldList("Element 1", QVariantList{"9"}),
        oldList("Reading", QVariantList{"1", "3"}), oldList("Later", QVariantList{"2"})};
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), old));
    const QByteArray oldBytes = folder.bytes(librariesPref);
    {
        MyFavorite favorites;
        QCOMPARE(linesOf(favorites.favoriteList()),
                 QStringList({"Reading: pmid 1, pmid 3", "Later: pmid 2"}));
        QCOMPARE(favoriteFileLines(folder.path(favoriteDat)), recordLinesOf(favorites));
    }
    QCOMPARE(folder.bytes(librariesPref), oldBytes);

    // With favorite.dat present the old file is not read again.
    QVERIFY(PropertyList::writeFile(folder.path(librariesPref), QVariantList()));
    MyFavorite again;
    QCOMPARE(linesOf(again.favoriteList()),
             QStringList({"Reading: pmid 1, pmid 3", "Later: pmid 2"}));
}

void TestFavorites::hostileLibrariesPrefConvertsWhatItCan_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lists");

    const QVariantMap trees{{"journalList", QVariantMap()}};
    auto pref = [&](const QVariantList& lists) {
        return PropertyList::toData(QVariantList{trees, QVariantMap()} + lists);
    };
    const QVariant none;

    QTest::newRow("not a property list") << QByteArray("\x00garbage", 8) << QStringList{};
    QTest::newRow("root is a dictionary")
        << PropertyList::toData(QVariantMap{{"2", oldList("L", QVariantList{"1"})}})
        << QStringList{};
    QTest::newRow("only the library elements")
        << PropertyList::toData(QVariantList{trees, QVariantMap()}) << QStringList{};
    QTest::newRow("element 0 unusable, lists still read")
        << PropertyList::toData(QVariantList{"x", "y", oldList("L", QVariantList{"1"})})
        << QStringList{"L: pmid 1"};
    QTest::newRow("a list that is not a dictionary is skipped")
        << pref({"Reading", oldList("L", QVariantList{"1"})}) << QStringList{"L: pmid 1"};
    QTest::newRow("a dictionary with neither entry is skipped")
        << pref({QVariantMap{{"Name", "x"}}}) << QStringList{};
    QTest::newRow("a missing or odd name becomes Favorite")
        << pref({oldList(none, QVariantList{"1"}), oldList(qint64(7), QVariantList{"2"})})
        << QStringList{"Favorite: pmid 1", "Favorite: pmid 2"};
    QTest::newRow("missing or odd articles give an empty list")
        << pref({oldList("Empty", none), oldList("Odd", "1")}) << QStringList{"Empty: ", "Odd: "};
    QTest::newRow("articles: numbers kept, non-PMIDs skipped, duplicates once")
        << pref({oldList("L", QVariantList{"1", qint64(2), "1", "", true, 2.5, QVariantMap(),
                                           QVariantList{"3"}})})
        << QStringList{"L: pmid 1, pmid 2"};
}

void TestFavorites::hostileLibrariesPrefConvertsWhatItCan()
{
    QFETCH(QByteArray, file);
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    folder.write(librariesPref, file);

    MyFavorite favorites;
    QTEST(linesOf(favorites.favoriteList()), "lists");
    QCOMPARE(favoriteFileLines(folder.path(favoriteDat)), recordLinesOf(favorites));
    QCOMPARE(folder.bytes(librariesPref), file);
    QVERIFY(panels->alerts.isEmpty());
}

void TestFavorites::changes_data()
{
    // One change: "add <index> <type:ID>...", "remove <index> <type:ID>...",
    // "removeAll <type:ID>...", "new <name>", "insert <index> <name>",
    // "removeList <index>".
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<bool>("ignored"); // out of range: unchanged, logged, not written

    const QStringList fixture{"A: pmid 1, User 1", "B: pmid 1, pmid 2", "C: "};
    QTest::newRow("adding twice keeps one; a key another list holds is added")
        << "add 0 pmid:2 pmid:2 pmid:1"
        << QStringList{"A: pmid 1, User 1, pmid 2", "B: pmid 1, pmid 2", "C: "} << false;
    QTest::newRow("adding compares type and ID")
        << "add 2 User:5 pmid:5"
        << QStringList{"A: pmid 1, User 1", "B: pmid 1, pmid 2", "C: User 5, pmid 5"} << false;
    QTest::newRow("removing from one list matches type and ID")
        << "remove 0 pmid:1 pmid:9" << QStringList{"A: User 1", "B: pmid 1, pmid 2", "C: "}
        << false;
    QTest::newRow("removing from all lists leaves the others unchanged")
        << "removeAll pmid:1" << QStringList{"A: User 1", "B: pmid 2", "C: "} << false;
    QTest::newRow("a new list is appended")
        << "new Favorite" << fixture + QStringList{"Favorite: "} << false;
    QTest::newRow("inserting at the count appends")
        << "insert 3 D" << fixture + QStringList{"D: "} << false;
    QTest::newRow("inserting at 0 puts it first")
        << "insert 0 D" << QStringList{"D: "} + fixture << false;
    QTest::newRow("removing a list moves the rest up")
        << "removeList 1" << QStringList{"A: pmid 1, User 1", "C: "} << false;
    QTest::newRow("add past the end") << "add 3 pmid:7" << fixture << true;
    QTest::newRow("add before the start") << "add -1 pmid:7" << fixture << true;
    QTest::newRow("remove past the end") << "remove 3 pmid:1" << fixture << true;
    QTest::newRow("remove a list past the end") << "removeList 3" << fixture << true;
    QTest::newRow("insert beyond the count") << "insert 4 D" << fixture << true;
    QTest::newRow("insert before the start") << "insert -1 D" << fixture << true;
}

void TestFavorites::changes()
{
    QFETCH(QString, change);
    QFETCH(bool, ignored);
    PreferenceFolder folder;
    LogCapture log;
    MyFavorite favorites;
    addFixtureLists(favorites);
    QVERIFY(QFile::remove(folder.path(favoriteDat)));

    QStringList words = change.split(' ');
    const QString operation = words.takeFirst();
    if (operation == "add")
        favorites.addArticle(keysFrom(words.mid(1)), words.first().toInt());
    else if (operation == "remove")
        favorites.removeArticle(keysFrom(words.mid(1)), words.first().toInt());
    else if (operation == "removeAll")
        favorites.removeArticleFromAllFavorites(keysFrom(words));
    else if (operation == "new")
        favorites.addNewFavorite(words.first());
    else if (operation == "insert")
        favorites.insertFavorite(FavoriteList{words.at(1), {}}, words.first().toInt());
    else if (operation == "removeList")
        favorites.removeFavoriteAtIndex(words.first().toInt());

    QTEST(linesOf(favorites.favoriteList()), "lists");
    QCOMPARE(log.lines.filter("ignored").size(), ignored ? 1 : 0);
    if (ignored)
        QVERIFY2(!QFile::exists(folder.path(favoriteDat)), "an ignored call wrote the file");
    else
        QCOMPARE(favoriteFileLines(folder.path(favoriteDat)), recordLinesOf(favorites));
}

void TestFavorites::deletionAsksFirst_data()
{
    QTest::addColumn<AlertResponse>("answer");
    QTest::addColumn<QStringList>("lists");
    QTest::newRow("Delete") << AlertResponse::Alternate << QStringList{"A: pmid 1, User 1", "C: "};
    QTest::newRow("Cancel keeps the list and still writes")
        << AlertResponse::Default << QStringList{"A: pmid 1, User 1", "B: pmid 1, pmid 2", "C: "};
}

void TestFavorites::deletionAsksFirst()
{
    QFETCH(AlertResponse, answer);
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    MyFavorite favorites;
    addFixtureLists(favorites);
    QVERIFY(QFile::remove(folder.path(favoriteDat)));
    panels->alertAnswers.enqueue(answer);

    favorites.removeFavoriteAtIndexWithAlerm(1);
    QCOMPARE(panels->alerts.size(), 1);
    const Alert& alert = panels->alerts.first();
    QCOMPARE(alert.style, Alert::Style::Critical);
    QCOMPARE(alert.message, QString("Delete"));
    QCOMPARE(alert.informativeText, QString("Delete B"));
    QCOMPARE(alert.defaultButton, QString("Cancel"));
    QCOMPARE(alert.alternateButton, QString("Delete"));
    QCOMPARE(alert.otherButton, QString());
    QTEST(linesOf(favorites.favoriteList()), "lists");
    QCOMPARE(favoriteFileLines(folder.path(favoriteDat)), recordLinesOf(favorites));

    // Past the end: no question, nothing removed.
    favorites.removeFavoriteAtIndexWithAlerm(favorites.numberOfFavorite());
    QCOMPARE(panels->alerts.size(), 1);
    QTEST(linesOf(favorites.favoriteList()), "lists");
}

void TestFavorites::liveEntriesReachTheFileWithTheNextWrite()
{
    PreferenceFolder folder;
    MyFavorite favorites;
    addFixtureLists(favorites);

    FavoriteList* entry = favorites.aFavoriteAtIndex(1);
    QVERIFY(entry);
    entry->name = "Renamed";
    QCOMPARE(favorites.nameAtIndex(1), QString("Renamed"));
    QVERIFY(favoriteFileLines(folder.path(favoriteDat)).contains("B: pmid 1, pmid 2"));
    QVERIFY(favorites.writeToFile());
    QVERIFY(favoriteFileLines(folder.path(favoriteDat)).contains("Renamed: pmid 1, pmid 2"));

    QCOMPARE(favorites.aFavoriteAtIndex(3), nullptr);
    QCOMPARE(favorites.aFavoriteAtIndex(-1), nullptr);
    QCOMPARE(favorites.nameAtIndex(3), QString());
}

void TestFavorites::unreadableFavoritesFileIsSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QVariantMap good{
        {"favoriteList", QVariantList{QVariantMap{{"name", "L"}, {"list", QVariantList()}}}},
        {"name", "Favorite"},
        {"type", "favorite"}};
    const QByteArray goodBytes = PropertyList::toData(good);
    QTest::newRow("garbage") << QByteArray("favorites?\x01", 11);
    QTest::newRow("root is an array") << PropertyList::toData(QVariantList{good});
    QTest::newRow("truncated") << goodBytes.left(goodBytes.size() - 20);
    QTest::newRow("favoriteList missing") << PropertyList::toData(QVariantMap{{"name", "F"}});
    QTest::newRow("an entry without its list") << PropertyList::toData(
        QVariantMap{{"favoriteList", QVariantList{QVariantMap{{"name", "L"}}}}});
    QTest::newRow("a list holding a bare PMID") << PropertyList::toData(QVariantMap{
        {"favoriteList", QVariantList{QVariantMap{{"name", "L"}, {"list", QVariantList{"1"}}}}}});
}

void TestFavorites::unreadableFavoritesFileIsSetAside()
{
    QFETCH(QByteArray, bytes);
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    LogCapture log;
    const QString path = folder.write(favoriteDat, bytes);
    // Never converted in this case: the user's lists are in the kept file.
    QVERIFY(PropertyList::writeFile(
        folder.path(librariesPref),
        QVariantList{QVariantMap(), QVariantMap(), oldList("Old", QVariantList{"1"})}));

    MyFavorite favorites;
    const QStringList aside = folder.setAside(favoriteDat);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(folder.bytes(aside.first()), bytes);
    QCOMPARE(panels->alerts.size(), 1);
    QVERIFY(panels->alerts.first().informativeText.contains(path));
    QVERIFY(panels->alerts.first().informativeText.contains(folder.path(aside.first())));
    QCOMPARE(log.lines.filter(aside.first()).size(), 1);

    QCOMPARE(favorites.numberOfFavorite(), 0);
    favorites.addNewFavorite("Fresh");
    QCOMPARE(favoriteFileLines(path), recordLinesOf(favorites));
    QCOMPARE(panels->alerts.size(), 1);
}

void TestFavorites::unmovableFavoritesFileIsNeverOverwritten()
{
    PreferenceFolder folder;
    ScriptedPanelsScope panels;
    const QByteArray bytes = "not favorites";
    const QString path = folder.write(favoriteDat, bytes);
    if (!setImmutable(path, true))
        QSKIP("this file system or user cannot make a file immutable");
    auto release = qScopeGuard([&] { setImmutable(path, false); });

    MyFavorite favorites;
    QVERIFY(setImmutable(path, false));
    QCOMPARE(panels->alerts.size(), 1);
    QVERIFY(panels->alerts.first().informativeText.contains("could not be moved"));

    favorites.addNewFavorite("New");
    QVERIFY(!favorites.writeToFile());
    QCOMPARE(folder.bytes(favoriteDat), bytes);
    QVERIFY(folder.setAside(favoriteDat).isEmpty());
}

QTEST_GUILESS_MAIN(TestFavorites)
#include "tst_favorites.moc"
