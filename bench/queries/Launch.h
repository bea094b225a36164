#pragma once

#include <QString>

#include <functional>

class QApplication;

// The program's start-up, in this process, over a home whose settings name a
// preference folder and a cache folder: from the application delegate's
// init() (reading the settings, opening the database, reading library.dat and
// favorite.dat, writing both back as start-up does) through awakeFromNib and
// the finish-launching notification to the main window shown and the event
// loop idle. The caller times the work; the delegate and window are taken
// down afterwards, untimed.
class Launch
{
public:
    explicit Launch(QApplication& app) : app(app) {}

    // Starts and takes down once; `timed` wraps the start-up part.
    // Empty text when the program came up with its library, else why not.
    QString once(const std::function<void(const std::function<void()>&)>& timed);

private:
    QApplication& app;
};
