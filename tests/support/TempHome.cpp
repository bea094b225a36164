#include "TempHome.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {
void restore(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}
} // namespace

TempHome::TempHome()
    : oldHome(qgetenv("HOME")), oldConfig(qgetenv("XDG_CONFIG_HOME")),
      oldState(qgetenv("XDG_STATE_HOME"))
{
    if (!qEnvironmentVariableIsSet("HOME"))
        oldHome = QByteArray();
    if (!qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        oldConfig = QByteArray();
    if (!qEnvironmentVariableIsSet("XDG_STATE_HOME"))
        oldState = QByteArray();
    qputenv("HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/.config"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path() + "/.local/state"));
    UserDefaults::resetStandard();
}

TempHome::~TempHome()
{
    restore("HOME", oldHome);
    restore("XDG_CONFIG_HOME", oldConfig);
    restore("XDG_STATE_HOME", oldState);
    UserDefaults::resetStandard();
}

QString TempHome::defaultPreferenceDir() const
{
    return dir.path() + "/Documents/Olvane";
}

QString TempHome::writeFile(const QString& relativePath, const QByteArray& bytes) const
{
    const QString full = dir.path() + "/" + relativePath;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("TempHome: cannot write %s", qPrintable(full));
    return full;
}

QString fixturePath(const QString& relative)
{
    QString root = qEnvironmentVariable("OLVANE_FIXTURES");
    if (root.isEmpty())
        root = QStringLiteral(OLVANE_SOURCE_DIR "/tests/fixtures");
    return root + "/" + relative;
}

QByteArray fixtureBytes(const QString& relative)
{
    QFile file(fixturePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(file.fileName()));
    return file.readAll();
}
