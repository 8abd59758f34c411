#include "support/RealApp.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

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
    const auto folders = m_root.isValid() ? makeUserFolders(m_root.path()) : decltype(makeUserFolders({})){};
    for (const auto& [name, path] : folders)
        m_env.insert(QString::fromLatin1(name), path);
    return !folders.isEmpty();
}

void RealApp::start(QProcess& process, QProcess::ProcessChannelMode mode) const
{
    process.setProcessEnvironment(m_env);
    process.setProcessChannelMode(mode);
    process.start(binary(), {});
}

QString RealApp::debugLog() const { return QString::fromUtf8(fileContents(dataFolder() + QStringLiteral("/debug.log"))); }

QJsonArray RealApp::historyRecords(const QString& fileName) const
{
    return historyOnDisk(dataFolder() + QLatin1Char('/') + fileName);
}
