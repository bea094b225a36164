#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <optional>

// Runs this benchmark executable again with `arguments` (a child mode that
// measures in a fresh process) and reads the one number it prints. No value
// when the child fails or prints no number; its errors go to ours.
inline std::optional<double> numberFromChild(const QStringList& arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return std::nullopt;
    bool ok = false;
    const double number = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}
