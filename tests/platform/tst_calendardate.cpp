#include "platform/CalendarDate.h"

#include <QLocale>
#include <QTest>
#include <QTimeZone>

class TestCalendarDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void format_data();
    void format();
    void descriptionRoundTrips();
    void descriptionOrdersAsText();
    void parseRejects_data();
    void parseRejects();
    void nowHasWholeSeconds();
};

static QDateTime tokyo()
{
    return QDateTime(QDate(2006, 3, 5), QTime(14, 2, 1), QTimeZone(9 * 3600));
}

void TestCalendarDate::format_data()
{
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");

    QTest::newRow("default form") << tokyo() << CalendarDate::defaultFormat
                                  << "2006-03-05 14:02:01 +0900";
    QTest::newRow("article list") << tokyo() << "%b %d %Y"
                                  << "Mar 05 2006";
    QTest::newRow("search dates") << tokyo() << "%Y/%m/%d"
                                  << "2006/03/05";
    QTest::newRow("negative offset")
        << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), QTimeZone(-(3 * 3600 + 1800)))
        << "%z %%"
        << "-0330 %";
    QTest::newRow("zone name") << QDateTime(QDate(2024, 7, 1), QTime(9, 5, 0),
                                            QTimeZone("Europe/Berlin"))
                               << "%b.%d.%Y %H:%M %Z"
                               << "Jul.01.2024 09:05 CEST";
}

void TestCalendarDate::format()
{
    QFETCH(QDateTime, date);
    QFETCH(QString, format);
    // Month names stay English whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::German));
    QTEST(CalendarDate::format(date, format), "expected");
    QLocale::setDefault(QLocale::c());
}

void TestCalendarDate::descriptionRoundTrips()
{
    const QDateTime back = CalendarDate::fromDescription("2006-03-05 14:02:01 +0900");
    QVERIFY(back.isValid());
    QCOMPARE(back, tokyo());
    QCOMPARE(back.offsetFromUtc(), 9 * 3600);
    const QDateTime now = CalendarDate::now();
    QCOMPARE(CalendarDate::fromDescription(CalendarDate::description(now)), now);
    QCOMPARE(CalendarDate::parse("Mar 05 2006", "%b %d %Y").date(), QDate(2006, 3, 5));
}

void TestCalendarDate::descriptionOrdersAsText()
{
    const QDateTime a(QDate(2006, 3, 5), QTime(9, 0, 0));
    const QDateTime b(QDate(2006, 3, 5), QTime(10, 0, 0));
    const QDateTime c(QDate(2006, 11, 1), QTime(0, 0, 0));
    QVERIFY(CalendarDate::description(a) < CalendarDate::description(b));
    QVERIFY(CalendarDate::description(b) < CalendarDate::description(c));
}

void TestCalendarDate::parseRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("missing zone") << "2006-03-05 14:02:01";
    QTest::newRow("trailing text") << "2006-03-05 14:02:01 +0900 extra";
    QTest::newRow("no such day") << "2006-02-30 14:02:01 +0900";
    QTest::newRow("letters") << "20O6-03-05 14:02:01 +0900";
}

void TestCalendarDate::parseRejects()
{
    QFETCH(QString, text);
    QVERIFY(!CalendarDate::fromDescription(text).isValid());
}

void TestCalendarDate::nowHasWholeSeconds()
{
    QCOMPARE(CalendarDate::now().time().msec(), 0);
}

QTEST_GUILESS_MAIN(TestCalendarDate)
#include "tst_calendardate.moc"
