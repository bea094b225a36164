#include "Panels.h"

#include "Log.h"

namespace {

// Stands in until the application installs its panels: nothing is asked,
// every question is logged so that it is not lost.
class UnattendedPanels final : public Panels
{
public:
    AlertResponse runAlert(const Alert& alert) override
    {
        Log::message(QStringLiteral("alert: %1 %2").arg(alert.message, alert.informativeText));
        return AlertResponse::Default;
    }
    QStringList runOpenPanel(const FilePanelRequest&) override { return {}; }
    QString runSavePanel(const FilePanelRequest&) override { return {}; }
    void beep() override {}
    std::optional<Credentials> runAuthPanel(const AuthRequest& request) override
    {
        Log::message(
            QStringLiteral("authentication declined: %1 %2").arg(request.host, request.realm));
        return std::nullopt;
    }
};

std::unique_ptr<Panels>& installed()
{
    static std::unique_ptr<Panels> panels = std::make_unique<UnattendedPanels>();
    return panels;
}

} // namespace

Panels& Panels::shared()
{
    return *installed();
}

std::unique_ptr<Panels> Panels::install(std::unique_ptr<Panels> panels)
{
    if (!panels)
        panels = std::make_unique<UnattendedPanels>();
    std::swap(installed(), panels);
    return panels;
}
