// Keyboard focus on a real X server, driven by XTest: Tab brings the ring in
// the accent colour around the control the keyboard is on, just outside its
// shape, on the screen's pixels: a switch of the settings and a tool button of
// the editor's toolbar, in a light and a dark palette. Space works the ringed
// control; a click that moves the focus takes the ring away, and the next Tab
// brings it back.
#include "Editor/CanvasContentView.h"
#include "Editor/AnnotationCanvasView.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorToolbar.h"
#include "Editor/EditorWindowController.h"
#include "Editor/ToolButton.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/SettingsFixture.h"
#include "Settings/SettingsView.h"
#include "Ui/FocusRing.h"
#include "Ui/ToggleSwitch.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/ChildNamed.h"
#include "support/DarkPalette.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QApplication>
#include <QSignalSpy>

namespace {

// Pixels of the accent colour in the band around a control, from its edge to
// 5 px out, as the X server shows them.
int ringPixels(const QWidget* control)
{
    const QRect inner(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QRect outer = inner.adjusted(-5, -5, 5, 5);
    const QImage shot = grabScreen(outer);
    const QColor accent = control->palette().color(QPalette::Highlight);
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            if (inner.contains(outer.topLeft() + QPoint(x, y)))
                continue;
            const QColor c = shot.pixelColor(x, y);
            n += qAbs(c.red() - accent.red()) + qAbs(c.green() - accent.green()) + qAbs(c.blue() - accent.blue()) < 60;
        }
    return n;
}

// Presses Tab, each time until the focus has moved, until `reached` says it
// is where it should be.
bool tabUntil(const std::function<bool()>& reached)
{
    for (int i = 0; i < 60; ++i) {
        const QWidget* before = QApplication::focusWidget();
        if (!xdotool({"key", "Tab"}) || !QTest::qWaitFor([&] { return QApplication::focusWidget() != before; }, 5000))
            return false;
        if (reached())
            return true;
    }
    return false;
}

} // namespace

class TestFocusRingX11 : public QObject {
    Q_OBJECT
    X11Probe x11;
    // As the program's composition root makes it.
    FocusRing ring;

private Q_SLOTS:
    void init() { QApplication::setPalette(QTest::currentDataTag() == QByteArray("dark") ? darkPalette() : QPalette()); }
    void cleanup() { QApplication::setPalette(QPalette()); }

    void aSwitchWearsTheRingAfterTab_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void aSwitchWearsTheRingAfterTab()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        QSignalSpy finished(&view, &SettingsView::introFinished);
        view.move(60, 60);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        view.selectTab(SettingsTab::general);
        auto* tab = qobject_cast<GeneralSettingsTab*>(view.tabView());
        QVERIFY(tab);
        ToggleSwitch* cursor = childNamed<ToggleSwitch>(*tab, "cursorToggle");
        ToggleSwitch* stamp = childNamed<ToggleSwitch>(*tab, "stampToggle");
        QTRY_VERIFY_WITH_TIMEOUT(cursor->isVisible() && stamp->isVisible(), 10000);
        QCOMPARE(ringPixels(cursor), 0);

        QVERIFY(tabUntil([&] { return cursor->hasFocus(); }));
        QCOMPARE(ring.ringedControl(), cursor);
        // All around the capsule, in this palette's accent colour.
        const int perimeter = 2 * (cursor->width() + cursor->height());
        QTRY_VERIFY_WITH_TIMEOUT(ringPixels(cursor) > perimeter / 2, 10000);
        QCOMPARE(ringPixels(stamp), 0);
        // Space works the ringed switch.
        const bool before = cursor->isChecked();
        QVERIFY(xdotool({"key", "space"}));
        QTRY_COMPARE_WITH_TIMEOUT(cursor->isChecked(), !before, 10000);

        // A click moves the focus: no ring anywhere, until the keyboard moves on.
        x11.click(stamp->mapToGlobal(stamp->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(stamp->hasFocus(), 10000);
        QVERIFY(!ring.ringedControl());
        QTRY_VERIFY_WITH_TIMEOUT(ringPixels(cursor) == 0 && ringPixels(stamp) == 0, 10000);
        QVERIFY(tabUntil([&] { return ring.ringedControl() != nullptr; }));
        QVERIFY(ring.ringedControl() != stamp);
    }

    void aToolbarButtonWearsTheRingAfterTab_data() { aSwitchWearsTheRingAfterTab_data(); }
    void aToolbarButtonWearsTheRingAfterTab()
    {
        QImage picture(1000, 700, QImage::Format_RGB32);
        picture.fill(QColor(128, 128, 128));
        EditorWindowController window(picture, itemWith({}), std::make_unique<FakeEditorEnvironment>());
        window.move(40, 40);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto onTool = [] { return qobject_cast<ToolButton*>(QApplication::focusWidget()) != nullptr; };
        QVERIFY(tabUntil(onTool));
        auto* tool = static_cast<ToolButton*>(QApplication::focusWidget());
        QCOMPARE(ring.ringedControl(), tool);
        const int perimeter = 2 * (tool->width() + tool->height());
        QTRY_VERIFY_WITH_TIMEOUT(ringPixels(tool) > perimeter / 2, 10000);
        // A click on the picture takes the focus there, and the ring away.
        CanvasContentView& canvas = window.rootView().canvas().contentView();
        x11.click(canvas.mapToGlobal(canvas.rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(canvas.hasFocus(), 10000);
        QVERIFY(!ring.ringedControl());
        QTRY_VERIFY_WITH_TIMEOUT(ringPixels(tool) == 0, 10000);
        window.close();
    }
};

ZENTU_TEST_MAIN(TestFocusRingX11)
#include "tst_focusring_x11.moc"
