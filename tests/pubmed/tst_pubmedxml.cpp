#include "TempHome.h"
#include "pubmed/ArticleSetReader.h"
#include "pubmed/PubMedXML.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString absent; // a field the document does not give

QByteArray articleSet(const QByteArray& article)
{
    return "<PubmedArticleSet><PubmedArticle><MedlineCitation><PMID>1</PMID><Article>" + article +
           "</Article></MedlineCitation></PubmedArticle></PubmedArticleSet>";
}

// A reply of one PubmedArticle whose MedlineCitation/Article holds `article`.
QByteArray replyWithArticle(const QByteArray& article)
{
    return "<?xml version=\"1.0\"?>\n" + articleSet(article);
}

// The NLM MEDLINE sample holds bare MedlineCitation elements in a
// MedlineCitationSet; each wrapped in a PubmedArticle it reads as a reply.
QByteArray medlineSampleAsReply()
{
    QByteArray bytes = fixtureBytes(QStringLiteral("ncbi/exi-testsuite__medsamp2006.xml"));
    bytes.replace("MedlineCitationSet", "PubmedArticleSet");
    bytes.replace("<MedlineCitation ", "<PubmedArticle><MedlineCitation ");
    bytes.replace("</MedlineCitation>", "</MedlineCitation></PubmedArticle>");
    return bytes;
}

// "medline-sample" or a path under tests/fixtures.
QByteArray documentBytes(const QString& source)
{
    return source == u"medline-sample" ? medlineSampleAsReply() : fixtureBytes(source);
}

void verifyField(const PubMedRecord& record, const QString& key, const QString& expected)
{
    if (expected.isNull())
        QVERIFY2(!record.contains(key), qPrintable(key + " should be absent"));
    else
        QCOMPARE(record.value(key).toString(), expected);
}

void verifyNoArticleFields(const PubMedXML& reader)
{
    for (const QString& value :
         {reader.year(), reader.volume(), reader.number(), reader.pages(), reader.journal(),
          reader.title(), reader.abstract(), reader.pubmed(), reader.doi()})
        QVERIFY2(value.isNull(), qPrintable(value));
    QVERIFY(!reader.authors().has_value());
    QVERIFY(reader.authorsAsString().isEmpty());
    QVERIFY(reader.parse().isEmpty());
}

QStringList sortedKeys(const PubMedRecord& record)
{
    QStringList keys = record.keys();
    keys.sort();
    return keys;
}

QStringList sorted(QStringList keys)
{
    keys.sort();
    return keys;
}

// What one article of a document reads as. Null texts are absent fields.
struct ArticleExpectation
{
    QString source = {}; // path under tests/fixtures, or "medline-sample"
    int index = 0;       // article number in the set
    QString pubmed = {};
    QString year = {};
    QString volume = {};
    QString number = {}; // checked for the first article only
    QString pages = {};
    QString journal = {};
    QString title = {};
    QString abstractStart = {};
    QString abstractEnd = {};
    int abstractLength = -1; // -1: no abstract
    int authorCount = -1;    // -1: no AuthorList
    QString firstAuthor = {};
    QString lastAuthor = {};
    QString doi = {}; // checked for the first article only
};

} // namespace

Q_DECLARE_METATYPE(ArticleExpectation)

class TestPubMedXML : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void articleFields_data();
    void articleFields();
    void medlineSample_data();
    void medlineSample();
    void setShapes_data();
    void setShapes();
    void recordKeys_data();
    void recordKeys();
    void elementText_data();
    void elementText();
    void authorEntries_data();
    void authorEntries();
    void badInput_data();
    void badInput();
    void oversizedFileIsRefused();
    void newBytesReplaceTheParsedDocument();
    void openingFiles_data();
    void openingFiles();
};

void TestPubMedXML::articleFields_data()
{
    QTest::addColumn<ArticleExpectation>("expected");

    QTest::newRow("compact reply, first article") << ArticleExpectation{
        .source = "ncbi/biopython__pubmed2.xml",
        .pubmed = "11748933",
        .year = "2001",
        .volume = "42",
        .number = "4",
        .pages = "244-55",
        .journal = "Cryobiology",
        .title = "Is cryopreservation a homogeneous process? Ultrastructure and motility of "
                 "untreated, prefreezing, and postthawed spermatozoa of Diplodus puntazzo (Cetti).",
        .abstractStart = "This study subdivides the cryopreservation procedure",
        .abstractEnd = "the process of sperm damage.",
        .abstractLength = 1834,
        .authorCount = 8,
        .firstAuthor = "Taddei, AR",
        .lastAuthor = "Mazzini, M",
        .doi = "10.1006/cryo.2001.2328"};
    QTest::newRow("compact reply, second article on its own line") << ArticleExpectation{
        .source = "ncbi/biopython__pubmed2.xml",
        .index = 1,
        .pubmed = "11700088",
        .year = "2001",
        .volume = "153",
        .pages = "117-23",
        .journal = "J Magn Reson",
        .title = "Proton MRI of (13)C distribution by J and chemical shift editing.",
        .abstractStart = "The sensitivity of (13)C NMR imaging",
        .abstractEnd = "glutamic acid in water.",
        .abstractLength = 1167,
        .authorCount = 6,
        .firstAuthor = "Casieri, C",
        .lastAuthor = "De Luca, F"};
    // Only the first of four labelled AbstractText elements.
    QTest::newRow("markup in title, structured abstract") << ArticleExpectation{
        .source = "ncbi/biopython__pubmed4.xml",
        .pubmed = "27797938",
        .year = "2017",
        .volume = "66",
        .number = "6",
        .pages = "1116-1122",
        .journal = "Gut",
        .title = "Leucocyte telomere length, genetic variants at the TERT gene region and risk of "
                 "pancreatic cancer.",
        .abstractStart = "Telomere shortening occurs as an early event in pancreatic "
                         "tumorigenesis, and genetic variants at the telomerase reverse "
                         "transcriptase (TERT) gene region",
        .abstractEnd = "subsequent risk of pancreatic cancer.",
        .abstractLength = 331,
        .authorCount = 22,
        .firstAuthor = "Bao, Y",
        .lastAuthor = "Wolpin, BM",
        .doi = "10.1136/gutjnl-2016-312510"};
    // Regression: authors with affiliation children came out as the last name alone.
    QTest::newRow("affiliations and a group author last") << ArticleExpectation{
        .source = "ncbi/biopython__pubmed7.xml",
        .pubmed = "29963580",
        .year = "2018",
        .volume = "5",
        .number = "2",
        .pages = "026002",
        .journal = "J Med Imaging (Bellingham)",
        .title = "Development of a pulmonary imaging biomarker pipeline for phenotyping of "
                 "chronic lung disease.",
        .abstractStart = "We designed and generated pulmonary imaging biomarker pipelines",
        .abstractEnd = "high-throughput research.",
        .abstractLength = 3662,
        .authorCount = 9,
        .firstAuthor = "Guo, F",
        .lastAuthor = "Canadian Respiratory Research Network",
        .doi = "10.1117/1.JMI.5.2.026002"};
    // The pubmed id comes third in its ArticleIdList, after pii and doi.
    QTest::newRow("indented reply, first article") << ArticleExpectation{
        .source = "ncbi/Eutils-JSON__efetch.pubmed.xml",
        .pubmed = "17284678",
        .year = "2007",
        .volume = "17",
        .number = "3",
        .pages = "311-9",
        .journal = "Genome Res",
        .title = "Sequencing and analysis of chromosome 1 of Eimeria tenella reveals a unique "
                 "segmental organization.",
        .abstractStart = "Eimeria tenella is an intracellular protozoan parasite",
        .abstractEnd = "strain-to-strain variation.",
        .abstractLength = 1105,
        .authorCount = 33,
        .firstAuthor = "Ling, KH",
        .lastAuthor = "Wan, KL",
        .doi = "10.1101/gr.5823007"};
    QTest::newRow("indented reply, second article") << ArticleExpectation{
        .source = "ncbi/Eutils-JSON__efetch.pubmed.xml",
        .index = 1,
        .pubmed = "9997",
        .year = "1976",
        .volume = "446",
        .pages = "179-91",
        .journal = "Biochim Biophys Acta",
        .title = "Magnetic studies of Chromatium flavocytochrome C552. A mechanism for "
                 "heme-flavin interaction.",
        .abstractStart = "Electron paramagnetic resonance",
        .abstractEnd = "heme-flavin interaction.",
        .abstractLength = 676,
        .authorCount = 1,
        .firstAuthor = "Strekas, TC",
        .lastAuthor = "Strekas, TC"};
    QTest::newRow("author with a Jr suffix")
        << ArticleExpectation{.source = "ncbi/metapub__31789841.xml",
                              .pubmed = "31789841",
                              .year = "2020",
                              .volume = "95",
                              .number = "5",
                              .pages = "690-694",
                              .journal = "Acad Med",
                              .title = "The Positivism Paradigm of Research.",
                              .abstractStart = "Research paradigms guide",
                              .abstractEnd = "study design and implementation.",
                              .abstractLength = 1234,
                              .authorCount = 3,
                              .firstAuthor = "Park, YS",
                              .lastAuthor = "Artino, AR",
                              .doi = "10.1097/ACM.0000000000003093"};
    // No Pagination; title and abstract open with markup around a reference.
    QTest::newRow("markup around references, no pages") << ArticleExpectation{
        .source = "ncbi/metapub__37167981.xml",
        .pubmed = "37167981",
        .year = "2023",
        .volume = "68",
        .number = "11",
        .journal = "Phys Med Biol",
        .title = QStringLiteral("Monte Carlo simulation of micro-x-ray fluorescence (\u03bc-XRF) "
                                "based detection of immunomagnetically labeled tumor cells."),
        .abstractStart = "Objective. Circulating tumor cells",
        .abstractEnd = "field of liquid biopsy.",
        .abstractLength = 1822,
        .authorCount = 2,
        .firstAuthor = "Zambianchi, P",
        .lastAuthor = "Zambianchi, JK",
        .doi = "10.1088/1361-6560/acd48e"};

    QTest::newRow("MedlineDate, mixed authors, several AbstractText")
        << ArticleExpectation{.source = "pubmed/three-articles.xml",
                              .pubmed = "1001",
                              .year = "1998",
                              .volume = "12",
                              .number = "3",
                              .pages = "101-9",
                              .journal = "J Test",
                              .title = "First article.",
                              .abstractStart = "Only this part.",
                              .abstractEnd = "Only this part.",
                              .abstractLength = 15,
                              .authorCount = 5,
                              .firstAuthor = "Smith, JA",
                              .lastAuthor = "Artino, AR",
                              .doi = "10.1000/test.1001"};
    QTest::newRow("missing elements") << ArticleExpectation{.source = "pubmed/three-articles.xml",
                                                            .index = 1,
                                                            .pubmed = "1002",
                                                            .year = "2005",
                                                            .title = "Second article."};
    QTest::newRow("investigators are not authors")
        << ArticleExpectation{.source = "pubmed/three-articles.xml",
                              .index = 2,
                              .pubmed = "1003",
                              .year = "2010",
                              .volume = "7",
                              .pages = "e1003",
                              .journal = "Other J",
                              .title = "Third article.",
                              .abstractStart = "Third abstract.",
                              .abstractEnd = "Third abstract.",
                              .abstractLength = 15,
                              .authorCount = 1,
                              .firstAuthor = "Brown, C",
                              .lastAuthor = "Brown, C"};
    QTest::newRow("references in title, abstract, names and ids") << ArticleExpectation{
        .source = "pubmed/references.xml",
        .pubmed = "2001",
        .year = "2020",
        .volume = "4",
        .number = "2",
        .pages = "1-2",
        .journal = "Ref Test",
        .title = QStringLiteral("A & B of \u03b1-synuclein \"fibrils\""),
        .abstractStart = QStringLiteral("Levels were <5 and >2 (p<0.05); \u03b1\u03b2 and 10 "
                                        "\u03bcg; x&y<z>w; astral \U0001D6FC."),
        .abstractEnd = QStringLiteral("astral \U0001D6FC."),
        .abstractLength = 65,
        .authorCount = 2,
        .firstAuthor = QStringLiteral("M\u00fcller, J"),
        .lastAuthor = "O'Brien, A",
        .doi = "10.1000/a&b"};
}

void TestPubMedXML::articleFields()
{
    QFETCH(ArticleExpectation, expected);

    PubMedXML reader;
    reader.setData(documentBytes(expected.source));
    QVERIFY(reader.isValid());
    const QList<PubMedRecord> records = reader.parseAllArticle();
    QVERIFY(expected.index < records.size());
    const PubMedRecord& record = records[expected.index];

    verifyField(record, QStringLiteral("pubmed"), expected.pubmed);
    verifyField(record, QStringLiteral("year"), expected.year);
    verifyField(record, QStringLiteral("volume"), expected.volume);
    verifyField(record, QStringLiteral("pages"), expected.pages);
    verifyField(record, QStringLiteral("journal"), expected.journal);
    verifyField(record, QStringLiteral("title"), expected.title);
    QCOMPARE(record.contains(QStringLiteral("abstract")), expected.abstractLength >= 0);
    if (expected.abstractLength >= 0) {
        const QString text = record.value(QStringLiteral("abstract")).toString();
        QVERIFY2(text.startsWith(expected.abstractStart), qPrintable(text.left(200)));
        QVERIFY2(text.endsWith(expected.abstractEnd), qPrintable(text.right(200)));
        QCOMPARE(text.size(), expected.abstractLength);
    }
    QVERIFY(record.contains(QStringLiteral("authors")));
    const QString authors = record.value(QStringLiteral("authors")).toString();
    QCOMPARE(authors.isEmpty(), expected.authorCount <= 0);
    QVERIFY2(authors.startsWith(expected.firstAuthor) && authors.endsWith(expected.lastAuthor),
             qPrintable(authors));

    if (expected.index != 0)
        return;
    // The single-field accessors answer for the first article; number and doi
    // are only to be had from them.
    for (const auto& [actual, wanted] : {std::pair{reader.pubmed(), expected.pubmed},
                                         {reader.year(), expected.year},
                                         {reader.volume(), expected.volume},
                                         {reader.number(), expected.number},
                                         {reader.pages(), expected.pages},
                                         {reader.journal(), expected.journal},
                                         {reader.title(), expected.title},
                                         {reader.doi(), expected.doi}}) {
        QCOMPARE(actual, wanted);
        QCOMPARE(actual.isNull(), wanted.isNull());
    }
    QCOMPARE(reader.abstract(), record.value(QStringLiteral("abstract")).toString());
    QCOMPARE(reader.authors().has_value(), expected.authorCount >= 0);
    if (expected.authorCount >= 0) {
        const QStringList entries = *reader.authors();
        QCOMPARE(entries.size(), expected.authorCount);
        QCOMPARE(entries.first(), expected.firstAuthor);
        QCOMPARE(entries.last(), expected.lastAuthor);
        QCOMPARE(reader.authorsAsString(), entries.join(QStringLiteral(", ")));
    }
    QCOMPARE(reader.authorsAsString(), authors);
}

// NLM's MEDLINE sample: MedlineDate years, group authors, a suffix, and
// investigator lists that must stay out of the authors.
void TestPubMedXML::medlineSample_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("authors");

    QTest::newRow("blank after a last name, group author last")
        << 6 << "2001"
        << QStringLiteral("Hauer, RN, Aliot, E, Block, M, Capucci, A, L\u00fcderitz, B, Santini, "
                          "M, Vardas, PE, European Society of Cardiology. Working Group on "
                          "Arrhythmias and Working Group on Cardiac Pacing");
    QTest::newRow("group name with a double blank")
        << 7 << "2001"
        << "Gunnars, B, Nygren, P, Glimelius, B, SBU-group.  Swedish Council of Technology "
           "Assessment in Health Care";
    QTest::newRow("MedlineDate 1979 Jan-Feb") << 12 << "1979"
                                              << "Bower, JJ";
    QTest::newRow("investigator not among the authors")
        << 22 << "1998"
        << "Wilson, CD, Pace, RD, Bromfield, E, Jones, G, Lu, JY";
    QTest::newRow("group author alone") << 32 << "2002"
                                        << "U.S. Preventive Services Task Force";
    QTest::newRow("suffix left out") << 62 << "1998"
                                     << "Alvarez, JA, Hardy, RH";
    QTest::newRow("MedlineDate 1998 Dec-1999 Jan") << 73 << "1998"
                                                   << "Hyne, J";
    QTest::newRow("MedlineDate 1965 Dec-Jan") << 83 << "1965"
                                              << "PHILLIPS, H";
}

void TestPubMedXML::medlineSample()
{
    QFETCH(int, index);
    QFETCH(QString, year);
    QFETCH(QString, authors);

    PubMedXML reader;
    reader.setData(medlineSampleAsReply());
    const QList<PubMedRecord> records = reader.parseAllArticle();
    QCOMPARE(records.size(), 88);
    QCOMPARE(records[index].value(QStringLiteral("year")).toString(), year);
    QCOMPARE(records[index].value(QStringLiteral("authors")).toString(), authors);
}

void TestPubMedXML::setShapes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("pubmeds"); // one per record, empty when absent

    QTest::newRow("two compact articles on one line")
        << "ncbi/biopython__pubmed2.xml" << QStringList{"11748933", "11700088"};
    QTest::newRow("two indented articles")
        << "ncbi/Eutils-JSON__efetch.pubmed.xml" << QStringList{"17284678", "9997"};
    QTest::newRow("three articles in document order")
        << "pubmed/three-articles.xml" << QStringList{"1001", "1002", "1003"};
    // A book article has no PubmedData: every field is absent, the record stays.
    QTest::newRow("book article") << "ncbi/Eutils-JSON__efetch.pubmedbook.xml" << QStringList{""};
    QTest::newRow("MEDLINE sample, no PubmedData") << "medline-sample" << QStringList(88, "");
    QTest::newRow("empty set") << "ncbi/metapub__37909814.xml" << QStringList();
}

void TestPubMedXML::setShapes()
{
    QFETCH(QString, source);
    QFETCH(QStringList, pubmeds);

    PubMedXML reader;
    reader.setData(documentBytes(source));
    QVERIFY(reader.isValid());
    const QList<PubMedRecord> records = reader.parseAllArticle();
    QCOMPARE(records.size(), pubmeds.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        verifyField(records[i], QStringLiteral("pubmed"),
                    pubmeds[i].isEmpty() ? absent : pubmeds[i]);
        QVERIFY(records[i].contains(QStringLiteral("authors")));
        QVERIFY(!records[i].contains(QStringLiteral("number")));
    }
    if (records.isEmpty())
        verifyNoArticleFields(reader);
    else
        QCOMPARE(reader.pubmed(), records[0].value(QStringLiteral("pubmed")).toString());
}

void TestPubMedXML::recordKeys_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QStringList>("parseKeys");
    QTest::addColumn<QStringList>("parseAllKeys");
    QTest::addColumn<QStringList>("firstRecordKeys"); // of parseAllArticle; none: no records

    QTest::newRow("every field") << fixtureBytes(QStringLiteral("ncbi/metapub__31789841.xml"))
                                 << QStringList{"volume", "year",    "pages", "journal",
                                                "number", "authors", "title"}
                                 << QStringList{"volume",  "year",  "pages",    "journal", "number",
                                                "authors", "title", "abstract", "pubmed"}
                                 << QStringList{"year",    "volume", "pages",    "journal",
                                                "authors", "title",  "abstract", "pubmed"};
    QTest::newRow("no pagination")
        << fixtureBytes(QStringLiteral("ncbi/metapub__37167981.xml"))
        << QStringList{"volume", "year", "journal", "number", "authors", "title"}
        << QStringList{"volume",  "year",  "journal",  "number",
                       "authors", "title", "abstract", "pubmed"}
        << QStringList{"year", "volume", "journal", "authors", "title", "abstract", "pubmed"};
    QTest::newRow("only year and title")
        << replyWithArticle("<Journal><JournalIssue><PubDate><Year>2001</Year></PubDate>"
                            "</JournalIssue></Journal><ArticleTitle>T</ArticleTitle>")
        << QStringList{"year", "title"} << QStringList{"year", "title", "authors"}
        << QStringList{"year", "title", "authors"};
    QTest::newRow("book article") << fixtureBytes(
                                         QStringLiteral("ncbi/Eutils-JSON__efetch.pubmedbook.xml"))
                                  << QStringList() << QStringList{"authors"}
                                  << QStringList{"authors"};
    QTest::newRow("empty set") << fixtureBytes(QStringLiteral("ncbi/metapub__37909814.xml"))
                               << QStringList() << QStringList{"authors"} << QStringList();
}

void TestPubMedXML::recordKeys()
{
    QFETCH(QByteArray, document);
    QFETCH(QStringList, parseKeys);
    QFETCH(QStringList, parseAllKeys);
    QFETCH(QStringList, firstRecordKeys);

    PubMedXML reader;
    reader.setData(document);
    const PubMedRecord parsed = reader.parse();
    const PubMedRecord all = reader.parseAll();
    const QList<PubMedRecord> records = reader.parseAllArticle();
    QCOMPARE(sortedKeys(parsed), sorted(parseKeys));
    QCOMPARE(sortedKeys(all), sorted(parseAllKeys));
    QCOMPARE(records.isEmpty(), firstRecordKeys.isEmpty());
    if (!records.isEmpty())
        QCOMPARE(sortedKeys(records[0]), sorted(firstRecordKeys));

    // parse gives the author list; parseAll and parseAllArticle the authors string.
    if (parsed.contains(QStringLiteral("authors")))
        QCOMPARE(parsed.value(QStringLiteral("authors")).metaType(),
                 QMetaType::fromType<QStringList>());
    QCOMPARE(all.value(QStringLiteral("authors")).metaType(), QMetaType::fromType<QString>());
    QCOMPARE(all.value(QStringLiteral("authors")).toString(), reader.authorsAsString());
}

// Title and abstract read the same way: every piece of text inside the
// element, markup included, references resolved.
void TestPubMedXML::elementText_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("text");

    QTest::newRow("sub and i markup")
        << QByteArray("H<sub>2</sub>O in <i>E. coli</i>") << "H2O in E. coli";
    // Regression: the blank between two markup elements was dropped.
    QTest::newRow("blank between markup") << QByteArray("<i>in</i> <i>vivo</i>") << "in vivo";
    QTest::newRow("nested markup") << QByteArray("a <b><i>b</i><sup>2</sup></b> c") << "a b2 c";
    // Regression: text after leading markup was lost.
    QTest::newRow("markup first") << QByteArray("<i>Objective</i>. Text") << "Objective. Text";
    QTest::newRow("unknown inline element") << QByteArray("x <mml:mi>y</mml:mi> z") << "x y z";
    QTest::newRow("decimal reference") << QByteArray("10 &#956;m") << QStringLiteral("10 \u03bcm");
    QTest::newRow("lower-case hex reference")
        << QByteArray("&#x3b1;/&#x3B2;") << QStringLiteral("\u03b1/\u03b2");
    QTest::newRow("astral reference") << QByteArray("&#x1D6FC;") << QStringLiteral("\U0001D6FC");
    QTest::newRow("raw UTF-8") << QByteArray("Gr\xc3\xb6\xc3\x9f"
                                             "e")
                               << QStringLiteral("Gr\u00f6\u00dfe");
    QTest::newRow("CDATA section") << QByteArray("<![CDATA[a < b]]>") << "a < b";
    QTest::newRow("comment inside") << QByteArray("a<!-- note -->b") << "ab";
    QTest::newRow("empty element") << QByteArray() << "";
}

void TestPubMedXML::elementText()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, text);

    PubMedXML reader;
    reader.setData(replyWithArticle("<ArticleTitle>" + xml +
                                    "</ArticleTitle><Abstract><AbstractText>" + xml +
                                    "</AbstractText></Abstract>"));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.title(), text);
    QCOMPARE(reader.abstract(), text);
    // An element without text is present with empty text.
    QVERIFY(!reader.title().isNull());
    QVERIFY(!reader.abstract().isNull());
}

void TestPubMedXML::authorEntries_data()
{
    QTest::addColumn<QByteArray>("authorList");
    QTest::addColumn<bool>("hasList");
    QTest::addColumn<QStringList>("entries");

    const QByteArray smith = "<Author ValidYN=\"Y\"><LastName>Smith</LastName><ForeName>John A"
                             "</ForeName><Initials>JA</Initials><Identifier Source=\"ORCID\">"
                             "0000-0000-0000-0001</Identifier><AffiliationInfo><Affiliation>Dept."
                             "</Affiliation></AffiliationInfo></Author>";
    const QByteArray group = "<Author><CollectiveName>Study Group</CollectiveName></Author>";
    const QByteArray lee = "<Author><LastName>Lee</LastName><ForeName>Bo</ForeName>"
                           "<Initials>B</Initials></Author>";

    // Regression: with four or more children only the last name was kept.
    QTest::newRow("with identifier and affiliation")
        << QByteArray("<AuthorList>" + smith + "</AuthorList>") << true << QStringList{"Smith, JA"};
    QTest::newRow("last name and initials only")
        << QByteArray("<AuthorList><Author><LastName>Jones</LastName><Initials>B</Initials>"
                      "</Author></AuthorList>")
        << true << QStringList{"Jones, B"};
    QTest::newRow("fore name without initials")
        << QByteArray("<AuthorList><Author><LastName>Lee</LastName><ForeName>Ann</ForeName>"
                      "</Author></AuthorList>")
        << true << QStringList{"Lee, Ann"};
    QTest::newRow("suffix left out")
        << QByteArray("<AuthorList><Author><LastName>Artino</LastName><ForeName>Anthony R"
                      "</ForeName><Initials>AR</Initials><Suffix>Jr</Suffix></Author></AuthorList>")
        << true << QStringList{"Artino, AR"};
    // Regression: pairing separately gathered name lists shifts everyone after a group.
    QTest::newRow("group author between persons")
        << QByteArray("<AuthorList>" + smith + group + lee + "</AuthorList>") << true
        << QStringList{"Smith, JA", "Study Group", "Lee, B"};
    QTest::newRow("authors without a name dropped")
        << QByteArray("<AuthorList><Author/>" + lee +
                      "<Author><LastName> </LastName><Initials>X</Initials></Author></AuthorList>")
        << true << QStringList{"Lee, B"};
    QTest::newRow("blanks around the parts")
        << QByteArray("<AuthorList><Author><LastName>Hauer </LastName><Initials> RN\n"
                      "</Initials></Author></AuthorList>")
        << true << QStringList{"Hauer, RN"};
    QTest::newRow("empty AuthorList") << QByteArray("<AuthorList/>") << true << QStringList();
    QTest::newRow("no AuthorList") << QByteArray() << false << QStringList();
}

void TestPubMedXML::authorEntries()
{
    QFETCH(QByteArray, authorList);
    QFETCH(bool, hasList);
    QFETCH(QStringList, entries);

    PubMedXML reader;
    reader.setData(replyWithArticle("<ArticleTitle>T</ArticleTitle>" + authorList));
    QVERIFY(reader.isValid());
    QCOMPARE(reader.authors().has_value(), hasList);
    if (hasList)
        QCOMPARE(*reader.authors(), entries);
    const QString joined = entries.join(QStringLiteral(", "));
    QCOMPARE(reader.authorsAsString(), joined);
    QCOMPARE(reader.parse().contains(QStringLiteral("authors")), hasList);
    QCOMPARE(reader.parseAll().value(QStringLiteral("authors")).toString(), joined);
    QCOMPARE(reader.parseAllArticle().value(0).value(QStringLiteral("authors")).toString(), joined);
}

void TestPubMedXML::badInput_data()
{
    QTest::addColumn<QByteArray>("document");

    const QByteArray compact = fixtureBytes(QStringLiteral("ncbi/biopython__pubmed2.xml"));
    const QByteArray title = "<ArticleTitle>Title</ArticleTitle>";

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blanks") << QByteArray(" \n\t ");
    QTest::newRow("garbage") << QByteArray("\x01\xff\xfe garbage <<>> &&");
    // The first article is complete before the cut: nothing of it may be given.
    QTest::newRow("truncated mid-element")
        << compact.left(compact.indexOf("<ArticleTitle>Proton") + 20);
    QTest::newRow("HTML error page") << fixtureBytes(QStringLiteral("pubmed/error-page.html"));
    QTest::newRow("esearch error reply")
        << fixtureBytes(QStringLiteral("ncbi/Eutils-JSON__esearch.baderror.xml"));
    QTest::newRow("esearch reply") << fixtureBytes(QStringLiteral("ncbi/biopython__esearch2.xml"));
    QTest::newRow("MedlineCitationSet")
        << fixtureBytes(QStringLiteral("ncbi/exi-testsuite__medsamp2006.xml"));
    QTest::newRow("set below another top-level element")
        << QByteArray("<eFetchResult>" + articleSet(title) + "</eFetchResult>");
    QTest::newRow("element after the top-level one")
        << QByteArray(articleSet(title) + "<PubmedArticleSet/>");
    QTest::newRow("undeclared entity") << articleSet("<ArticleTitle>a&nbsp;b</ArticleTitle>");
    QTest::newRow("100,000 nested elements")
        << articleSet("<ArticleTitle>" + QByteArray("<i>").repeated(100000) + "x" +
                      QByteArray("</i>").repeated(100000) + "</ArticleTitle>");
    QTest::newRow("billion laughs") << fixtureBytes(QStringLiteral("pubmed/billion-laughs.xml"));
    QTest::newRow("external entity")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE PubmedArticleSet [<!ENTITY ext SYSTEM "
                      "\"file:///etc/hostname\">]>" +
                      articleSet("<ArticleTitle>&ext;</ArticleTitle>"));
}

void TestPubMedXML::badInput()
{
    QFETCH(QByteArray, document);

    PubMedXML reader;
    reader.setData(document);
    QVERIFY(!reader.isValid());
    verifyNoArticleFields(reader);
    QVERIFY(reader.parseAll().isEmpty());
    QVERIFY(reader.parseAllArticle().isEmpty());
}

// Documents above the size limit are refused unread; a sparse file stands in
// for a real one of that size.
void TestPubMedXML::oversizedFileIsRefused()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("huge.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(articleSet("<ArticleTitle>T</ArticleTitle>")) > 0);
    QVERIFY(file.resize(pubmedxml::MaxDocumentBytes + 1));
    file.close();

    PubMedXML reader;
    reader.setData(fixtureBytes(QStringLiteral("ncbi/metapub__31789841.xml")));
    QVERIFY(!reader.openFile(QStringLiteral("huge"), dir.path()));
    QVERIFY(!reader.isValid());
    QVERIFY(reader.title().isNull());
}

// Regression: answers from an earlier document after the bytes were replaced.
void TestPubMedXML::newBytesReplaceTheParsedDocument()
{
    PubMedXML reader;
    QVERIFY(!reader.isValid());
    QVERIFY(reader.parseAllArticle().isEmpty());

    reader.setData(fixtureBytes(QStringLiteral("ncbi/metapub__31789841.xml")));
    QCOMPARE(reader.pubmed(), QStringLiteral("31789841"));
    reader.setData(fixtureBytes(QStringLiteral("ncbi/biopython__pubmed2.xml")));
    QCOMPARE(reader.pubmed(), QStringLiteral("11748933"));
    QCOMPARE(reader.parseAllArticle().size(), 2);
    reader.setData("<PubmedArticleSet>");
    QVERIFY(!reader.isValid());
    QVERIFY(reader.pubmed().isNull());
}

void TestPubMedXML::openingFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("pubmed"); // the reader's document afterwards

    // The reader holds PMID 37167981 before each call.
    QTest::newRow("cache file") << "31789841" << true << "31789841";
    QTest::newRow("no such file keeps the document") << "404" << false << "37167981";
    QTest::newRow("empty file") << "empty" << false << absent;
    QTest::newRow("folder with the file's name") << "folder" << false << absent;
}

void TestPubMedXML::openingFiles()
{
    QFETCH(QString, name);
    QFETCH(bool, opened);
    QFETCH(QString, pubmed);

    TempHome home;
    const QString cache = home.path() + QStringLiteral("/Library/Caches/Olvane");
    home.writeFile(QStringLiteral("Library/Caches/Olvane/31789841.xml"),
                   fixtureBytes(QStringLiteral("ncbi/metapub__31789841.xml")));
    home.writeFile(QStringLiteral("Library/Caches/Olvane/empty.xml"), QByteArray());
    QVERIFY(QDir(cache).mkdir(QStringLiteral("folder.xml")));

    PubMedXML reader;
    reader.setData(fixtureBytes(QStringLiteral("ncbi/metapub__37167981.xml")));
    QCOMPARE(reader.openFile(name, cache), opened);
    QCOMPARE(reader.pubmed(), pubmed);
    QCOMPARE(reader.pubmed().isNull(), pubmed.isNull());

    PubMedXML fresh;
    const std::optional<PubMedRecord> record = fresh.parseFromFile(name, cache);
    QCOMPARE(record.has_value(), opened);
    if (record) {
        QCOMPARE(*record, fresh.parse());
        QCOMPARE(record->value(QStringLiteral("title")).toString(),
                 QStringLiteral("The Positivism Paradigm of Research."));
    }
}

QTEST_GUILESS_MAIN(TestPubMedXML)
#include "tst_pubmedxml.moc"
