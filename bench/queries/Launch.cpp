#include "Launch.h"

#include "library/MyFavorite.h"
#include "library/PMIDLibrary.h"
#include "platform/ApplicationNotifications.h"
#include "platform/NotificationCenter.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "shell/MainWindow.h"
#include "shell/SourceController.h"
#include "window/SourceTableView.h"

#include <QApplication>
#include <QTimer>

#include <memory>

namespace {

// Nobody answers questions during a benchmark: every alert is counted and
// answered with its default button.
class CountingPanels final : public Panels
{
public:
    AlertResponse runAlert(const Alert& alert) override
    {
        lastAlert = alert.message;
        ++alerts;
        return AlertResponse::Default;
    }
    QStringList runOpenPanel(const FilePanelRequest&) override { return {}; }
    QString runSavePanel(const FilePanelRequest&) override { return {}; }
    void beep() override {}
    std::optional<Credentials> runAuthPanel(const AuthRequest&) override { return std::nullopt; }

    int alerts = 0;
    QString lastAlert;
};

} // namespace

QString Launch::once(const std::function<void(const std::function<void()>&)>& timed)
{
    auto panels = std::make_unique<CountingPanels>();
    CountingPanels* counting = panels.get();
    auto previous = Panels::install(std::move(panels));
    // The settings are read from disk again, as at a real start.
    UserDefaults::resetStandard();

    std::unique_ptr<SourceController> controller;
    std::unique_ptr<MainWindow> window;
    bool started = false;
    timed([&] {
        controller = std::make_unique<SourceController>();
        started = controller->init();
        if (!started)
            return;
        window = std::make_unique<MainWindow>();
        controller->awakeFromNib(window.get());
        NotificationCenter::defaultCenter().post(ApplicationNotifications::willFinishLaunching);
        window->show();
        // exit(), not quit(): quit() closes every window on its way out.
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
        app.exec();
    });

    QString problem;
    if (!started)
        problem = QStringLiteral("start-up refused to go on");
    else if (counting->alerts > 0)
        problem = QStringLiteral("start-up asked: %1").arg(counting->lastAlert);
    else if (!window->isVisible())
        problem = QStringLiteral("the main window is not shown");
    else if (controller->library()->journalList().isEmpty() ||
             controller->library()->authorList().isEmpty())
        problem = QStringLiteral("the library file was not read");
    else if (controller->favorite()->numberOfFavorite() == 0)
        problem = QStringLiteral("the favorites file was not read");
    else if (window->sourceView()->count() != 2 + controller->favorite()->numberOfFavorite())
        problem = QStringLiteral("the source list does not show the favorites");
    window.reset();
    controller.reset();
    Panels::install(std::move(previous));
    return problem;
}
