// The overlay on two screens (the offscreen platform configured with two):
// one window per screen, the one under the pointer takes keyboard and pointer,
// a choice on the second screen is in the pixels of its own still.
#include "Screenshot/CaptureOverlayController.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "fakes/FakeOverlayDesktop.h"
#include "support/IsolatedEnvironment.h"

#include <QCursor>
#include <QMouseEvent>
#include <QScreen>

namespace {
FrozenScreen frozenOf(QScreen* screen, QColor colour)
{
    const QRectF frame(screen->geometry());
    const qreal scale = screen->devicePixelRatio();
    QImage still((frame.size() * scale).toSize(), QImage::Format_RGB32);
    still.fill(colour);
    return FrozenScreen{ScreenInfo{quint32(frame.x()), screen->name(), frame, scale}, still, scale};
}
}

class TestOverlayScreens : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowUnderThePointerTakesTheInput()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens[1]->devicePixelRatio(), 2.0);
        FakeOverlayDesktop desktop;
        QCursor::setPos(screens[1]->geometry().center());
        CaptureOverlayController controller({frozenOf(screens[0], Qt::red), frozenOf(screens[1], Qt::green)}, {},
                                            desktop);
        std::optional<OverlaySelectionResult> received;
        controller.present([&](std::optional<OverlaySelectionResult> r) { received = r; });
        const QList<CaptureOverlayWindow*> windows = controller.overlayWindows();
        QCOMPARE(windows.size(), 2);
        QVERIFY(windows[0]->isVisible() && windows[1]->isVisible());
        QCOMPARE(windows[1]->screen(), screens[1]);
        QCOMPARE(windows[1]->geometry(), screens[1]->geometry());
        QCOMPARE(desktop.grabbedWindow, quint64(windows[1]->winId()));

        // A drag on the second screen: points of that screen, pixels of its still.
        CaptureOverlayView* view = windows[1]->contentView();
        for (auto [type, at, button, held] :
             {std::tuple{QEvent::MouseButtonPress, QPointF(10, 20), Qt::LeftButton, Qt::MouseButtons(Qt::LeftButton)},
              std::tuple{QEvent::MouseMove, QPointF(110, 70), Qt::NoButton, Qt::MouseButtons(Qt::LeftButton)},
              std::tuple{QEvent::MouseButtonRelease, QPointF(110, 70), Qt::LeftButton, Qt::MouseButtons()}}) {
            QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(view, &event);
        }
        QVERIFY(received);
        QCOMPARE(received->screen.screen.name, screens[1]->name());
        QCOMPARE(received->pixelRect, QRectF(20, 40, 200, 100));
        QCOMPARE(received->screen.cgImage.pixelColor(0, 0), QColor(Qt::green));
    }

    void pointerOnNoScreenPrefersTheFirst()
    {
        FakeOverlayDesktop desktop;
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCursor::setPos(QPoint(-500, -500));
        CaptureOverlayController controller({frozenOf(screens[0], Qt::red), frozenOf(screens[1], Qt::green)}, {},
                                            desktop);
        controller.present([](std::optional<OverlaySelectionResult>) {});
        QCOMPARE(desktop.grabbedWindow, quint64(controller.overlayWindows().first()->winId()));
        controller.finish(std::nullopt);
    }
};

int main(int argc, char** argv)
{
    IsolatedEnvironment isolatedEnvironment;
    // Two screens side by side, the second at scale 2.
    const QString config = isolatedEnvironment.root() + QStringLiteral("/screens.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96, "dpr": 1},
        {"name": "right", "x": 800, "y": 0, "width": 640, "height": 480, "logicalDpi": 96, "dpr": 2}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    TestOverlayScreens tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_OverlayScreens.moc"
