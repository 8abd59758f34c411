#include "Platform/Qt/SettingsFileUserDefaults.h"

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
