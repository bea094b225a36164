#pragma once

#include "platform/Panels.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <memory>

// The human, scripted: answers queued by the test, every question recorded.
// An alert with no queued answer gets its default button; a panel with no
// queued answer is cancelled, an authentication panel declined.
class ScriptedPanels : public Panels
{
public:
    struct Record
    {
        QList<Alert> alerts;
        QList<FilePanelRequest> openPanels;
        QList<FilePanelRequest> savePanels;
        QList<AuthRequest> authPanels;
        int beeps = 0;
        QQueue<AlertResponse> alertAnswers;
        QQueue<QStringList> openAnswers;
        QQueue<QString> saveAnswers;
        QQueue<std::optional<Credentials>> authAnswers; // no value: the user cancels
    };

    explicit ScriptedPanels(std::shared_ptr<Record> record) : record(std::move(record)) {}

    AlertResponse runAlert(const Alert& alert) override;
    QStringList runOpenPanel(const FilePanelRequest& request) override;
    QString runSavePanel(const FilePanelRequest& request) override;
    void beep() override { ++record->beeps; }
    std::optional<Credentials> runAuthPanel(const AuthRequest& request) override;

private:
    std::shared_ptr<Record> record;
};

// Installs ScriptedPanels for the scope of one test and puts the previous
// implementation back afterwards.
class ScriptedPanelsScope
{
public:
    ScriptedPanelsScope();
    ~ScriptedPanelsScope();
    ScriptedPanels::Record& operator*() { return *record; }
    ScriptedPanels::Record* operator->() { return record.get(); }

private:
    std::shared_ptr<ScriptedPanels::Record> record;
    std::unique_ptr<Panels> previous;
};

// Collects the lines written to the program log while in scope.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines;
};
