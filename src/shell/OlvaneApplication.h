#pragma once

class QApplication;

// Runs the program in the given application object: installs the desktop
// panels, starts the application delegate and the main window, and runs the
// event loop until the user quits, the window is closed, or a termination
// signal arrives. Returns the process exit status.
int runOlvane(QApplication& app);
