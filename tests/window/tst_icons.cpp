#include "window/Icons.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

class TestIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shippedIconsDrawAtEverySize_data();
    void shippedIconsDrawAtEverySize();
    void unknownNamesGiveNullIcon_data();
    void unknownNamesGiveNullIcon();
};

void TestIcons::shippedIconsDrawAtEverySize_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"library", "pubmedSearch", "favorite", "check", "important", "question", "memo", "pdf"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Guards against icons missing from the linked resources or an SVG engine
// that is absent (both give null or empty pixmaps).
void TestIcons::shippedIconsDrawAtEverySize()
{
    QFETCH(QString, name);
    const QIcon icon = Icons::named(name);
    QVERIFY(!icon.isNull());
    for (int size : {16, 32, 64}) {
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        QVERIFY2(!pixmap.isNull(), qPrintable(QString::number(size)));
        // Drawn at the asked size, not a small bitmap left unscaled.
        QCOMPARE(pixmap.size(), QSize(size, size));
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        // A recognisable shape covers a good part of the square.
        QVERIFY2(opaque > size * size / 5,
                 qPrintable(QStringLiteral("%1 px: %2 opaque pixels").arg(size).arg(opaque)));
    }
}

void TestIcons::unknownNamesGiveNullIcon_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("unknown") << QStringLiteral("nothing");
    QTest::newRow("empty") << QString();
    QTest::newRow("with extension") << QStringLiteral("check.svg");
    QTest::newRow("other resource") << QStringLiteral("../icons/olvane");
    QTest::newRow("case differs") << QStringLiteral("Check");
}

void TestIcons::unknownNamesGiveNullIcon()
{
    QFETCH(QString, name);
    QVERIFY(Icons::named(name).isNull());
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
