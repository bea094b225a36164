#include "ScriptedPanels.h"

#include "platform/Log.h"

AlertResponse ScriptedPanels::runAlert(const Alert& alert)
{
    record->alerts.append(alert);
    return record->alertAnswers.isEmpty() ? AlertResponse::Default : record->alertAnswers.dequeue();
}

QStringList ScriptedPanels::runOpenPanel(const FilePanelRequest& request)
{
    record->openPanels.append(request);
    return record->openAnswers.isEmpty() ? QStringList() : record->openAnswers.dequeue();
}

QString ScriptedPanels::runSavePanel(const FilePanelRequest& request)
{
    record->savePanels.append(request);
    return record->saveAnswers.isEmpty() ? QString() : record->saveAnswers.dequeue();
}

std::optional<Credentials> ScriptedPanels::runAuthPanel(const AuthRequest& request)
{
    record->authPanels.append(request);
    return record->authAnswers.isEmpty() ? std::nullopt : record->authAnswers.dequeue();
}

ScriptedPanelsScope::ScriptedPanelsScope() : record(std::make_shared<ScriptedPanels::Record>())
{
    previous = Panels::install(std::make_unique<ScriptedPanels>(record));
}

ScriptedPanelsScope::~ScriptedPanelsScope()
{
    Panels::install(std::move(previous));
}

LogCapture::LogCapture()
{
    Log::setCapture([this](const QString& line) { lines.append(line); });
}

LogCapture::~LogCapture()
{
    Log::setCapture({});
}
