#include "Platform/Qt/LocalSocketSingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {
const QByteArray activateMessage = "activate\n";

// Alive and not a zombie: a started program that failed at once (a missing
// library) stays a zombie until its new parent reaps it.
bool isRunning(qint64 pid)
{
    if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) != "Z";
}
}

LocalSocketSingleInstance::LocalSocketSingleInstance(QString folder, QObject* parent)
    : SingleInstance(parent)
    , m_folder(folder.isEmpty() ? defaultFolder() : std::move(folder))
{
}

LocalSocketSingleInstance::~LocalSocketSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString LocalSocketSingleInstance::defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    // Without a runtime folder: a private one per user in the temporary folder.
    const QString fallback = QDir::tempPath() + QStringLiteral("/zentu-") + QString::number(::getuid());
    if (QDir().mkpath(fallback))
        QFile::setPermissions(fallback, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return fallback;
}

QString LocalSocketSingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/com.quorel.zentu.lock");
}

QString LocalSocketSingleInstance::socketPath() const
{
    return m_folder + QStringLiteral("/com.quorel.zentu.socket");
}

SingleInstance::Claim LocalSocketSingleInstance::claim()
{
    if (m_server)
        return Claim::claimed;
    m_lock = std::make_unique<QLockFile>(lockPath());
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
    if (!m_lock->tryLock(0)) {
        const QLockFile::LockError error = m_lock->error();
        m_lock.reset();
        if (error != QLockFile::LockFailedError) {
            // Not "already running": nobody may hold the lock at all (a
            // runtime folder of another user after su, a read-only folder).
            m_failure = lockPath() + QStringLiteral(": ")
                + (error == QLockFile::PermissionError ? QString::fromLocal8Bit(std::strerror(EACCES))
                                                       : QString::fromLocal8Bit(std::strerror(EIO)));
            return Claim::failed;
        }
        handOver();
        return Claim::otherInstance;
    }
    // We hold the lock, so any socket left behind belongs to a dead instance.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray data = socket->readAll();
                if (data.contains("activate"))
                    Q_EMIT activationRequested();
                socket->disconnectFromServer();
            });
        }
    });
    // Without the socket this instance still runs; a later start then simply
    // cannot reach it and exits on the lock.
    m_server->listen(socketPath());
    return Claim::claimed;
}

bool LocalSocketSingleInstance::handOver()
{
    // The first instance may hold the lock a moment before it listens.
    QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(200)) {
            socket.write(activateMessage);
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

void LocalSocketSingleInstance::release()
{
    if (m_server) {
        // Closing removes the socket file now, while it is still ours.
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    m_lock.reset(); // unlocks and removes the lock file
}

qint64 LocalSocketSingleInstance::lockHolder() const
{
    const QLockFile probe(lockPath());
    qint64 pid = 0;
    QString host;
    QString app;
    return probe.getLockInfo(&pid, &host, &app) ? pid : 0;
}

bool LocalSocketSingleInstance::handOverTo(const QString& program, int timeoutMs)
{
    // The new instance claims the session the usual way, so this one lets go first.
    release();
    qint64 pid = 0;
    if (QProcess::startDetached(program, {}, QDir::homePath(), &pid)) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired() && isRunning(pid)) {
            if (lockHolder() == pid)
                return true;
            QThread::msleep(50);
        }
    }
    // Take the session back. Should another instance hold it by now (the new
    // one, late), that one runs and this one must end.
    return claim() == Claim::otherInstance;
}
