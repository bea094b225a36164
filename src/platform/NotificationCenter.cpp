#include "NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject* observer, const QString& name, Handler handler)
{
    byName[name].append(Registration{observer, std::move(handler), nextSerial++});
}

void NotificationCenter::removeObserver(QObject* observer, const QString& name)
{
    auto removeFrom = [observer](QList<Registration>& list) {
        list.removeIf([observer](const Registration& r) { return r.observer == observer; });
    };
    if (!name.isEmpty()) {
        auto it = byName.find(name);
        if (it != byName.end())
            removeFrom(*it);
        return;
    }
    for (auto& list : byName)
        removeFrom(list);
}

void NotificationCenter::post(const QString& name, const QVariant& object,
                              const QVariantMap& userInfo)
{
    auto it = byName.find(name);
    if (it == byName.end())
        return;
    // Observers may register or unregister while being notified: deliver to
    // the registrations present at posting time that are still registered.
    const QList<Registration> snapshot = *it;
    const Notification note{name, object, userInfo};
    for (const Registration& r : snapshot) {
        if (!r.observer)
            continue;
        const auto& current = byName[name];
        const bool stillRegistered =
            std::any_of(current.begin(), current.end(),
                        [&](const Registration& c) { return c.serial == r.serial; });
        if (stillRegistered)
            r.handler(note);
    }
    // Forget observers that were destroyed.
    byName[name].removeIf([](const Registration& r) { return r.observer.isNull(); });
}

int NotificationCenter::observerCount(const QString& name) const
{
    const auto it = byName.find(name);
    if (it == byName.end())
        return 0;
    return int(std::count_if(it->begin(), it->end(),
                             [](const Registration& r) { return !r.observer.isNull(); }));
}
