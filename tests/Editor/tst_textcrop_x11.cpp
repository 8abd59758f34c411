// Text and crop in a real editor window on a real X server, driven by XTest:
// words typed into the field at a click end up in the flattened picture, a
// click elsewhere commits the open field once, and a dragged crop is applied
// with Return.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/CanvasContentView.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/EditorWindowController.h"
#include "Editor/GrowingTextView.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <cmath>

namespace {

bool isBlue(QRgb c) { return qBlue(c) > 150 && qRed(c) < 110 && qGreen(c) < 110; }

} // namespace

class tst_TextCropX11 : public QObject {
    Q_OBJECT
    X11Probe probe;
    std::unique_ptr<EditorWindowController> window;

    EditorViewModel& vm() { return window->viewModel(); }
    CanvasContentView& content() { return window->rootView().canvas().contentView(); }
    // Where an image pixel is on the screen.
    QPoint screenPoint(QPointF imagePoint) { return content().mapToGlobal(content().viewPoint(imagePoint).toPoint()); }
    GrowingTextView* field() { return content().textFields().textView(); }

private Q_SLOTS:
    void init()
    {
        QImage white(800, 600, QImage::Format_RGB32);
        white.fill(Qt::white);
        ScreenshotItem item = itemWith({});
        window = std::make_unique<EditorWindowController>(white, item, std::make_unique<FakeEditorEnvironment>());
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTRY_VERIFY(content().width() > 100);
    }
    void cleanup() { window.reset(); }

    void typedWordsReachTheFlattenedPicture()
    {
        vm().setTool(EditorTool::text);
        vm().setColor({0, 0, 1, 1});
        vm().setFontSize(48);
        vm().setFontName(QStringLiteral("DejaVu Sans"));
        probe.click(screenPoint({100, 100}));
        QTRY_VERIFY(field() && field()->hasFocus());
        QVERIFY(xdotool({"type", "--delay", "20", "Hallo"}));
        QTRY_COMPARE(vm().textBuffer().text(), QStringLiteral("Hallo"));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_COMPARE(vm().state().annotations.size(), 1);
        const AnnotationObject text = vm().state().annotations.first();
        QCOMPARE(text.text, QStringLiteral("Hallo"));

        // In the picture: blue glyphs inside the text's box, nothing blue beyond it.
        const QImage flat = AnnotationRenderer::render(vm().original(), vm().state().annotations);
        const QRectF box(text.points.first(), AnnotationRenderer::textSize(QStringLiteral("Hallo"), 48, text.fontName));
        QVERIFY(std::abs(box.left() - 100) <= 2 && std::abs(box.top() - 100) <= 2); // at the click
        int inside = 0, outside = 0;
        for (int y = 0; y < flat.height(); ++y)
            for (int x = 0; x < flat.width(); ++x)
                if (isBlue(flat.pixel(x, y)))
                    ++(box.adjusted(-1, -1, 1, 1).contains(QPointF(x + 0.5, y + 0.5)) ? inside : outside);
        QVERIFY2(inside > 400 && outside == 0, qPrintable(QStringLiteral("%1 in, %2 out").arg(inside).arg(outside)));
    }

    void clickElsewhereCommitsOnce()
    {
        vm().setTool(EditorTool::text);
        probe.click(screenPoint({300, 300}));
        QTRY_VERIFY(field() && field()->hasFocus());
        QVERIFY(xdotool({"type", "--delay", "20", "Welt"}));
        QTRY_COMPARE(vm().textBuffer().text(), QStringLiteral("Welt"));
        const QPointer<GrowingTextView> first = field();
        probe.click(screenPoint({500, 450})); // commits, then opens the next field there
        QTRY_VERIFY(!first && field() && field()->hasFocus());
        QCOMPARE(vm().state().annotations.size(), 1);
        QCOMPARE(vm().state().annotations.first().text, QStringLiteral("Welt"));
        QCOMPARE(vm().undoCount(), 1);
        QVERIFY(xdotool({"type", "--delay", "20", "weg"}));
        QVERIFY(xdotool({"key", "Escape"})); // the field's, not the window's
        QTRY_VERIFY(!field());
        QCOMPARE(vm().state().annotations.size(), 1);
    }

    void draggedCropAppliesWithReturn()
    {
        vm().setTool(EditorTool::crop);
        const QPoint from = screenPoint({200, 150}), to = screenPoint({600, 450});
        const QPoint mid = (from + to) / 2;
        QVERIFY(xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
                         "mousemove", QString::number(mid.x()), QString::number(mid.y()), "mousemove",
                         QString::number(to.x()), QString::number(to.y()), "mouseup", "1"}));
        QTRY_VERIFY(vm().cropDraft() && !vm().cropDragMode());
        const QRectF draft = *vm().cropDraft();
        QVERIFY(std::abs(draft.width() - 400) < 6 && std::abs(draft.height() - 300) < 6);
        QVERIFY(xdotool({"key", "Return"}));
        const QSize cut(int(std::ceil(draft.right()) - std::floor(draft.left())),
                        int(std::ceil(draft.bottom()) - std::floor(draft.top())));
        QTRY_COMPARE(vm().original().size(), cut);
        QVERIFY(!vm().cropDraft());
        QCOMPARE(vm().state().selectedTool, EditorTool::select);
    }
};

ZENTU_TEST_MAIN(tst_TextCropX11)
#include "tst_textcrop_x11.moc"
