#include "support/SessionBus.h"

#include <QDeadlineTimer>

SessionBus::SessionBus()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        return;
    const QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    m_address = m_daemon.readLine().trimmed();
    if (!m_address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
}

SessionBus::~SessionBus()
{
    if (!m_address.isEmpty())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000))
        m_daemon.kill();
    // The accessibility bus launcher leaves its address on the root window;
    // a GTK program started later on this display would find the dead bus
    // there first and abort.
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        QProcess::execute(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-remove"), QStringLiteral("AT_SPI_BUS")});
}
