// The editor window's toolbar on a real X server: what a grab of it shows at
// a wide and at a narrow width, a tooltip that appears under a tool, the
// folded tools opened by resting the real pointer on their chip, and a real
// drag of the line width slider over a selected arrow.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/ColorRow.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/EditorWindowController.h"
#include "Editor/OptionSlider.h"
#include "Editor/StyleEditSlider.h"
#include "Editor/ToolButton.h"
#include "Editor/ToolsGroup.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"
#include "Ui/TooltipHost.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"

#include <QScreen>

namespace {

void pointAt(QPoint global) { xdotool({"mousemove", QString::number(global.x()), QString::number(global.y())}); }

bool near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

int count(const QImage& img, const QRect& area, const std::function<bool(QColor)>& match)
{
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += match(img.pixelColor(x, y));
    return n;
}

QRect in(QWidget* part, QWidget* window) { return QRect(part->mapTo(window, QPoint(0, 0)), part->size()); }

} // namespace

class tst_EditorToolbarX11 : public QObject {
    Q_OBJECT

    // An editor window on a plain grey picture, as the program opens one.
    std::unique_ptr<EditorWindowController> open()
    {
        QImage picture(1200, 800, QImage::Format_RGB32);
        picture.fill(QColor(128, 128, 128));
        auto window = std::make_unique<EditorWindowController>(picture, itemWith({}),
                                                                std::make_unique<FakeEditorEnvironment>());
        window->move(40, 40);
        window->show();
        return window;
    }

    static void resizeTo(QWidget& window, int width)
    {
        window.resize(width, 700);
        QTRY_COMPARE_WITH_TIMEOUT(window.width(), width, 10000);
    }

    static QImage grab(QWidget& window)
    {
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void toolbarAtAWideAndANarrowWidth()
    {
        auto window = open();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        EditorRootView& root = window->rootView();
        EditorToolbar& toolbar = root.toolbar();
        const QColor blue = RGBAColor::palette()[4].toQColor();
        const QRect bar = in(&toolbar, window.get());

        // Wide: every tool in a row and the eight swatches, blue among them.
        resizeTo(*window, 1100);
        QTRY_COMPARE(toolbar.level(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(count(grab(*window), bar, [&](QColor c) { return near(c, blue, 12); }) > 150, 10000);
        // Resting the pointer on a tool shows its tooltip; leaving takes it away at once.
        ToolButton* line = toolbar.tools()->inlineButtons()[3];
        pointAt(line->mapToGlobal(line->rect().center()));
        QTRY_COMPARE_WITH_TIMEOUT(root.tooltips().shownControl(), line, 5000);
        QTRY_COMPARE(root.tooltips().appearProgress(), 1.0);
        const QRect bubble = root.tooltips().bubbleRect().toRect().translated(root.mapTo(window.get(), QPoint(0, 0)));
        const QColor dark = TooltipHost::background();
        QTRY_VERIFY_WITH_TIMEOUT(count(grab(*window), bubble, [&](QColor c) { return near(c, dark, 6); }) >
                                     bubble.width() * bubble.height() / 3,
                                 5000);
        pointAt({1500, 900});
        QTRY_VERIFY(!root.tooltips().isShowing());

        // Narrow: the tools fold into one chip at the start of the row, all colours into the palette chip.
        resizeTo(*window, 700);
        QTRY_COMPARE(toolbar.level(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(count(grab(*window), bar, [&](QColor c) { return near(c, blue, 12); }) == 0, 10000);
        HoverExpandGroup* tools = toolbar.tools()->foldedGroup();
        QVERIFY(in(tools, window.get()).right() < 80);
        QVERIFY(toolbar.colors()->paletteChip()->isVisible());

        // Resting the real pointer on the tools chip opens the grid below it; a click picks a tool and closes it.
        pointAt(tools->mapToGlobal(tools->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(tools->isOpen(), 5000);
        ToolButton* rectangle = toolbar.tools()->gridButtons()[4];
        QTRY_VERIFY(rectangle->isVisible());
        Popover* grid = tools->popover();
        const QColor fill = Theme::windowBackground(grid);
        auto gridOnScreen = [&] {
            const QImage g = window->screen()->grabWindow(0, grid->x(), grid->y(), grid->width(), grid->height()).toImage();
            const QRect all(0, 0, g.width(), g.height());
            return count(g, all, [&](QColor c) { return near(c, fill, 6); }) > g.width() * g.height() / 3 &&
                   count(g, all, [](QColor c) { return c.red() < 90 && c.green() < 90 && c.blue() < 90; }) > 100;
        };
        QTRY_VERIFY_WITH_TIMEOUT(gridOnScreen(), 5000);
        QVERIFY(grid->y() >= tools->mapToGlobal(QPoint(0, tools->height())).y());
        pointAt(rectangle->mapToGlobal(rectangle->rect().center()));
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE(window->viewModel().state().selectedTool, EditorTool::rectangle);
        QTRY_VERIFY(!tools->isOpen());
        pointAt({1500, 900});
    }

    void lineWidthDragThickensTheArrowInOneStep()
    {
        auto window = open();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        resizeTo(*window, 1100);
        EditorRootView& root = window->rootView();
        EditorViewModel& vm = window->viewModel();
        QTRY_COMPARE(root.toolbar().level(), 0);
        // An arrow across the picture, selected as drawn.
        vm.beginDrag({100, 400});
        vm.updateDrag({100, 400});
        vm.updateDrag({1100, 420});
        vm.endDrag();
        QCOMPARE(vm.selectedIDs().size(), 1);
        const QRect canvas = in(&root.canvas(), window.get());
        const QColor red = RGBAColor::palette()[0].toQColor();
        auto redPixels = [&] { return count(grab(*window), canvas, [&](QColor c) { return near(c, red, 30); }); };
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() > 100, 5000);
        const int thin = redPixels();
        const qsizetype steps = vm.undoCount();

        // The real pointer drags the slider from its left end to its right end.
        StyleEditSlider* slider = root.toolbar().strokeControl()->inlineSlider();
        const QPoint from = slider->mapToGlobal(QPoint(2, slider->height() / 2));
        const QPoint to = slider->mapToGlobal(QPoint(slider->width() + 20, slider->height() / 2));
        pointAt(from);
        QVERIFY(xdotool({"mousedown", "1"}));
        for (int i = 1; i <= 10; ++i)
            pointAt(from + (to - from) * i / 10);
        QVERIFY(xdotool({"mouseup", "1"}));
        QTRY_COMPARE(vm.state().annotations.last().lineWidth, 30.0);
        QTRY_VERIFY(!vm.isCoalescingStyleEdit());
        QCOMPARE(vm.undoCount(), steps + 1);
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() > 3 * thin, 5000);
        QCOMPARE(root.toolbar().strokeControl()->valueText(), QStringLiteral("30 px"));
        vm.undo();
        QTRY_VERIFY_WITH_TIMEOUT(redPixels() < 2 * thin, 5000);
        pointAt({1500, 900});
    }
};

ZENTU_TEST_MAIN(tst_EditorToolbarX11)
#include "tst_editortoolbar_x11.moc"
