#include "OlvaneApplication.h"

#include "MainWindow.h"
#include "SourceController.h"
#include "TerminationSignals.h"

#include "platform/ApplicationNotifications.h"
#include "platform/DesktopWorkspace.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/QtPanels.h"

#include <QApplication>
#include <QTimer>

int runOlvane(QApplication& app)
{
    // First, so that a signal arriving during start-up is kept until the
    // event loop can act on it.
    TerminationSignals signals;
    QObject::connect(&signals, &TerminationSignals::terminationRequested, &app, [](int number) {
        Log::message(QStringLiteral("signal %1 received; quitting").arg(number));
        QApplication::quit();
    });

    Panels::install(std::make_unique<QtPanels>());
    Workspace::install(std::make_unique<DesktopWorkspace>());

    SourceController controller;
    if (!controller.init())
        return 1;

    MainWindow window;
    controller.awakeFromNib(&window);
    QApplication::setQuitOnLastWindowClosed(
        SourceController::applicationShouldTerminateAfterLastWindowClosed());
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &controller, [] {
        NotificationCenter::defaultCenter().post(ApplicationNotifications::willTerminate);
    });

    NotificationCenter::defaultCenter().post(ApplicationNotifications::willFinishLaunching);
    window.show();
    // Files named on the command line (the desktop file's "%F") are imported
    // once the event loop runs, as files handed to a running program are.
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (!files.isEmpty())
        QTimer::singleShot(0, &controller,
                           [&controller, files] { controller.applicationOpenFiles(files); });
    return app.exec();
}
