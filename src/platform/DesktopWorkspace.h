#pragma once

#include "Workspace.h"

// Opens files and addresses with the desktop's default application.
class DesktopWorkspace final : public Workspace
{
public:
    bool openUrl(const QUrl& url) override;
};
