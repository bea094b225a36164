#include "window/WindowLog.h"

Q_LOGGING_CATEGORY(lcWindow, "olvane.window", QtWarningMsg)
