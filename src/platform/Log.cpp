#include "Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

Q_LOGGING_CATEGORY(lcPlatform, "olvane.platform")

namespace {

std::function<void(const QString&)>& capture()
{
    static std::function<void(const QString&)> function;
    return function;
}

QString logFilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + "/.local/state";
    return state + "/Olvane/olvane.log";
}

void appendToFile(const QByteArray& line)
{
    const QString path = logFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line);
}

} // namespace

namespace Log {

void message(const QString& line)
{
    if (capture())
        capture()(line);
    const QByteArray text = line.toUtf8();
    std::fprintf(stderr, "olvane: %s\n", text.constData());
    appendToFile(QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + ' ' + text + '\n');
}

void setCapture(std::function<void(const QString&)> function)
{
    capture() = std::move(function);
}

} // namespace Log
