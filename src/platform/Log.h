#pragma once

#include <QLoggingCategory>
#include <QString>

#include <functional>

// The program's diagnostics: one line per message on standard error and in
// $XDG_STATE_HOME/Olvane/olvane.log. Messages the user may be asked about
// ("fail to create db", "file not exist??") are written verbatim.
namespace Log {

void message(const QString& line);

// Tests capture the lines written; pass an empty function to stop.
void setCapture(std::function<void(const QString&)> capture);

} // namespace Log

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
