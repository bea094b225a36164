#pragma once

#include <QLoggingCategory>

// Developer diagnostics of the article store (failed statements and the like);
// off unless enabled with QT_LOGGING_RULES="olvane.store.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)
