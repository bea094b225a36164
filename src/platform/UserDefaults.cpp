#include "UserDefaults.h"

#include "AtomicFile.h"
#include "Log.h"
#include "PropertyList.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {
std::unique_ptr<UserDefaults>& sharedInstance()
{
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

// The leading integer of a text, as C's atoll reads it: optional blanks and
// sign, then digits; 0 when there are none.
qint64 leadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == '-' || text.at(i) == '+'))
        negative = text.at(i++) == '-';
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= '0' && text.at(i) <= '9'; ++i)
        value = value * 10 + (text.at(i).unicode() - '0');
    return negative ? -value : value;
}

bool isNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}
} // namespace

UserDefaults& UserDefaults::standard()
{
    auto& instance = sharedInstance();
    if (!instance)
        instance = std::make_unique<UserDefaults>(defaultPath());
    return *instance;
}

void UserDefaults::resetStandard()
{
    sharedInstance().reset();
}

QString UserDefaults::defaultPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + "/.config";
    return config + "/Olvane/Olvane.plist";
}

UserDefaults::UserDefaults(QString path) : filePath(std::move(path))
{
    if (!QFileInfo::exists(filePath))
        return;
    QString why;
    const auto root = PropertyList::readFile(filePath, &why);
    if (root && root->metaType().id() == QMetaType::QVariantMap) {
        values = root->toMap();
        return;
    }
    // Keep the unreadable file for the user instead of overwriting it on the
    // next synchronize.
    setAside = AtomicFile::moveAside(filePath);
    Log::message(QStringLiteral("preferences file %1 could not be read (%2); moved to %3")
                     .arg(filePath, root ? QStringLiteral("not a dictionary") : why, setAside));
}

QString UserDefaults::stringForKey(const QString& key) const
{
    const QVariant value = values.value(key);
    if (value.metaType().id() == QMetaType::QString)
        return value.toString();
    return QString();
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    return values.value(key);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    const QVariant value = values.value(key);
    if (isNumber(value))
        return value.toDouble() != 0;
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
            text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        return leadingInteger(text) != 0;
    }
    return false;
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    const QVariant value = values.value(key);
    if (isNumber(value))
        return static_cast<qint64>(value.toDouble());
    if (value.metaType().id() == QMetaType::QString)
        return leadingInteger(value.toString());
    return 0;
}

double UserDefaults::floatForKey(const QString& key) const
{
    const QVariant value = values.value(key);
    if (isNumber(value))
        return value.toDouble();
    if (value.metaType().id() == QMetaType::QString) {
        // Leading number of the text, as strtod reads it.
        const QString text = value.toString().trimmed();
        for (qsizetype n = text.size(); n > 0; --n) {
            bool ok = false;
            const double number = text.left(n).toDouble(&ok);
            if (ok)
                return number;
        }
    }
    return 0.0;
}

void UserDefaults::setObject(const QVariant& value, const QString& forKey)
{
    if (value.isValid())
        values.insert(forKey, value);
    else
        values.remove(forKey);
}

void UserDefaults::setBool(bool value, const QString& forKey)
{
    values.insert(forKey, value);
}

void UserDefaults::setInteger(qint64 value, const QString& forKey)
{
    values.insert(forKey, value);
}

void UserDefaults::setFloat(double value, const QString& forKey)
{
    values.insert(forKey, value);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    values.remove(key);
}

bool UserDefaults::synchronize()
{
    error.clear();
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QString why;
    if (!PropertyList::writeFile(filePath, values, &why)) {
        error = why;
        return false;
    }
    return true;
}
