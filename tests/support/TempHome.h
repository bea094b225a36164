#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh home folder for one test: HOME, XDG_CONFIG_HOME and XDG_STATE_HOME
// point into a temporary directory for the object's lifetime, and the shared
// user defaults are reloaded from there. The previous environment comes back
// on destruction.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return dir.path(); }
    // home + "/Documents/Olvane", the default preference folder.
    QString defaultPreferenceDir() const;
    // Writes `bytes` to home-relative `relativePath`, creating folders.
    QString writeFile(const QString& relativePath, const QByteArray& bytes) const;

private:
    QTemporaryDir dir;
    QByteArray oldHome, oldConfig, oldState;
};

// Path of a file under tests/fixtures.
QString fixturePath(const QString& relative);
QByteArray fixtureBytes(const QString& relative);
