// The real program with a tray host: a click on the tray icon opens the panel
// at the icon; a grab of it shows its width and its sections over the seeded
// histories; its buttons reach the application.
#include "PanelFixture.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

struct X {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ~X() { xcb_disconnect(c); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
    xcb_atom_t atom(const char* name) const
    {
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    QList<xcb_window_t> children(xcb_window_t w) const
    {
        QList<xcb_window_t> out;
        if (auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr)) {
            const xcb_window_t* kids = xcb_query_tree_children(r);
            for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
                out.append(kids[i]);
            std::free(r);
        }
        return out;
    }
    QList<xcb_window_t> descendants(xcb_window_t w) const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t k : children(w))
            out << k << descendants(k);
        return out;
    }
    QByteArray property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const
    {
        QByteArray out;
        if (auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr)) {
            out = QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
            std::free(r);
        }
        return out;
    }
    qint64 pid(xcb_window_t w) const
    {
        const QByteArray v = property(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        return v.size() == 4 ? *reinterpret_cast<const quint32*>(v.constData()) : -1;
    }
    bool viewable(xcb_window_t w) const
    {
        auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(r);
        return v;
    }
    QRect rootGeometry(xcb_window_t w) const
    {
        QRect rect;
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root(), 0, 0), nullptr);
        if (g && t)
            rect = QRect(t->dst_x, t->dst_y, g->width, g->height);
        std::free(g);
        std::free(t);
        return rect;
    }
    QList<xcb_window_t> trayIcons(qint64 pid) const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t host : descendants(root()))
            if (property(host, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).contains("tint2"))
                for (xcb_window_t w : descendants(host))
                    if (this->pid(w) == pid && viewable(w))
                        out.append(w);
        return out;
    }
    // Top-level windows of the process that are on screen.
    QList<xcb_window_t> shown(qint64 pid) const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t w : children(root()))
            if (viewable(w) && (this->pid(w) == pid || [&] {
                    for (xcb_window_t k : descendants(w))
                        if (this->pid(k) == pid)
                            return true;
                    return false;
                }()))
                out.append(w);
        return out;
    }
    void click(QPoint p) const
    {
        auto send = [this](uint8_t type, uint8_t detail, xcb_window_t window, QPoint at) {
            std::free(xcb_request_check(c, xcb_test_fake_input_checked(c, type, detail, XCB_CURRENT_TIME, window,
                                                                        int16_t(at.x()), int16_t(at.y()), 0)));
        };
        send(XCB_MOTION_NOTIFY, 0, root(), p);
        send(XCB_BUTTON_PRESS, 1, XCB_NONE, {});
        send(XCB_BUTTON_RELEASE, 1, XCB_NONE, {});
    }
};

QString zentuBinary()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../src/zentu"));
}

int redPixels(const QImage& img, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() > 170 && c.green() < 70 && c.blue() < 70;
        }
    return n;
}

} // namespace

class TestTrayPanelX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trayIconOpensThePanel()
    {
        QVERIFY2(QFile::exists(zentuBinary()), qPrintable(zentuBinary()));
        // Histories seeded in this test's own folders, which the program shares.
        {
            PanelFixture f;
            f.screenshotStore->add(PanelFixture::picture(400, 300, QColor(220, 20, 20)), CaptureKind::area);
            f.clipboardStore->addText(QStringLiteral("Text aus dem Verlauf"), std::nullopt);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // the test's tint2 tray, not a desktop's
        QProcess app;
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(zentuBinary(), {});
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        X x;
        QTRY_COMPARE_WITH_TIMEOUT(x.trayIcons(pid).size(), 1, 15000);

        const QRect icon = x.rootGeometry(x.trayIcons(pid).first());
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : x.shown(pid))
                if (x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 5000);
        const QRect p = panel();
        QVERIFY(p.left() <= icon.center().x() && icon.center().x() <= p.right());
        QVERIFY(qMin(qAbs(p.bottom() - icon.top()), qAbs(p.top() - icon.bottom())) <= 10);

        // The grab: header with the brand's red dot, the red tile, the footer.
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = QGuiApplication::primaryScreen()
                                             ->grabWindow(0, p.x(), p.y(), p.width(), p.height())
                                             .toImage()
                                             .convertToFormat(QImage::Format_RGB32),
                                  redPixels(shot, QRect(0, 60, 340, p.height() - 60)) > 96 * 70 * 3 / 4),
                                 5000);
        QCOMPARE(shot.width(), 340);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            shot.save(QStringLiteral("/tmp/tray-panel.png"));
        // The word mark's red dot, right of the 18 px icon.
        int dot = 0;
        for (int y = 0; y < 38; ++y)
            for (int x = 36; x < 160; ++x) {
                const QColor c = shot.pixelColor(x, y);
                dot += c.red() > 200 && c.green() < 120 && c.blue() < 120;
            }
        QVERIFY(dot > 2);
        QVERIFY(p.height() > 450); // cards, strip, clipboard list of 240 and footer

        // "Alle" (the one accent-coloured text at the right edge) opens the
        // clipboard history window with the same list.
        QPoint sum;
        int accent = 0;
        for (int y = 40; y < shot.height() - 40; ++y)
            for (int x = 280; x < 340; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.blue() > c.red() + 60 && c.blue() > 120) {
                    sum += QPoint(x, y);
                    ++accent;
                }
            }
        QVERIFY(accent > 5);
        x.click(p.topLeft() + sum / accent);
        auto clipboardWindow = [&]() -> QRect {
            for (xcb_window_t w : x.descendants(x.root()))
                if (x.pid(w) == pid && x.viewable(w) &&
                    x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")) == "Zwischenablage-Verlauf")
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(clipboardWindow().isValid(), 5000);
        QCOMPARE(clipboardWindow().size(), QSize(380, 520));

        // "Beenden" in the footer's right corner ends the program (the panel
        // opened again first where the new window took it away).
        if (!panel().isValid())
            x.click(icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 5000);
        x.click(QPoint(p.right() - 30, p.bottom() - 14));
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
    }
};

ZENTU_TEST_MAIN(TestTrayPanelX11)
#include "tst_traypanel_x11.moc"
