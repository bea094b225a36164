#include "LibraryTestSupport.h"
#include "library/LibraryFile.h"
#include "platform/PropertyList.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(LibraryRecord)

namespace {

LibraryRecord typicalRecord()
{
    LibraryRecord record;
    record.journalList[QStringLiteral("N")][QStringLiteral("Nature")][QStringLiteral("2003")] = {
        pmid("1"), pmid("2")};
    record.journalList["N"]["Neuron"]["2004"] = {ArticleKey{"User", "3"}};
    record.authorList["S"]["Smith, JA"]["2003"] = {pmid("1")};
    record.authorList["S"]["Sato, K"]["2003"] = {pmid("1")};
    record.authorList["S"]["Sato, K"]["2004"] = {ArticleKey{"User", "3"}};
    return record;
}

const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const QByteArray header = declaration + "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";
// A complete root dictionary's entries but for the journal tree's value.
const QByteArray bodyUpToJournals =
    "<key>name</key><string>Library</string><key>type</key><string>library</string>"
    "<key>authorList</key><dict/><key>journalList</key>";

QByteArray plist(const QByteArray& rootDictBody)
{
    return header + "<plist version=\"1.0\"><dict>" + rootDictBody + "</dict></plist>\n";
}

QByteArray withJournals(const QByteArray& journalList)
{
    return plist(bodyUpToJournals + journalList);
}

// The root dictionary's entries of an empty library whose "name" is the
// <string> written as `text`.
QByteArray namedBody(const QByteArray& text)
{
    return "<key>name</key><string>" + text +
           "</string><key>type</key><string>library</string>"
           "<key>journalList</key><dict/><key>authorList</key><dict/>";
}

QByteArray withName(const QByteArray& text)
{
    return plist(namedBody(text));
}

QByteArray withYearArray(const QByteArray& elements)
{
    return withJournals("<dict><key>N</key><dict><key>Nature</key><dict><key>2003</key><array>" +
                        elements + "</array></dict></dict></dict>");
}

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// The generic reader's view with the root keys the library file does not
// know dropped, as the library reader drops them.
QVariant withoutUnknownRootKeys(const QVariant& root)
{
    QVariantMap map = root.toMap();
    const QStringList known{"name", "type", "journalList", "authorList"};
    for (const QString& key : map.keys()) {
        if (!known.contains(key))
            map.remove(key);
    }
    return map;
}

} // namespace

class TestLibraryFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void interoperatesWithPropertyList_data();
    void interoperatesWithPropertyList();
    void readsForeignLayout();
    void readsXmlAsPropertyListDoes_data();
    void readsXmlAsPropertyListDoes();
    void rejectsWhatIsNotALibrary_data();
    void rejectsWhatIsNotALibrary();
    void rejectsEveryTruncation();
    void acceptsOnlyWhatPropertyListAccepts();
};

void TestLibraryFile::interoperatesWithPropertyList_data()
{
    QTest::addColumn<LibraryRecord>("record");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("fresh library") << LibraryRecord{} << true;
    QTest::newRow("two trees") << typicalRecord() << true;

    LibraryRecord markup = typicalRecord();
    markup.name = "Bob's \"Library\"";
    markup.journalList["C"]["Cell & <Tissue> Research"]["1999"] = {pmid("7")};
    QTest::newRow("markup characters and quotes") << markup << true;

    LibraryRecord foreign;
    foreign.journalList[QString::fromUtf8("Ä")][QString::fromUtf8("Ärzteblatt")]["2001"] = {
        pmid("5")};
    foreign.authorList[QString::fromUtf8("中")][QString::fromUtf8("中文, 名")]["2002"] = {
        ArticleKey{"User", QString::fromUtf8("😀")}};
    QTest::newRow("non-ASCII and astral characters") << foreign << true;

    LibraryRecord lines;
    lines.journalList["J"]["J\r\nof\tLines\r"]["2000"] = {pmid("8")};
    QTest::newRow("carriage return, line feed, tab") << lines << true;

    // Guards the fault: decoding a text with QString::fromUtf8 drops a
    // leading U+FEFF as if it were a byte-order mark.
    LibraryRecord zeroWidth = typicalRecord();
    zeroWidth.name = QChar(0xFEFF) + QString("Library");
    zeroWidth.authorList["S"][QChar(0xFEFF) + QString(QChar(0xFEFF)) + "Sato"]["2004"] = {
        pmid("4")};
    QTest::newRow("texts starting with U+FEFF") << zeroWidth << true;

    LibraryRecord empties;
    empties.name = "";
    empties.journalList[""][""][""] = {ArticleKey{"", ""}};
    empties.journalList["E"]["Empty year list"]["2000"] = {};
    empties.journalList["E"]["No years"] = {};
    empties.authorList["X"] = {};
    QTest::newRow("empty texts and containers") << empties << true;

    // Guards the fault: a control character or lone surrogate written raw
    // makes the whole file unreadable.
    LibraryRecord unsafe;
    unsafe.journalList["B"][QString("Bell\x07") + QChar(0xFFFE)]["2000"] = {
        ArticleKey{"pmid", QString(QChar(0xD800)) + "9"}};
    QTest::newRow("characters XML cannot carry") << unsafe << false;
}

// Both directions, in memory and through files: the writer's bytes are the
// generic writer's bytes, and each reader reads what the other side wrote.
void TestLibraryFile::interoperatesWithPropertyList()
{
    QFETCH(LibraryRecord, record);
    QFETCH(bool, lossless);

    const QByteArray bytes = LibraryFile::toData(record);
    QCOMPARE(bytes, PropertyList::toData(variantOf(record)));

    QString error;
    const auto generic = PropertyList::fromData(bytes, &error);
    QVERIFY2(generic, qPrintable(error));
    const auto back = LibraryFile::fromData(bytes, &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(variantOf(*back), *generic);
    if (lossless)
        QCOMPARE(*back, record);

    QTemporaryDir dir;
    const QString ours = dir.filePath("ours.dat");
    const QString theirs = dir.filePath("theirs.dat");
    QVERIFY(LibraryFile::writeFile(ours, record));
    QCOMPARE(PropertyList::readFile(ours).value_or(QVariant()), *generic);
    QVERIFY(PropertyList::writeFile(theirs, *generic));
    const auto fromTheirs = LibraryFile::readFile(theirs, &error);
    QVERIFY2(fromTheirs, qPrintable(error));
    QCOMPARE(*fromTheirs, *back);
}

void TestLibraryFile::readsForeignLayout()
{
    // Another writer's layout: no DOCTYPE, comments, blanks, keys out of
    // order, "type" before "ID", an extra root entry of each kind, and a
    // repeated key whose last value wins as in the generic reader.
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
  <!-- written elsewhere -->
  <dict>
    <key>type</key> <string>library</string>
    <key>version</key> <integer> 3 </integer>
    <key>extra</key> <dict><key>a</key><array><true/><real>1.5</real><date>2024-01-02T03:04:05Z</date><data>AAE=</data></array></dict>
    <key>journalList</key>
    <dict>
      <key>N</key>
      <dict>
        <key>Nature</key>
        <dict>
          <key>2003</key>
          <array>
            <dict><key>type</key><string>pmid</string><key>ID</key><string>2</string></dict>
            <dict><key>type</key><string>pmid</string><key>ID</key><string>1</string></dict>
          </array>
          <key>1999</key> <array/>
        </dict>
      </dict>
    </dict>
    <key>authorList</key> <dict><key>Z</key><dict/></dict>
    <key>authorList</key> <dict/>
    <key>name</key> <string>My &amp; Library</string>
  </dict>
</plist>)";

    LibraryRecord expected;
    expected.name = "My & Library";
    expected.journalList["N"]["Nature"]["2003"] = {pmid("2"), pmid("1")};
    expected.journalList["N"]["Nature"]["1999"] = {};

    QString error;
    const auto record = LibraryFile::fromData(xml, &error);
    QVERIFY2(record, qPrintable(error));
    QCOMPARE(linesOf(record->journalList), linesOf(expected.journalList));
    QCOMPARE(*record, expected);
}

// What XML allows in such a file, read character for character as the
// generic reader reads it; and what is refused, with the generic reader's
// verdict beside it (where it accepts, the refusal is deliberate: another
// encoding, an internal DTD subset, entities it cannot resolve).
void TestLibraryFile::readsXmlAsPropertyListDoes_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("propertyListAccepts");
    QTest::addColumn<QString>("name");

    const auto accepts = [](const char* row, const QByteArray& xml, const QString& name) {
        QTest::newRow(row) << xml << true << true << name;
    };
    const auto rejects = [](const char* row, const QByteArray& xml, bool propertyListAccepts) {
        QTest::newRow(row) << xml << false << propertyListAccepts << QString();
    };

    accepts("entities and character references",
            withName("&lt;&gt;&amp;&quot;&apos; &#65;&#x42;&#x1f600;&#0009;&#x10FFFF;"),
            QString("<>&\"' AB") + QString::fromUcs4(U"\U0001F600\t\U0010FFFF"));
    accepts("CDATA sections", withName("a<![CDATA[<b> & ]]]]><![CDATA[]]>c"), "a<b> & ]]c");
    accepts("CR LF and a lone CR become LF, in text and CDATA",
            withName("a\r\nb\rc<![CDATA[d\r\ne\r]]>"), "a\nb\ncd\ne\n");
    accepts("comments and processing instructions inside a text",
            withName("a<!-- c - d -->b<?pi x?>c<?pi?>d"), "abcd");
    accepts("a leading U+FEFF in a text", withName("\xEF\xBB\xBF\xEF\xBB\xBFx"),
            QString(2, QChar(0xFEFF)) + "x");
    accepts("unusual characters XML allows", withName("\xC2\x85\xEF\xB7\x90\x7F]>"),
            QString::fromUcs4(U"\u0085\uFDD0\u007F]>"));
    accepts("byte-order mark, declaration variants, comments and PIs around the root",
            "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone=\"no\" ?>\n"
            "<!-- before --><?app data?>\n<!DOCTYPE plist SYSTEM 'PropertyList-1.0.dtd' >\n"
            "<plist version=\"1.0\" other = 'a &amp; &#66;'><dict>" +
                namedBody("L") + "</dict></plist><!-- after --><?app?>\n",
            "L");
    accepts("text, references, CDATA and comments between elements are ignored",
            plist("x &amp; &#65;<key>name</key> y<!-- z --><string>L</string>\r\n"
                  "<![CDATA[w]]><key>type</key><string>library</string><key>journalList</key>"
                  "<dict>v</dict><key>authorList</key><dict/>"),
            "L");

    rejects("a byte that is not UTF-8", withName("a\xFF"), false);
    rejects("an overlong UTF-8 form", withName("\xC0\xAF"), false);
    rejects("a UTF-8 encoded surrogate", withName("\xED\xA0\x80"), false);
    rejects("U+FFFE written raw", withName("\xEF\xBF\xBE"), false);
    rejects("a control character written raw", withName("a\x01"), false);
    rejects("a reference to U+0000", withName("&#0;"), false);
    rejects("a reference to a surrogate", withName("&#xD800;"), false);
    rejects("a reference beyond U+10FFFF", withName("&#x110000;"), false);
    rejects("a hexadecimal reference with a capital X", withName("&#X41;"), false);
    rejects("a reference without its semicolon", withName("&#65 "), false);
    rejects("\"]]>\" in a text", withName("a]]>b"), false);
    rejects("\"--\" inside a comment", withName("a<!-- b -- c -->"), false);
    rejects("an unterminated CDATA section", withName("<![CDATA[abc</string>"), false);
    rejects("an XML declaration after a blank", " " + withName("L"), false);
    rejects("XML version 1.1", QByteArray(withName("L")).replace("\"1.0\" enc", "\"1.1\" enc"),
            false);
    rejects("a repeated attribute on <plist>",
            QByteArray(withName("L"))
                .replace("<plist version=\"1.0\">", "<plist version=\"1.0\" version=\"1.0\">"),
            false);
    rejects("a declared encoding other than UTF-8",
            QByteArray(withName("L")).replace("UTF-8", "ISO-8859-1"), true);
    rejects("a DTD internal subset",
            declaration + "<!DOCTYPE plist [<!ELEMENT plist ANY>]><plist><dict>" + namedBody("L") +
                "</dict></plist>",
            true);
    rejects(
        "an undeclared entity between elements",
        QByteArray(withName("L")).replace("<dict/><key>authorList", "<dict/>&x;<key>authorList"),
        true);
    rejects("an attribute on <dict>",
            QByteArray(withName("L"))
                .replace("<dict/><key>authorList", "<dict a=\"1\"/><key>authorList"),
            true);
    const QString utf16 = QString::fromUtf8(QByteArray(withName("L")).replace("UTF-8", "UTF-16"));
    rejects("a UTF-16 document",
            QByteArray("\xFF\xFE") +
                QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2),
            true);
}

void TestLibraryFile::readsXmlAsPropertyListDoes()
{
    QFETCH(QByteArray, xml);
    QFETCH(bool, accepted);
    QFETCH(bool, propertyListAccepts);
    QFETCH(QString, name);

    QString error;
    const auto record = LibraryFile::fromData(xml, &error);
    const auto generic = PropertyList::fromData(xml);
    QCOMPARE(bool(generic), propertyListAccepts);
    if (!accepted) {
        QVERIFY2(!record, "accepted");
        QVERIFY(!error.isEmpty());
        return;
    }
    QVERIFY2(record, qPrintable(error));
    QCOMPARE(record->name, name);
    QCOMPARE(variantOf(*record), withoutUnknownRootKeys(*generic));
}

void TestLibraryFile::rejectsWhatIsNotALibrary_data()
{
    QTest::addColumn<QByteArray>("xml");

    const QByteArray key = "<dict><key>ID</key><string>1</string><key>type</key>"
                           "<string>pmid</string></dict>";
    QTest::newRow("empty input") << QByteArray();
    QTest::newRow("not XML") << QByteArray("library");
    QTest::newRow("binary") << QByteArray("bplist00\xd1\x01\x02", 11);
    QTest::newRow("another root element") << QByteArray("<html><body/></html>");
    QTest::newRow("empty plist") << header + "<plist version=\"1.0\"/>";
    QTest::newRow("root is an array") << header + "<plist><array/></plist>";
    QTest::newRow("two values in plist")
        << header + "<plist><dict>" + bodyUpToJournals + "<dict/></dict><dict/></plist>";
    QTest::newRow("authorList missing")
        << plist("<key>name</key><string>L</string><key>type</key><string>library</string>"
                 "<key>journalList</key><dict/>");
    QTest::newRow("name is not a string")
        << plist("<key>name</key><integer>1</integer><key>type</key><string>library</string>"
                 "<key>journalList</key><dict/><key>authorList</key><dict/>");
    QTest::newRow("journalList is an array") << withJournals("<array/>");
    QTest::newRow("an initial maps to a string")
        << withJournals("<dict><key>N</key><string>Nature</string></dict>");
    QTest::newRow("a year maps to a dictionary")
        << withJournals("<dict><key>N</key><dict><key>Nature</key><dict><key>2003</key><dict/>"
                        "</dict></dict></dict>");
    QTest::newRow("a year holds a bare PMID") << withYearArray(key + "<string>2</string>");
    QTest::newRow("a key lacks its type")
        << withYearArray("<dict><key>ID</key><string>1</string></dict>");
    QTest::newRow("a key with a third entry")
        << withYearArray("<dict><key>ID</key><string>1</string><key>type</key><string>pmid"
                         "</string><key>title</key><string>T</string></dict>");
    QTest::newRow("an ID that is an integer")
        << withYearArray("<dict><key>ID</key><integer>1</integer><key>type</key><string>pmid"
                         "</string></dict>");
    QTest::newRow("a key without a value") << withJournals("<dict><key>N</key></dict>");
    QTest::newRow("two keys in a row")
        << withJournals("<dict><key>N</key><key>M</key><dict/></dict>");
    QTest::newRow("a value without a key") << withJournals("<dict><dict/></dict>");
    QTest::newRow("markup inside a string")
        << withYearArray("<dict><key>ID</key><string>1<b/>2</string><key>type</key><string>pmid"
                         "</string></dict>");
    QTest::newRow("undeclared entity")
        << withYearArray("<dict><key>ID</key><string>&nope;</string><key>type</key><string>pmid"
                         "</string></dict>");
    QTest::newRow("extra root value of an unknown kind")
        << withJournals("<dict/><key>extra</key><thing/>");
    QTest::newRow("extra root value with a bad integer")
        << withJournals("<dict/><key>extra</key><integer>12a</integer>");
    QTest::newRow("extra root value nested 600 deep") << withJournals(
        "<dict/><key>extra</key>" + repeated("<array>", 600) + repeated("</array>", 600));
    QTest::newRow("dictionaries nested 100000 deep where the tree belongs") << withJournals(
        repeated("<dict><key>a</key>", 100000) + "<dict/>" + repeated("</dict>", 100000));
    QTest::newRow("arrays nested 100000 deep where the tree belongs")
        << withJournals(repeated("<array>", 100000) + repeated("</array>", 100000));
    QTest::newRow("unclosed elements 100000 deep")
        << withJournals("<dict/><key>extra</key>" + repeated("<array>", 100000));
    QTest::newRow("entity expansion bomb")
        << declaration +
               "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
               "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
               "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
               "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
               "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
               "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>" +
               "<plist><dict>" + QByteArray(bodyUpToJournals).replace("Library", "&g;") +
               "<dict/></dict></plist>";
    QTest::newRow("a second root element after plist") << withJournals("<dict/>") + "<plist/>";
    QTest::newRow("stray end tag") << withJournals("<dict/></dict>");
}

void TestLibraryFile::rejectsWhatIsNotALibrary()
{
    QFETCH(QByteArray, xml);
    QString error;
    const auto record = LibraryFile::fromData(xml, &error);
    QVERIFY2(!record, "accepted");
    QVERIFY(!error.isEmpty());
}

void TestLibraryFile::rejectsEveryTruncation()
{
    const QByteArray whole = LibraryFile::toData(typicalRecord());
    const qsizetype end = whole.lastIndexOf("</plist>") + 8;
    QVERIFY(LibraryFile::fromData(whole.left(end)));
    for (qsizetype length = 0; length < end; ++length) {
        if (LibraryFile::fromData(whole.left(length)))
            QFAIL(qPrintable(QString("accepted the first %1 of %2 bytes").arg(length).arg(end)));
    }
}

// Mutated documents: whatever the library reader accepts, the generic reader
// accepts too and reads as the same tree.
void TestLibraryFile::acceptsOnlyWhatPropertyListAccepts()
{
    const QByteArray whole = LibraryFile::toData(typicalRecord());
    const QByteArray interesting = QByteArray("<>/&;\"= a\x01\xff\xc3", 13);
    QRandomGenerator random(20061215);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray xml = whole;
        const int at = random.bounded(int(xml.size()));
        const int span = 1 + random.bounded(12);
        switch (round % 3) {
        case 0:
            xml[at] = interesting.at(random.bounded(int(interesting.size())));
            break;
        case 1:
            xml.remove(at, span);
            break;
        default:
            xml.insert(at, xml.mid(random.bounded(int(xml.size())), span));
            break;
        }
        const auto ours = LibraryFile::fromData(xml);
        if (!ours)
            continue;
        ++accepted;
        const auto generic = PropertyList::fromData(xml);
        if (!generic)
            QFAIL(qPrintable("only the library reader accepts:\n" + QString::fromUtf8(xml)));
        QCOMPARE(variantOf(*ours), withoutUnknownRootKeys(*generic));
    }
    QVERIFY2(accepted > 0, "no mutation was accepted; the comparison never ran");
}

QTEST_GUILESS_MAIN(TestLibraryFile)
#include "tst_libraryfile.moc"
