#pragma once

#include "Panels.h"

class QWidget;

// Panels shown with Qt's message boxes and file dialogs, over the main window.
class QtPanels final : public Panels
{
public:
    AlertResponse runAlert(const Alert& alert) override;
    QStringList runOpenPanel(const FilePanelRequest& request) override;
    QString runSavePanel(const FilePanelRequest& request) override;
    void beep() override;
    std::optional<Credentials> runAuthPanel(const AuthRequest& request) override;

private:
    static QWidget* parentWindow();
};
