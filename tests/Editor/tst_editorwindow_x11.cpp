// An editor window on a real X server, driven by XTest: what a grab of its
// toolbar shows at a wide and at a narrow width (the tips under its buttons
// are the popover test's), the folded tools opened by resting the real pointer on their chip, a real drag
// of the line width slider over a selected arrow, words typed into the field
// at a click reaching the flattened picture (a click elsewhere commits once),
// a dragged crop applied with Return, Copy and Save whole inside the window at
// its narrowest with the widest options, and a capture that fits shown pixel
// for pixel on screen at 100 %, and the toolbar's symbols drawn alike by an
// editor opened after the last one let go of the fonts it drew with.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/CanvasContentView.h"
#include "Editor/ColorRow.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "Editor/ExportControls.h"
#include "Editor/ToolbarIconButton.h"
#include "Editor/HistoryControls.h"
#include "Editor/GrowingTextView.h"
#include "Editor/OptionSlider.h"
#include "Editor/StyleEditSlider.h"
#include "Editor/ToolButton.h"
#include "Editor/ToolsGroup.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/Popover.h"
#include "Ui/DrawingCaches.h"
#include "Ui/Theme.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/ChildNamed.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/PixelCount.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QScreen>
#include <cmath>

namespace {

QRect in(QWidget* part, QWidget* window) { return QRect(part->mapTo(window, QPoint(0, 0)), part->size()); }

} // namespace

class tst_EditorWindowX11 : public QObject {
    Q_OBJECT
    X11Probe x11;
    std::unique_ptr<EditorWindowController> window;

    EditorViewModel& vm() { return window->viewModel(); }
    EditorSession& session() { return window->session(); }
    EditorRootView& root() { return window->rootView(); }
    EditorToolbar& toolbar() { return root().toolbar(); }
    CanvasContentView& content() { return root().canvas().contentView(); }
    // Where an image pixel is on the screen.
    QPoint screenPoint(QPointF imagePoint) { return content().mapToGlobal(content().viewPoint(imagePoint).toPoint()); }
    GrowingTextView* field() { return content().textFields().textView(); }

    void resizeTo(int width)
    {
        window->resize(width, 700);
        QTRY_COMPARE_WITH_TIMEOUT(window->width(), width, 10000);
    }
    QImage grab()
    {
        QCoreApplication::processEvents();
        return window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    // An editor window on a plain grey picture, as the program opens one.
    void init()
    {
        QImage picture(1200, 800, QImage::Format_RGB32);
        picture.fill(QColor(128, 128, 128));
        window = std::make_unique<EditorWindowController>(picture, itemWith({}), std::make_unique<FakeEditorEnvironment>());
        window->move(40, 40);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTRY_VERIFY(content().width() > 100);
    }
    void cleanup()
    {
        window.reset();
        x11.moveTo({1500, 900});
    }

    void toolbarAtAWideAndANarrowWidth()
    {
        const QColor blue = RGBAColor::palette()[4].toQColor();
        const QRect bar = in(&toolbar(), window.get());

        // Wide: every tool in a row and the eight swatches, blue among them.
        resizeTo(1100);
        QTRY_COMPARE(toolbar().level(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(countPixels(grab(), bar, [&](QColor c) { return near(c, blue, 12); }) > 150, 10000);

        // Narrow: the tools fold into one chip at the start of the row, all colours into the palette chip.
        resizeTo(700);
        QTRY_COMPARE(toolbar().level(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(countPixels(grab(), bar, [&](QColor c) { return near(c, blue, 12); }) == 0, 10000);
        HoverExpandGroup* tools = childNamed<HoverExpandGroup>(*childNamed<ToolsGroup>(toolbar(), "tools"), "foldedGroup");
        QVERIFY(in(tools, window.get()).right() < 80);
        QVERIFY(childNamed<HoverExpandGroup>(*childNamed<ColorRow>(toolbar(), "colors"), "paletteChip")->isVisible());

        // Resting the real pointer on the tools chip opens the grid below it; a click picks a tool and closes it.
        x11.moveTo(tools->mapToGlobal(tools->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(tools->isOpen(), 5000);
        ToolButton* rectangle = childNamed<ToolsGroup>(toolbar(), "tools")->gridButtons()[4];
        QTRY_VERIFY(rectangle->isVisible());
        Popover* grid = tools->popover();
        const QColor fill = Theme::windowBackground(grid);
        auto gridOnScreen = [&] {
            const QImage g = window->screen()->grabWindow(0, grid->x(), grid->y(), grid->width(), grid->height()).toImage();
            const QRect all(0, 0, g.width(), g.height());
            return countPixels(g, all, [&](QColor c) { return near(c, fill, 6); }) > g.width() * g.height() / 3 &&
                   countPixels(g, all, [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; }) > 100;
        };
        QTRY_VERIFY_WITH_TIMEOUT(gridOnScreen(), 5000);
        QVERIFY(grid->y() >= tools->mapToGlobal(QPoint(0, tools->height())).y());
        x11.click(rectangle->mapToGlobal(rectangle->rect().center()));
        QTRY_COMPARE(vm().state().selectedTool, EditorTool::rectangle);
        QTRY_VERIFY(!tools->isOpen());
    }

    void symbolsDrawAlikeAfterTheFontsWentWithTheLastEditor()
    {
        resizeTo(1100);
        QTRY_COMPARE(toolbar().level(), 0);
        QVector<QImage> before;
        for (ToolButton* b : childNamed<ToolsGroup>(toolbar(), "tools")->inlineButtons())
            before << grab().copy(in(b, window.get()));
        QVERIFY(before.size() >= 4);
        // Glyphs, not blank buttons nor the neutral square of a missing font.
        QVERIFY(before[1] != before[2] && before[2] != before[3]);

        window.reset();
        DrawingCaches::release();
        init();
        resizeTo(1100);
        QTRY_COMPARE(toolbar().level(), 0);
        const QList<ToolButton*>& again = childNamed<ToolsGroup>(toolbar(), "tools")->inlineButtons();
        QCOMPARE(again.size(), before.size());
        for (int i = 0; i < again.size(); ++i)
            QTRY_COMPARE_WITH_TIMEOUT(grab().copy(in(again[i], window.get())), before[i], 5000);
    }

    void lineWidthDragThickensTheArrowInOneStep()
    {
        resizeTo(1100);
        QTRY_COMPARE(toolbar().level(), 0);
        // An arrow across the picture, selected as drawn.
        session().drawing().beginDrag({100, 400});
        session().drawing().updateDrag({100, 400});
        session().drawing().updateDrag({1100, 420});
        session().drawing().endDrag();
        QCOMPARE(vm().selectedIDs().size(), 1);
        const QRect canvas = in(&root().canvas(), window.get());
        const QColor red = RGBAColor::palette()[0].toQColor();
        auto redPixels = [&] { return countPixels(grab(), canvas, [&](QColor c) { return near(c, red, 30); }); };
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() > 100, 5000);
        const int thin = redPixels();
        const qsizetype steps = vm().undoCount();

        // The real pointer drags the slider from its left end to its right end.
        StyleEditSlider* slider = childNamed<StyleEditSlider>(*childNamed<OptionSlider>(toolbar(), "strokeControl"), "inlineSlider");
        const QPoint from = slider->mapToGlobal(QPoint(2, slider->height() / 2));
        const QPoint to = slider->mapToGlobal(QPoint(slider->width() + 20, slider->height() / 2));
        x11.drag(from, to);
        QTRY_COMPARE(vm().state().annotations.last().lineWidth, 30.0);
        QTRY_VERIFY(!vm().isCoalescingStyleEdit());
        QCOMPARE(vm().undoCount(), steps + 1);
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() > 3 * thin, 5000);
        QCOMPARE(childNamed<OptionSlider>(toolbar(), "strokeControl")->valueText(), QStringLiteral("30 px"));
        vm().undo();
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() < 2 * thin, 5000);
    }

    void typedWordsReachThePictureAndAClickElsewhereCommitsOnce()
    {
        vm().setTool(EditorTool::text);
        vm().setColor({0, 0, 1, 1});
        vm().setFontSize(48);
        vm().setFontName(QStringLiteral("DejaVu Sans"));
        x11.click(screenPoint({100, 100}));
        QTRY_VERIFY(field() && field()->hasFocus());
        QVERIFY(xdotool({"type", "--delay", "20", "Hallo"}));
        QTRY_COMPARE(session().textEntry().textBuffer().text(), QStringLiteral("Hallo"));
        QVERIFY(xdotool({"key", "Return"}));
        QTRY_COMPARE(vm().state().annotations.size(), 1);
        const AnnotationObject text = vm().state().annotations.first();
        QCOMPARE(text.text, QStringLiteral("Hallo"));

        // In the picture: blue glyphs inside the text's box at the click, nothing blue beyond it.
        const QImage flat = AnnotationRenderer::render(vm().original(), vm().state().annotations);
        const QRectF box(text.points.first(), AnnotationRenderer::textSize(QStringLiteral("Hallo"), 48, text.fontName));
        QVERIFY(std::abs(box.left() - 100) <= 2 && std::abs(box.top() - 100) <= 2);
        const auto isBlue = [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 110 && qGreen(c) < 110; };
        int inside = 0, outside = 0;
        for (int y = 0; y < flat.height(); ++y)
            for (int x = 0; x < flat.width(); ++x)
                if (isBlue(flat.pixel(x, y)))
                    ++(box.adjusted(-1, -1, 1, 1).contains(QPointF(x + 0.5, y + 0.5)) ? inside : outside);
        QVERIFY2(inside > 400 && outside == 0, qPrintable(QStringLiteral("%1 in, %2 out").arg(inside).arg(outside)));

        // A click elsewhere commits the open field once and opens the next one there.
        x11.click(screenPoint({300, 300}));
        QTRY_VERIFY(field() && field()->hasFocus());
        QVERIFY(xdotool({"type", "--delay", "20", "Welt"}));
        QTRY_COMPARE(session().textEntry().textBuffer().text(), QStringLiteral("Welt"));
        const QPointer<GrowingTextView> first = field();
        x11.click(screenPoint({500, 450}));
        QTRY_VERIFY(!first && field() && field()->hasFocus());
        QCOMPARE(vm().state().annotations.size(), 2);
        QCOMPARE(vm().state().annotations.last().text, QStringLiteral("Welt"));
        QCOMPARE(vm().undoCount(), 2);
        QVERIFY(xdotool({"type", "--delay", "20", "weg"}));
        QVERIFY(xdotool({"key", "Escape"})); // the field's, not the window's
        QTRY_VERIFY(!field());
        QCOMPARE(vm().state().annotations.size(), 2);
    }

    // The narrowest window with the cursor tool and its highlight: undo, redo,
    // Copy and Save are on screen inside the window (the options that do not
    // fit slide behind an edge: tst_popovers_x11 clicks it).
    void exportControlsStayInTheWindowAtItsNarrowest()
    {
        vm().setTool(EditorTool::cursor);
        vm().setCursorHighlightEnabled(true);
        resizeTo(EditorWindowController::minimumContentSize.width());
        QTRY_COMPARE(toolbar().level(), EditorToolbarLayout::mostCompactLevel);
        ExportControls& out = *childNamed<ExportControls>(root(), "exportControls");
        const QRect whole = window->rect();
        for (QWidget* w : QList<QWidget*>{childNamed<ToolbarIconButton>(out, "copyButton"),
                                          childNamed<ToolbarIconButton>(out, "saveButton"),
                                          childNamed<ToolbarIconButton>(root(), "undoButton"),
                                          childNamed<ToolbarIconButton>(root(), "redoButton")})
            QTRY_VERIFY2(w->isVisible() && whole.contains(in(w, window.get())), w->metaObject()->className());
        // Save, filled with the accent colour, is there in the window's pixels.
        const QRect save = in(childNamed<ToolbarIconButton>(out, "saveButton"), window.get());
        const QColor accent = Theme::accent(childNamed<ToolbarIconButton>(out, "saveButton"));
        QTRY_VERIFY_WITH_TIMEOUT(countPixels(grab(), save, [&](QColor c) { return near(c, accent, 16); }) > save.width() * save.height() / 2,
                                 10000);
    }

    // A 600 x 430 capture opens in a window sized by the editor's own rule;
    // at the zoom that reads 100 % the screen shows exactly its pixels.
    void aFittingCaptureIsShownPixelForPixelAt100()
    {
        const QImage capture = noisyImage(600, 430, QImage::Format_RGB32);
        window = std::make_unique<EditorWindowController>(capture, itemWith({}), std::make_unique<FakeEditorEnvironment>());
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const auto onScreen = [&] {
            const QPoint at = content().mapToGlobal(QPoint(0, 0));
            return window->screen()->grabWindow(0, at.x(), at.y(), 600, 430).toImage().convertToFormat(QImage::Format_RGB32);
        };
        QTRY_COMPARE_WITH_TIMEOUT(onScreen(), capture, 10000);
    }

    void draggedCropAppliesWithReturn()
    {
        vm().setTool(EditorTool::crop);
        const QPoint from = screenPoint({200, 150}), to = screenPoint({600, 450});
        x11.drag(from, to);
        QTRY_VERIFY(session().crop().cropDraft() && !session().crop().cropDragMode());
        const QRectF draft = *session().crop().cropDraft();
        QVERIFY(std::abs(draft.width() - 400) < 6 && std::abs(draft.height() - 300) < 6);
        QVERIFY(xdotool({"key", "Return"}));
        const QSize cut(int(std::ceil(draft.right()) - std::floor(draft.left())),
                        int(std::ceil(draft.bottom()) - std::floor(draft.top())));
        QTRY_COMPARE(vm().original().size(), cut);
        QCOMPARE(vm().state().selectedTool, EditorTool::select);
    }
};

ZENTU_TEST_MAIN(tst_EditorWindowX11)
#include "tst_editorwindow_x11.moc"
