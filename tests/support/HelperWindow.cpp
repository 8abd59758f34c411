#include "support/HelperWindow.h"
#include "support/X11Probe.h"

#include <QCoreApplication>
#include <QList>
#include <QTest>

namespace {
// The window manager's client list, as it stands.
QList<quint32> managedClients()
{
    X11Probe x;
    const QByteArray ids = x.property(x.root(), x.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    return QList<quint32>(reinterpret_cast<const quint32*>(ids.constData()),
                          reinterpret_cast<const quint32*>(ids.constData()) + ids.size() / 4);
}
} // namespace

HelperWindow::HelperWindow(QRect rect, int seed, Style style) : rect(rect), seed(seed)
{
    QStringList args{QString::number(rect.x()), QString::number(rect.y()), QString::number(rect.width()),
                     QString::number(rect.height()), QString::number(seed)};
    if (style != Style::plain)
        args.append(style == Style::rounded ? QStringLiteral("rounded") : QStringLiteral("slow"));
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentu_test_window"), args);
    if (process.waitForStarted(5000) && process.waitForReadyRead(10000))
        id = process.readLine().trimmed().toUInt();
}

HelperWindow::~HelperWindow()
{
    process.closeWriteChannel();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
    (void)QTest::qWaitFor([&] { return !managedClients().contains(id); }, 5000);
}
