#include "ScriptedPanels.h"
#include "platform/QtPanels.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestPanels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unattendedPanelsLogAndTakeDefault();
    void scriptedPanelsRecordAndAnswer();
    void qtAlertMapsButtons_data();
    void qtAlertMapsButtons();
};

void TestPanels::unattendedPanelsLogAndTakeDefault()
{
    auto previous = Panels::install(nullptr);
    LogCapture log;
    Alert alert;
    alert.message = "Delete";
    alert.informativeText = "Delete Reading";
    QCOMPARE(Panels::shared().runAlert(alert), AlertResponse::Default);
    QCOMPARE(log.lines.size(), 1);
    QVERIFY(log.lines.first().contains("Delete Reading"));
    QVERIFY(Panels::shared().runOpenPanel({}).isEmpty());
    Panels::install(std::move(previous));
}

void TestPanels::scriptedPanelsRecordAndAnswer()
{
    ScriptedPanelsScope scripted;
    scripted->alertAnswers.enqueue(AlertResponse::Alternate);
    scripted->openAnswers.enqueue({"/tmp/a.pdf"});
    Alert alert;
    alert.message = "first";
    QCOMPARE(Panels::shared().runAlert(alert), AlertResponse::Alternate);
    alert.message = "second";
    QCOMPARE(Panels::shared().runAlert(alert), AlertResponse::Default);
    QCOMPARE(Panels::shared().runOpenPanel({}), QStringList{"/tmp/a.pdf"});
    Panels::shared().beep();
    QCOMPARE(scripted->alerts.size(), 2);
    QCOMPARE(scripted->alerts.at(1).message, QString("second"));
    QCOMPARE(scripted->beeps, 1);
}

void TestPanels::qtAlertMapsButtons_data()
{
    QTest::addColumn<QString>("click");
    QTest::addColumn<int>("expected");
    QTest::newRow("default") << "Cancel" << int(AlertResponse::Default);
    QTest::newRow("alternate") << "Delete" << int(AlertResponse::Alternate);
    QTest::newRow("other") << "Later" << int(AlertResponse::Other);
}

void TestPanels::qtAlertMapsButtons()
{
    QFETCH(QString, click);
    QString shownText;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            shownText = box->text() + "|" + box->informativeText();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == click)
                    b->click();
        }
    });
    QtPanels panels;
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.message = "Delete";
    alert.informativeText = "Delete Reading list";
    alert.defaultButton = "Cancel";
    alert.alternateButton = "Delete";
    alert.otherButton = "Later";
    QTEST(int(panels.runAlert(alert)), "expected");
    QCOMPARE(shownText, QString("Delete|Delete Reading list"));
}

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
