#include "ReferenceCommand.h"

#include "BenchReport.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

bool run(const ReferenceCommand& command, QProcess& process)
{
    if (!command.standardInputFile.isEmpty())
        process.setStandardInputFile(command.standardInputFile);
    process.start(command.program, command.arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

std::optional<ReferenceCommand> tool(const QString& name, const QStringList& arguments,
                                     const QString& input = {})
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return std::nullopt;
    return ReferenceCommand{program, arguments, input};
}

} // namespace

std::optional<double> ReferenceCommand::time() const
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    bool ok = false;
    const double seconds = secondsOf([&] { ok = run(*this, process); });
    return ok ? std::optional<double>(seconds) : std::nullopt;
}

std::optional<QByteArray> ReferenceCommand::output() const
{
    QProcess process;
    if (!run(*this, process))
        return std::nullopt;
    return process.readAllStandardOutput();
}

std::optional<ReferenceCommand> sqliteShell(const QString& databasePath, const QString& statement)
{
    return tool(QStringLiteral("sqlite3"), {databasePath, statement});
}

std::optional<ReferenceCommand> sqliteScript(const QString& databasePath, const QString& script)
{
    return tool(QStringLiteral("sqlite3"), {databasePath}, script);
}

std::optional<ReferenceCommand> xmllint(const QString& path)
{
    return tool(QStringLiteral("xmllint"), {QStringLiteral("--noout"), path});
}
