#include "platform/NotificationCenter.h"

#include <QTest>

#include <memory>

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversByNameInOrder();
    void destroyedObserverIsForgotten();
    void removeObserver();
    void changesDuringDelivery();
};

void TestNotificationCenter::deliversByNameInOrder()
{
    NotificationCenter center;
    QObject a, b;
    QStringList seen;
    center.addObserver(&a, "importArticleDone", [&](const Notification& n) {
        seen << "a:" + n.object.toString() + ":" + n.userInfo.value("userInfo").toString();
    });
    center.addObserver(&b, "importArticleDone",
                       [&](const Notification& n) { seen << "b:" + n.name; });
    center.addObserver(&b, "updateView", [&](const Notification&) { seen << "b:updateView"; });

    center.post("importArticleDone", QString("123"), {{"userInfo", "single"}});
    QCOMPARE(seen, (QStringList{"a:123:single", "b:importArticleDone"}));
    seen.clear();
    center.post("nobodyListens");
    QVERIFY(seen.isEmpty());
}

void TestNotificationCenter::destroyedObserverIsForgotten()
{
    NotificationCenter center;
    int calls = 0;
    auto observer = std::make_unique<QObject>();
    center.addObserver(observer.get(), "openSource", [&](const Notification&) { ++calls; });
    QCOMPARE(center.observerCount("openSource"), 1);
    observer.reset();
    QCOMPARE(center.observerCount("openSource"), 0);
    center.post("openSource");
    QCOMPARE(calls, 0);
}

void TestNotificationCenter::removeObserver()
{
    NotificationCenter center;
    QObject a;
    int first = 0, second = 0;
    center.addObserver(&a, "one", [&](const Notification&) { ++first; });
    center.addObserver(&a, "two", [&](const Notification&) { ++second; });
    center.removeObserver(&a, "one");
    center.post("one");
    center.post("two");
    QCOMPARE(first, 0);
    QCOMPARE(second, 1);
    center.removeObserver(&a);
    center.post("two");
    QCOMPARE(second, 1);
}

void TestNotificationCenter::changesDuringDelivery()
{
    NotificationCenter center;
    QObject a, b, c;
    QStringList seen;
    // a removes b and adds c while the post is delivered: b is not called any
    // more, c only from the next post on.
    center.addObserver(&a, "n", [&](const Notification&) {
        seen << "a";
        center.removeObserver(&b);
        center.addObserver(&c, "n", [&](const Notification&) { seen << "c"; });
    });
    center.addObserver(&b, "n", [&](const Notification&) { seen << "b"; });
    center.post("n");
    QCOMPARE(seen, QStringList{"a"});
}

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
