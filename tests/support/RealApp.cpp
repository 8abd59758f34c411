#include "support/RealApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

RealApp::RealApp() : m_env(QProcessEnvironment::systemEnvironment())
{
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
}

QString RealApp::binary()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../src/zentu"));
}

bool RealApp::useFreshFolders()
{
    if (!m_root.isValid())
        return false;
    for (const char* sub : {"data", "config", "home", "runtime", "cache"})
        if (!QDir().mkpath(m_root.path() + QLatin1Char('/') + QLatin1String(sub)))
            return false;
    QFile::setPermissions(m_root.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_env.insert(QStringLiteral("HOME"), m_root.path() + QStringLiteral("/home"));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), m_root.path() + QStringLiteral("/cache"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.path() + QStringLiteral("/runtime"));
    return true;
}

void RealApp::start(QProcess& process, QProcess::ProcessChannelMode mode) const
{
    process.setProcessEnvironment(m_env);
    process.setProcessChannelMode(mode);
    process.start(binary(), {});
}

QString RealApp::debugLog() const
{
    QFile log(dataFolder() + QStringLiteral("/debug.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

QJsonArray RealApp::historyRecords(const QString& fileName) const
{
    QFile f(dataFolder() + QLatin1Char('/') + fileName);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).array() : QJsonArray();
}
