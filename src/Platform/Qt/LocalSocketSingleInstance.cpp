#include "Platform/Qt/LocalSocketSingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace {
const QByteArray activateMessage = "activate\n";
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

QString LocalSocketSingleInstance::socketPath() const
{
    return m_folder + QStringLiteral("/com.quorel.zentu.socket");
}

bool LocalSocketSingleInstance::claim()
{
    if (m_server)
        return true;
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/com.quorel.zentu.lock"));
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        handOver();
        return false;
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
    return true;
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
