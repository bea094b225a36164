#include "ScriptedPanels.h"
#include "platform/QtPanels.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The "AuthPanel" that asks for a user name and password when a server
// demands them, and the unattended default that declines.

class TestAuthPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtPanelAnswers_data();
    void qtPanelAnswers();
    void unattendedDeclines();
};

void TestAuthPanel::qtPanelAnswers_data()
{
    QTest::addColumn<bool>("pressOk");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestAuthPanel::qtPanelAnswers()
{
    QFETCH(bool, pressOk);
    bool seen = false, secret = false;
    QString prompt;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* panel = qobject_cast<QDialog*>(widget);
            if (!panel || panel->objectName() != u"AuthPanel" || !panel->isVisible())
                continue;
            seen = true;
            auto* user = panel->findChild<QLineEdit*>("user");
            auto* password = panel->findChild<QLineEdit*>("password");
            if (!user || !password)
                return panel->reject();
            secret = password->echoMode() == QLineEdit::Password;
            for (const QLabel* label : panel->findChildren<QLabel*>())
                prompt += label->text();
            QTest::keyClicks(user, "reader");
            QTest::keyClicks(password, "s3cret");
            auto* buttons = panel->findChild<QDialogButtonBox*>();
            buttons->button(pressOk ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        }
    });

    QtPanels panels;
    const std::optional<Credentials> answer =
        panels.runAuthPanel(AuthRequest{"PubMed mirror", "eutils.example.org"});
    QVERIFY(seen);
    QVERIFY(secret);
    QVERIFY2(prompt.contains("PubMed mirror") && prompt.contains("eutils.example.org"),
             qPrintable(prompt));
    QCOMPARE(answer.has_value(), pressOk);
    if (pressOk) {
        QCOMPARE(answer->user, QString("reader"));
        QCOMPARE(answer->password, QString("s3cret"));
    }
}

void TestAuthPanel::unattendedDeclines()
{
    auto previous = Panels::install(nullptr);
    LogCapture log;
    QVERIFY(!Panels::shared().runAuthPanel(AuthRequest{"realm", "host"}).has_value());
    QCOMPARE(log.lines.size(), 1);
    Panels::install(std::move(previous));
}

QTEST_MAIN(TestAuthPanel)
#include "tst_authpanel.moc"
