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
    if (!m_user) {
        process.start(binary(), {});
        return;
    }
    const auto [uid, gid] = *m_user;
    // The settings the test just wrote are the user's.
    QProcess::execute(QStringLiteral("chown"), {"-R", QStringLiteral("%1:%2").arg(uid).arg(gid), root() + QStringLiteral("/config")});
    process.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(gid),
                                               QStringLiteral("--clear-groups"), binary()});
}

void RealApp::runAs(uint uid, uint gid)
{
    m_user = {uid, gid};
    // The other user reaches the folders through the root, and owns them.
    QFile::setPermissions(root(), QFileDevice::Permissions(0x7755));
    for (const QString& folder : QDir(root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        QProcess::execute(QStringLiteral("chown"), {"-R", QStringLiteral("%1:%2").arg(uid).arg(gid), root() + '/' + folder});
}

QString RealApp::debugLog() const { return QString::fromUtf8(fileContents(dataFolder() + QStringLiteral("/debug.log"))); }

QJsonArray RealApp::historyRecords(const QString& fileName) const
{
    return historyOnDisk(dataFolder() + QLatin1Char('/') + fileName);
}
