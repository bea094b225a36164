#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

struct Notification
{
    QString name;
    QVariant object;
    QVariantMap userInfo;
};

// Process-wide notifications between controllers that do not hold each other.
// Observers register by name and accept any sender; delivery is synchronous on
// the posting thread, in registration order. An observer that is destroyed is
// forgotten without having to unregister.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    void addObserver(QObject* observer, const QString& name, Handler handler);
    // Removes the observer's registrations for `name`, or all of them when
    // `name` is empty.
    void removeObserver(QObject* observer, const QString& name = QString());

    void post(const QString& name, const QVariant& object = QVariant(),
              const QVariantMap& userInfo = QVariantMap());

    int observerCount(const QString& name) const;

private:
    struct Registration
    {
        QPointer<QObject> observer;
        Handler handler;
        quint64 serial;
    };
    QHash<QString, QList<Registration>> byName;
    quint64 nextSerial = 0;
};
