// The editor's results on a real X server: a pinned picture stays above a
// normal window that is raised over it, is on every workspace, never takes
// the focus, moves when dragged and closes from its hover bar. Live Text lets
// the pointer select recognised words across lines and Ctrl+C copy them.
#include "App/PinnedImageView.h"
#include "App/PinnedImageWindowController.h"
#include "Editor/AnnotationCanvasView.h"
#include "Editor/CanvasContentView.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/EditorWindowController.h"
#include "Editor/LiveTextOverlay.h"
#include "Editor/OCRService.h"
#include "Platform/Qt/TesseractTextRecognizer.h"
#include "Platform/X11/X11WindowDesktops.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QPainter>
#include <QScreen>
#include <QToolButton>

namespace {

QColor screenPixel(QPoint at)
{
    return grabScreen(QRect(at, QSize(1, 1))).pixelColor(0, 0);
}

} // namespace

class tst_ResultsX11 : public QObject {
    Q_OBJECT
    X11Probe probe;

    xcb_window_t activeWindow()
    {
        const QByteArray v = probe.property(probe.root(), probe.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
        return v.size() >= 4 ? *reinterpret_cast<const xcb_window_t*>(v.constData()) : 0;
    }
    QList<xcb_atom_t> states(xcb_window_t w)
    {
        const QByteArray v = probe.property(w, probe.atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
        const auto* atoms = reinterpret_cast<const xcb_atom_t*>(v.constData());
        return QList<xcb_atom_t>(atoms, atoms + v.size() / int(sizeof(xcb_atom_t)));
    }

private Q_SLOTS:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    void liveTextSelectsWordsAcrossLinesAndCopiesThem()
    {
        QImage picture(900, 300, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        p.setFont(font);
        p.drawText(QPoint(40, 90), QStringLiteral("Größe der Fenster"));
        p.drawText(QPoint(40, 190), QStringLiteral("Übersicht ändern"));
        p.end();

        TesseractTextRecognizer recognizer;
        OCRService ocr(recognizer);
        auto environment = std::make_unique<FakeEditorEnvironment>();
        FakeEditorEnvironment& env = *environment;
        env.ocr = &ocr;
        EditorWindowController window(picture, std::nullopt, std::move(environment));
        EditorViewModel& vm = window.viewModel();
        CanvasContentView& content = window.rootView().canvas().contentView();
        auto* overlay = content.findChild<LiveTextOverlay*>();
        QVERIFY(overlay);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(!overlay->isVisible());

        vm.setLiveTextEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(vm.liveTextLines().size(), 2, 20000);
        QVERIFY(overlay->isVisible());
        const auto onScreen = [&](const RecognizedWord& word) {
            return content.mapToGlobal(content.viewPoint(QRectF(word.box).center()).toPoint());
        };
        const RecognizedWord from = vm.liveTextLines()[0].words.value(1); // "der"
        const RecognizedWord to = vm.liveTextLines()[1].words.value(0);   // "Übersicht"
        QCOMPARE(from.text, QStringLiteral("der"));
        QCOMPARE(to.text, QStringLiteral("Übersicht"));

        const QPoint a = onScreen(from), b = onScreen(to);
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(a.x()), n(a.y())}));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->cursor().shape(), Qt::IBeamCursor, 10000); // over a word
        QVERIFY(xdotool({"mousedown", "1", "mousemove", n((a.x() + b.x()) / 2), n((a.y() + b.y()) / 2), "mousemove",
                         n(b.x()), n(b.y()), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->selection().selectedText(), QStringLiteral("der Fenster\nÜbersicht"), 10000);
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(env.copiedTexts, QStringList{QStringLiteral("der Fenster\nÜbersicht")}, 10000);
        QVERIFY(env.copiedImages.isEmpty()); // not the picture while Live Text is on
        QVERIFY(vm.state().annotations.isEmpty()); // the drag drew nothing

        // Off: the canvas has the pointer again.
        vm.setLiveTextEnabled(false);
        QVERIFY(!overlay->isVisible());
        QVERIFY(xdotool({"mousemove", n(a.x()), n(a.y()), "mousedown", "1", "mousemove", n(a.x() + 40), n(a.y() + 20),
                         "mousemove", n(b.x()), n(b.y()), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(vm.state().annotations.size(), 1, 10000);
        window.close();
    }

    void aPinnedPictureStaysAboveAndNeverTakesTheFocus()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget normal;
        normal.setWindowTitle(QStringLiteral("normal"));
        normal.setStyleSheet(QStringLiteral("background: rgb(0, 160, 0);"));
        normal.setGeometry(available.center().x() - 400, available.center().y() - 300, 800, 600);
        normal.show();
        normal.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&normal));
        const auto normalId = xcb_window_t(normal.winId());
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), normalId, 10000);

        X11WindowDesktops desktops;
        PinnedImageWindowController pin(filledImage(400, 300, QColor(220, 0, 0), QImage::Format_ARGB32_Premultiplied), desktops, available);
        bool closed = false;
        pin.onClose = [&] { closed = true; };
        pin.showPinned();
        const auto pinId = xcb_window_t(pin.winId());
        QTRY_VERIFY_WITH_TIMEOUT(probe.viewable(pinId), 10000);
        const QPoint centre = available.center();
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre), QColor(220, 0, 0), 10000);
        QCOMPARE(activeWindow(), normalId); // showing it took no focus

        // Above, on every workspace.
        QVERIFY(states(pinId).contains(probe.atom("_NET_WM_STATE_ABOVE")));
        QCOMPARE(probe.property(pinId, probe.atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL), QByteArray(4, char(0xFF)));

        // The normal window raised and activated over it stays below.
        normal.raise();
        normal.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), normalId, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre), QColor(220, 0, 0), 10000);

        // A click on it takes no focus either.
        probe.click(centre + QPoint(0, 80));
        QTRY_VERIFY_WITH_TIMEOUT(pin.view().isHovering(), 10000);
        QCOMPARE(activeWindow(), normalId);

        // Dragged by its body it moves.
        const QPoint before = pin.geometry().topLeft();
        const QPoint grab = centre + QPoint(0, 80);
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(grab.x()), n(grab.y()), "mousedown", "1", "mousemove", n(grab.x() + 20),
                         n(grab.y() + 10), "mousemove", n(grab.x() + 60), n(grab.y() + 40), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(pin.geometry().topLeft(), before + QPoint(60, 40), 10000);
        QCOMPARE(activeWindow(), normalId);

        // Its hover bar's close button closes it.
        QTRY_VERIFY_WITH_TIMEOUT(pin.view().controlBar().isVisible(), 10000);
        QToolButton& close = pin.view().closeButton();
        probe.click(close.mapToGlobal(close.rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!probe.viewable(pinId), 10000);
    }
};

ZENTU_TEST_MAIN(tst_ResultsX11)
#include "tst_results_x11.moc"
