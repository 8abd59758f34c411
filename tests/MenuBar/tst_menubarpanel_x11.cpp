// The panel on a real X server under the real pointer and keyboard (XTest
// through xdotool): a hovered tile lights up and Delete removes it from the
// history; a click on a card closes the panel before it asks for the capture.
#include "MenuBar/HoverCardButton.h"
#include "MenuBar/MenuBarContentView.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/TileHoverModel.h"
#include "PanelFixture.h"
#include "Ui/Theme.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/ScreenDriver.h"
#include "support/IsolatedEnvironment.h"

#include <QProcess>
#include <QScreen>

namespace {

bool near(QColor a, QColor b, int tolerance = 6)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestMenuBarPanelX11 : public QObject {
    Q_OBJECT

    QImage grabPanel(QWidget& w)
    {
        QCoreApplication::processEvents();
        return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    static void pointAt(QWidget* w)
    {
        const QPoint p = w->mapToGlobal(w->rect().center());
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }

private Q_SLOTS:
    void realPointerAndKeys()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        const ScreenshotItem shot = f.screenshotStore->add(PanelFixture::picture(80, 60, Qt::blue), CaptureKind::area);
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        panel.move(200, 100);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));

        // Hovering a tile lights its frame in the accent colour.
        ScreenshotPreviewRow* tile = panel.tiles().first();
        // The window manager may still move the window: aim anew on each try.
        QVERIFY(QTest::qWaitFor([&] {
            pointAt(tile);
            QTest::qWait(60);
            return TileHoverModel::shared().hoveredID() == shot.id;
        }, 5000));
        QTRY_VERIFY(near(grabPanel(panel).pixelColor(tile->mapTo(&panel, QPoint(tile->width() / 2, 0))),
                         Theme::accent(tile), 60));

        // Delete over the tile in the focused panel removes the screenshot.
        QVERIFY(xdotool({"key", "Delete"}));
        QTRY_VERIFY(f.screenshotStore->items().isEmpty());
        QTRY_VERIFY(!panel.recentScreenshots()->isVisible());

        // The full-screen card under the pointer.
        panel.setDismiss(rec.dismiss());
        rec.calls.clear();
        HoverCardButton* card = panel.captureCards().at(1);
        QVERIFY(QTest::qWaitFor([&] {
            pointAt(card);
            QTest::qWait(30);
            return card->underMouse();
        }, 5000));
        // A click on it closes the panel, then asks for the capture.
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE(rec.calls, (QStringList{"dismiss", "captureFullScreen"}));
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanelX11)
#include "tst_menubarpanel_x11.moc"
