#pragma once

#include <QString>

// The application object's own notifications, posted on the default centre
// by main(): once before the event loop handles its first event, and once when
// the program is about to quit (however the quit was asked for).
namespace ApplicationNotifications {
inline const QString willFinishLaunching = QStringLiteral("ApplicationWillFinishLaunching");
inline const QString willTerminate = QStringLiteral("ApplicationWillTerminate");
} // namespace ApplicationNotifications
