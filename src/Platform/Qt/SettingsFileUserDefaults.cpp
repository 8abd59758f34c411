#include "Platform/Qt/SettingsFileUserDefaults.h"

#include "Debug/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

SettingsFileUserDefaults::SettingsFileUserDefaults()
    : SettingsFileUserDefaults(defaultFilePath())
{
}

SettingsFileUserDefaults::SettingsFileUserDefaults(const QString& filePath)
    : m_settings(filePath, QSettings::NativeFormat)
{
    prepareFile();
}

void SettingsFileUserDefaults::prepareFile()
{
    const QString path = m_settings.fileName();
    const QFileInfo info(path);
    // QSettings would follow a planted link and write where it points.
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        const bool removed = QFile::remove(path);
        DebugLog::write(QStringLiteral("SETTINGS Verknüpfung statt eigener Datei: %1 zeigte auf %2, %3")
                            .arg(path, target, removed ? QStringLiteral("durch eigene Datei ersetzt")
                                                       : QStringLiteral("nicht entfernbar")));
        // What was read through it is not ours to keep.
        m_settings.clear();
    }
    const QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    // Made empty and private first: a rewrite keeps the mode of the file it
    // replaces, so the settings are never readable by others, also when an
    // earlier version left the file open.
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(info.absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, privateFile))
            file.close();
    } else if ((QFile::permissions(path) & QFileDevice::Permissions(0x0077)) != 0) {
        QFile::setPermissions(path, privateFile);
    }
}

void SettingsFileUserDefaults::sync()
{
    if (QFileInfo(m_settings.fileName()).isSymLink())
        prepareFile();
    m_settings.sync();
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
    sync();
}

void SettingsFileUserDefaults::remove(const QString& key)
{
    m_settings.remove(key);
    sync();
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
