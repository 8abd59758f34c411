#include "support/HelperWindow.h"

#include <QCoreApplication>
#include <QList>
#include <QTest>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {
// The window manager's client list, as it stands.
QList<quint32> managedClients()
{
    QList<quint32> clients;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_intern_atom_reply_t* list = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 16, "_NET_CLIENT_LIST"), nullptr);
    if (list) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, list->atom, XCB_ATOM_WINDOW, 0, 1024), nullptr);
        if (r) {
            const auto* ids = static_cast<const quint32*>(xcb_get_property_value(r));
            clients = QList<quint32>(ids, ids + xcb_get_property_value_length(r) / 4);
            std::free(r);
        }
        std::free(list);
    }
    xcb_disconnect(c);
    return clients;
}
} // namespace

HelperWindow::HelperWindow(QRect rect, int seed) : rect(rect), seed(seed)
{
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentu_test_window"),
                  {QString::number(rect.x()), QString::number(rect.y()), QString::number(rect.width()),
                   QString::number(rect.height()), QString::number(seed)});
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
