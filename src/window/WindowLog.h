#pragma once

#include <QLoggingCategory>

// Developer diagnostics of the main window's views; off unless enabled with
// QT_LOGGING_RULES="olvane.window.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
