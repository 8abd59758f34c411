#include "Platform/Qt/SettingsFileUserDefaults.h"

#include <QFile>
#include <QStandardPaths>

SettingsFileUserDefaults::SettingsFileUserDefaults()
    : SettingsFileUserDefaults(defaultFilePath())
{
}

SettingsFileUserDefaults::SettingsFileUserDefaults(const QString& filePath)
    : m_settings(filePath, QSettings::NativeFormat)
{
}

QString SettingsFileUserDefaults::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/com.quorel.zentu.conf");
}

QVariant SettingsFileUserDefaults::value(const QString& key) const
{
    return m_settings.value(key);
}

void SettingsFileUserDefaults::setValue(const QString& key, const QVariant& value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}

void SettingsFileUserDefaults::remove(const QString& key)
{
    m_settings.remove(key);
    m_settings.sync();
}

bool SettingsFileUserDefaults::removePersistentDomain(QString* error)
{
    // Cleared first, so nothing is written back from memory later.
    m_settings.clear();
    m_settings.sync();
    QFile file(m_settings.fileName());
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.fileName() + QStringLiteral(": ") + file.errorString();
    return false;
}
