#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

// The per-user preferences store: one shared instance, persisted as an XML
// property list at $XDG_CONFIG_HOME/Olvane/Olvane.plist (~/.config when unset).
//
// Reads of absent keys give: bool false, integer 0, float 0.0, string and
// object no value (a null QString / an invalid QVariant). Reads convert the
// stored kind the way the desktop defaults store does: a string read of a
// number gives no value, an integer read of a string gives its leading integer.
class UserDefaults
{
public:
    // The shared store, loaded on first use from defaultPath().
    static UserDefaults& standard();
    // Forgets the shared store so that the next standard() loads it again
    // (tests change HOME / XDG_CONFIG_HOME between cases).
    static void resetStandard();
    static QString defaultPath();

    explicit UserDefaults(QString path);

    QString stringForKey(const QString& key) const;
    QVariant objectForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    double floatForKey(const QString& key) const;

    void setObject(const QVariant& value, const QString& forKey);
    void setBool(bool value, const QString& forKey);
    void setInteger(qint64 value, const QString& forKey);
    void setFloat(double value, const QString& forKey);
    void removeObjectForKey(const QString& key);

    // Writes the store atomically; false (with lastError()) when it could not.
    bool synchronize();

    QStringList keys() const { return values.keys(); }
    QString path() const { return filePath; }
    QString lastError() const { return error; }
    // Where an unreadable preferences file was moved on load, or empty.
    QString movedAsideTo() const { return setAside; }

private:
    QString filePath;
    QVariantMap values;
    QString error;
    QString setAside;
};
