#include "Workspace.h"

#include "Log.h"

namespace {

class NoWorkspace final : public Workspace
{
public:
    bool openUrl(const QUrl& url) override
    {
        Log::message(QStringLiteral("cannot open %1: no desktop").arg(url.toString()));
        return false;
    }
};

std::unique_ptr<Workspace>& installed()
{
    static std::unique_ptr<Workspace> workspace = std::make_unique<NoWorkspace>();
    return workspace;
}

} // namespace

Workspace& Workspace::shared()
{
    return *installed();
}

std::unique_ptr<Workspace> Workspace::install(std::unique_ptr<Workspace> workspace)
{
    if (!workspace)
        workspace = std::make_unique<NoWorkspace>();
    std::swap(installed(), workspace);
    return workspace;
}
