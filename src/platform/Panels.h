#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Every question the program asks the user goes through Panels: alerts and
// sheets, open and save panels, the beep. The application installs the Qt
// implementation; tests install a scripted one that records each question.
struct Alert
{
    enum class Style { Informational, Warning, Critical };
    Style style = Style::Warning;
    QString message;
    QString informativeText;
    QString defaultButton = QStringLiteral("OK");
    QString alternateButton; // empty: none
    QString otherButton;     // empty: none
};

enum class AlertResponse { Default, Alternate, Other };

struct FilePanelRequest
{
    QString title;
    QString directory; // where the panel starts
    bool chooseDirectories = false;
    bool chooseFiles = true;
    bool allowMultiple = false;
    QStringList fileTypes; // name suffixes without the dot; empty: any
    QString suggestedName; // save panels
};

// A server asks for a user name and password (HTTP authentication).
struct AuthRequest
{
    QString realm;
    QString host;
};

struct Credentials
{
    QString user;
    QString password;
};

class Panels
{
public:
    virtual ~Panels() = default;

    virtual AlertResponse runAlert(const Alert& alert) = 0;
    // Chosen paths, or an empty list when the user cancelled.
    virtual QStringList runOpenPanel(const FilePanelRequest& request) = 0;
    // Chosen path, or an empty string when the user cancelled.
    virtual QString runSavePanel(const FilePanelRequest& request) = 0;
    virtual void beep() = 0;
    // The "AuthPanel": user name and password for a server, or no value when
    // the user declined.
    virtual std::optional<Credentials> runAuthPanel(const AuthRequest& request) = 0;

    // The installed implementation. Until one is installed, alerts are logged
    // and answered with their default button, panels are cancelled and
    // authentication is declined.
    static Panels& shared();
    // Installs `panels` and returns the previous implementation.
    static std::unique_ptr<Panels> install(std::unique_ptr<Panels> panels);
};
