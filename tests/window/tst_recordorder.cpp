#include "window/RecordOrder.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <numeric>

namespace {

using Texts = QList<QString>;

QList<ArticleRecord> recordsOf(const Texts& titles, const Texts& authors)
{
    QList<ArticleRecord> records;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        ArticleRecord record;
        record.title = titles.at(i);
        record.authors = authors.value(i);
        record.ID = QString::number(i);
        records.append(record);
    }
    return records;
}

// The order a plain stable sort with the same comparison gives.
std::vector<int> plainOrder(const QList<ArticleRecord>& records,
                            const std::vector<RecordOrder::Level>& levels)
{
    std::vector<int> order(records.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (const RecordOrder::Level& level : levels) {
            const int c = QString::compare(records.at(a).*level.field, records.at(b).*level.field);
            if (c != 0)
                return level.ascending ? c < 0 : c > 0;
        }
        return false;
    });
    return order;
}

QString randomText(QRandomGenerator& random)
{
    // Few letters, so that long shared beginnings are common; surrogate
    // pairs, units above them and a NUL, where a shortcut on the leading
    // units could go wrong.
    static const QString alphabet = QString::fromUtf16(u"aAbB, \U0001F600\uE000\uFFFD") + QChar(0);
    QString text;
    const int length = random.bounded(13);
    for (int i = 0; i < length; ++i) {
        const int at = random.bounded(int(alphabet.size()));
        text += alphabet.at(at);
    }
    return text;
}

} // namespace

class TestRecordOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameAsPlainStableSort_data();
    void sameAsPlainStableSort();
    void randomTexts();
    void withoutLevelsKeepsOrder();
    void sortKeysNameRecordFields();
};

void TestRecordOrder::sameAsPlainStableSort_data()
{
    QTest::addColumn<Texts>("titles");
    QTest::addColumn<Texts>("authors");
    QTest::addColumn<bool>("ascending");
    const Texts prefixes{"abcdefghij", "abcdefgh",
                         "",           "ab",
                         "abc",        QString("ab") + QChar(0) + "x",
                         "abcdefghi",  "abcd",
                         "a",          "abcdefgh" + QString(QChar(0)),
                         "abcdefgg"};
    QTest::newRow("shared beginnings, ascending") << prefixes << Texts() << true;
    QTest::newRow("shared beginnings, descending") << prefixes << Texts() << false;
    QTest::newRow("case") << Texts{"b", "B", "a", "A", "ab", "AB"} << Texts() << true;
    QTest::newRow("beyond the basic plane")
        << Texts{QString::fromUtf16(u"\U0001F600"), QString::fromUtf16(u"\uFFFD"),
                 QString::fromUtf16(u"\uE000"), "z", QString::fromUtf16(u"\U0001F600a")}
        << Texts() << true;
    QTest::newRow("ties go to the second level, then keep their order")
        << Texts{"Same title", "Same title", "Other", "Same title", "Same title"}
        << Texts{"Zed", "Adams", "Baker", "Adams", "Moss"} << true;
}

void TestRecordOrder::sameAsPlainStableSort()
{
    QFETCH(Texts, titles);
    QFETCH(Texts, authors);
    QFETCH(bool, ascending);
    const QList<ArticleRecord> records = recordsOf(titles, authors);
    const std::vector<RecordOrder::Level> levels{{&ArticleRecord::title, ascending},
                                                 {&ArticleRecord::authors, true}};
    QCOMPARE(RecordOrder::stableOrder(records, levels), plainOrder(records, levels));
}

void TestRecordOrder::randomTexts()
{
    QRandomGenerator random(42);
    Texts titles, authors;
    for (int i = 0; i < 3000; ++i) {
        titles.append(randomText(random));
        authors.append(randomText(random));
    }
    const QList<ArticleRecord> records = recordsOf(titles, authors);
    for (bool ascending : {true, false}) {
        const std::vector<RecordOrder::Level> levels{{&ArticleRecord::title, ascending},
                                                     {&ArticleRecord::authors, !ascending}};
        QCOMPARE(RecordOrder::stableOrder(records, levels), plainOrder(records, levels));
    }
}

void TestRecordOrder::withoutLevelsKeepsOrder()
{
    const QList<ArticleRecord> records = recordsOf({"c", "a", "b"}, {});
    QCOMPARE(RecordOrder::stableOrder(records, {}), (std::vector<int>{0, 1, 2}));
}

void TestRecordOrder::sortKeysNameRecordFields()
{
    ArticleRecord record;
    record.submitDate = "date";
    record.authors = "someone";
    QCOMPARE(record.*(*ArticleRecord::fieldNamed("submitDate")), QString("date"));
    QCOMPARE(record.*(*ArticleRecord::fieldNamed("authors")), QString("someone"));
    QVERIFY(!ArticleRecord::fieldNamed("author")); // a column identifier, not a record key
    QVERIFY(!ArticleRecord::fieldNamed("Title"));
}

QTEST_MAIN(TestRecordOrder)
#include "tst_recordorder.moc"
