// The editor's popovers and tooltips on a real X server with openbox alone:
// each of the six popovers opened by the real pointer over a known picture
// and a known window of another process leaves every pixel outside its card
// as it was (no black corners, no black strip beside the notch), and shows
// what changes there while it is open; at the window's narrowest each opens
// too, and so do the last options of the sliding row, brought in by its
// arrow; each holds its content inside its card, and a chip that only opens
// its popover leaves it open; a compositor that starts while one is open uncuts it, shown anew it
// is really translucent, and a compositor that stops cuts it again; undo and redo show the app's
// own tip, below their button and never over it, clicks pass through it, and
// the platform's yellow tip never comes.
#include "Editor/CompactColorWell.h"
#include "Editor/CropAspectChip.h"
#include "Editor/CursorControls.h"
#include "Editor/CursorStylePicker.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorToolbar.h"
#include "Editor/EditorToolbarLayout.h"
#include "Editor/EditorViewModel.h"
#include "Editor/EditorWindowController.h"
#include "Editor/FontFamilyPicker.h"
#include "Editor/HistoryControls.h"
#include "Editor/OptionSlider.h"
#include "Editor/StyleOptionsRow.h"
#include "Editor/ToolbarChip.h"
#include "Editor/ToolbarIconButton.h"
#include "Editor/ToolsGroup.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Screenshot/Backdrop.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"
#include "Ui/TooltipHost.h"
#include "Ui/TransientUi.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/ChildNamed.h"
#include "support/EditorAnnotations.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/ToolbarRowView.h"
#include "support/X11Probe.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>

namespace {

const QPoint parked(1900, 1060); // over the background window, far from every control

QImage screenGrab()
{
    QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

// The screen once nothing on it changes any more.
QImage settledScreen()
{
    QImage last = screenGrab();
    for (int i = 0; i < 100; ++i) {
        QTest::qWait(50);
        QImage next = screenGrab();
        if (next == last)
            return next;
        last = next;
    }
    return last;
}

// A picture no popover's colour can be mistaken for: saturated diagonal stripes.
QImage stripes(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixelColor(x, y, QColor::fromHsv(((x + y) / 6 * 37) % 360, 220, 230));
    return picture;
}

// Where a popover lies on the screen, and the pixels its card touches.
struct Footprint {
    QRect rect;
    QRegion card;
    explicit Footprint(const Popover& p)
        : rect(p.geometry())
        , card(TranslucentSurface::touchedPixels(p.cardShape(), p.size()).translated(p.pos()))
    {
    }
};

// Pixels of the popover's rectangle outside its card that differ between two pictures.
int changedAroundCard(const Footprint& popover, const QImage& before, const QImage& after)
{
    int changed = 0;
    const QRect area = popover.rect.intersected(after.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (popover.card.contains(QPoint(x, y)))
                continue;
            const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
            changed += qAbs(qRed(a) - qRed(b)) > 2 || qAbs(qGreen(a) - qGreen(b)) > 2 || qAbs(qBlue(a) - qBlue(b)) > 2;
        }
    return changed;
}

bool cardDrawn(const Popover& popover)
{
    const QImage shot = screenGrab();
    // Inside the card, above the content's padding.
    const QPoint inside(qRound(Popover::radius) + 2, popover.arrowOnTop() ? Popover::arrowHeight + 3 : 3);
    return near(shot.pixelColor(popover.pos() + inside), Theme::windowBackground(&popover), 7);
}

// Notes a mouse press on the widget it watches.
class PressWatch : public QObject {
public:
    bool pressed = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        pressed = pressed || event->type() == QEvent::MouseButtonPress;
        return false;
    }
};

} // namespace

class tst_PopoversX11 : public QObject {
    Q_OBJECT
    X11Probe x11;
    std::shared_ptr<X11CompositingInfo> compositor;
    std::unique_ptr<TransientUi> transient;
    std::unique_ptr<HelperWindow> background;
    std::unique_ptr<EditorWindowController> window;

    EditorViewModel& vm() { return window->viewModel(); }
    DrawingGesture& drawing() { return window->session().drawing(); }
    EditorToolbar& toolbar() { return window->rootView().toolbar(); }
    StyleOptionsRow& options() { return *childNamed<StyleOptionsRow>(toolbar(), "styleOptions"); }
    static QPoint centreOf(QWidget* w) { return w->mapToGlobal(w->rect().center()); }
    // Whether the X server itself finds the control at its centre: a click
    // that falls on the other program's window has the window manager raise
    // that window over the editor, and every later click is lost.
    static bool reachable(QWidget* control)
    {
        QWidget* at = QApplication::widgetAt(centreOf(control));
        return at && (at == control || control->isAncestorOf(at));
    }

    // Why the last open gave nothing, for the failure message.
    QByteArray whyNotOpen;
    Popover* failed(const char* why)
    {
        whyNotOpen = why;
        return nullptr;
    }

    // Opens a popover from its control with the real pointer; once a click
    // popover is open the pointer is parked away from everything. Null unless
    // its card is drawn on the screen.
    Popover* open(QWidget* control, std::function<Popover*()> popover, bool byHover)
    {
        const auto isOpen = [&] { return popover() && popover()->isVisible(); };
        if (!QTest::qWaitFor([&] { return reachable(control); }, 10000))
            return failed("control covered");
        if (byHover)
            x11.moveTo(centreOf(control));
        // A click can come while the row still slides after its arrow's
        // click, and miss: it is given again.
        const bool opened = byHover
            ? QTest::qWaitFor(isOpen, 10000)
            : x11.clickUntil(
                [&] { return reachable(control) ? QRect(control->mapToGlobal(QPoint(0, 0)), control->size()) : QRect(); },
                isOpen, 5, 6000);
        if (!opened)
            return failed("did not open");
        if (!byHover)
            x11.moveTo(parked);
        return QTest::qWaitFor([&] { return cardDrawn(*popover()); }, 10000) ? popover() : failed("card not drawn");
    }

    // Opens popover `which` by the real pointer; a control the sliding row
    // hides is brought in first by clicks on the edge's arrow.
    Popover* openInView(int which)
    {
        const auto [control, popover] = popoverControl(which);
        if (!QTest::qWaitFor([&] { return control->isVisible(); }, 10000))
            return failed("control hidden");
        ToolbarScroller* run = childNamed<ToolbarScroller>(toolbar(), "row1Scroller")->isAncestorOf(control) ? childNamed<ToolbarScroller>(toolbar(), "row1Scroller")
                                                                               : childNamed<ToolbarScroller>(toolbar(), "row2Scroller");
        for (int i = 0; i < 10 && !inViewOf(*run, control) && childNamed<ToolbarScrollEdge>(*run, "trailingEdge")->isVisible(); ++i) {
            const int before = run->offset();
            if (!QTest::qWaitFor([&] { return reachable(childNamed<ToolbarScrollEdge>(*run, "trailingEdge")); }, 10000))
                return failed("arrow covered");
            x11.click(centreOf(childNamed<ToolbarScrollEdge>(*run, "trailingEdge")));
            if (!QTest::qWaitFor([&] { return run->offset() > before; }, 10000))
                return failed("row did not slide");
        }
        return inViewOf(*run, control) ? open(control, popover, which == 1) : failed("control not in view");
    }

    // The control that opens popover `which` with its tool chosen, and the popover.
    std::pair<QWidget*, std::function<Popover*()>> popoverControl(int which)
    {
        const EditorTool tools[] = {EditorTool::crop,      EditorTool::arrow,  EditorTool::blur,
                                    EditorTool::text,      EditorTool::rectangle, EditorTool::cursor,
                                    EditorTool::rectangle, EditorTool::cursor, EditorTool::text,
                                    EditorTool::arrow};
        vm().setTool(tools[which]);
        if (which == 7)
            vm().setCursorHighlightEnabled(true);
        switch (which) {
        case 0: {
            QWidget* chip = childNamed<CropAspectChip>(options(), "cropAspectChip");
            return {chip, [chip] { return chip->findChild<Popover*>(); }};
        }
        case 1: {
            HoverExpandGroup* group = childNamed<HoverExpandGroup>(*childNamed<ToolsGroup>(toolbar(), "tools"), "foldedGroup");
            return {group, [group] { return group->popover(); }};
        }
        case 2:
        case 3: {
            OptionSlider* slider = options().slider(which == 2 ? EditorPopoverFlags::Flag::blur
                                                                : EditorPopoverFlags::Flag::fontSize);
            return {childNamed<ToolbarChip>(*slider, "chip"), [slider] { return slider->popover(); }};
        }
        case 4: {
            CompactColorWell* well = childNamed<CompactColorWell>(options(), "fillWell");
            return {well, [well] { return well->popover(); }};
        }
        case 5: {
            CursorStylePicker* picker = childNamed<CursorStylePicker>(*childNamed<CursorControls>(options(), "cursorControls"), "stylePicker");
            return {picker, [picker] { return picker->grid(); }};
        }
        case 8: {
            FontFamilyPicker* picker = childNamed<FontFamilyPicker>(options(), "fontFamilyPicker");
            return {picker, [picker] { return picker->popover(); }};
        }
        case 9: {
            OptionSlider* slider = childNamed<OptionSlider>(toolbar(), "strokeControl");
            return {childNamed<ToolbarChip>(*slider, "chip"), [slider] { return slider->popover(); }};
        }
        default: { // the last option of its row
            OptionSlider* slider = which == 6 ? options().slider(EditorPopoverFlags::Flag::corner)
                                              : childNamed<CursorControls>(options(), "cursorControls")->highlightOpacity();
            return {childNamed<ToolbarChip>(*slider, "chip"), [slider] { return slider->popover(); }};
        }
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        compositor = std::make_shared<X11CompositingInfo>();
        QVERIFY(compositor->watches());
        QVERIFY(!compositor->isCompositing()); // openbox alone
        transient = std::make_unique<TransientUi>(nullptr, compositor, Backdrop::grabScreens);
        background = std::make_unique<HelperWindow>(QRect(0, 0, 1920, 1080), 77);
        QVERIFY(background->id);
    }
    void cleanupTestCase()
    {
        transient.reset();
        background.reset();
    }

    // An editor on a striped picture at a width where the tools fold and
    // every option is a chip, near the screen's left edge so that popovers
    // also reach over the other program's window.
    void init()
    {
        x11.moveTo(parked);
        window = std::make_unique<EditorWindowController>(stripes({900, 700}), itemWith({}),
                                                          std::make_unique<FakeEditorEnvironment>());
        window->setGeometry(20, 40, 700, 640);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // Openbox may give the editor the focus before it stacks it over the
        // other program's window: the screen and the clicks wait for the X
        // server to show it.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QWidget* at = QApplication::widgetAt(window->geometry().center());
                return at && at->window() == window.get();
            },
            10000));
        QTRY_COMPARE_WITH_TIMEOUT(toolbar().level(), 4, 10000);
    }
    void cleanup()
    {
        window.reset();
        x11.moveTo(parked);
    }

    void eachPopoverLeavesWhatLiesAroundItsCard_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("crop aspect") << 0;
        QTest::newRow("folded tools") << 1;
        QTest::newRow("blur strength") << 2;
        QTest::newRow("font size") << 3;
        QTest::newRow("fill colour") << 4;
        QTest::newRow("cursor style") << 5;
    }
    void eachPopoverLeavesWhatLiesAroundItsCard()
    {
        QFETCH(int, which);
        const auto [control, popover] = popoverControl(which);
        QTRY_VERIFY_WITH_TIMEOUT(control->isVisible(), 10000);
        const QImage before = settledScreen();

        Popover* shown = open(control, popover, which == 1);
        QVERIFY2(shown, whyNotOpen.constData());
        const QImage after = settledScreen();
        const Footprint footprint(*shown);
        QCOMPARE(changedAroundCard(footprint, before, after), 0);
        if (which == 1) // the folded tools reach over the other program's window
            QVERIFY(shown->x() < window->geometry().left());

        // What changes beneath the open popover shows around its card at
        // once: the screen there is live, not a still.
        vm().setZoom(2.5);
        const QImage during = settledScreen();
        QVERIFY(changedAroundCard(footprint, before, during) > 0);
        shown->hide();
        QCOMPARE(changedAroundCard(footprint, during, settledScreen()), 0);
    }

    // At the window's narrowest every popover still opens by the real
    // pointer: a control the sliding row hides is brought in by clicks on
    // the edge's arrow, then clicked (or hovered) itself.
    void eachPopoverOpensAtTheNarrowestWidth_data()
    {
        eachPopoverLeavesWhatLiesAroundItsCard_data();
        QTest::newRow("corner radius") << 6;
        QTest::newRow("highlight opacity") << 7;
        QTest::newRow("font family") << 8;
        QTest::newRow("line width") << 9;
    }
    void eachPopoverOpensAtTheNarrowestWidth()
    {
        QFETCH(int, which);
        window->resize(EditorWindowController::minimumContentSize.width(), 640);
        QTRY_COMPARE_WITH_TIMEOUT(toolbar().level(), EditorToolbarLayout::mostCompactLevel, 10000);
        Popover* shown = openInView(which);
        QVERIFY2(shown, whyNotOpen.constData());
        shown->hide();
    }

    // Every popover holds its content inside its card, at the sizes the
    // content is held to (the font list 240 x 320, each slider's panel 280
    // wide), and a chip that only opens its popover leaves it open when
    // pressed again.
    void everyPopoverHoldsItsContent_data() { eachPopoverOpensAtTheNarrowestWidth_data(); }
    void everyPopoverHoldsItsContent()
    {
        QFETCH(int, which);
        const auto [control, popover] = popoverControl(which);
        Popover* shown = openInView(which);
        QVERIFY2(shown, whyNotOpen.constData());
        QWidget* content = shown->content();
        QVERIFY(content);
        const QPainterPath card = shown->cardShape();
        QVERIFY2(card.contains(QRectF(content->geometry())), qPrintable(QDebug::toString(content->geometry())));
        for (const QWidget* child : content->findChildren<QWidget*>())
            if (child->isVisible() && child->isWindow() == false && child->parentWidget() == content)
                QVERIFY2(content->rect().contains(child->geometry()), qPrintable(child->metaObject()->className()));
        if (which == 8)
            QCOMPARE(content->size(), QSize(240, 320));
        const bool slider = which == 2 || which == 3 || which == 6 || which == 7 || which == 9;
        if (slider)
            QCOMPARE(shown->width(), 280);
        if (slider || which == 0 || which == 8) {
            x11.click(centreOf(control));
            QVERIFY(!QTest::qWaitFor([&] { return !popover() || !popover()->isVisible(); }, 800));
        }
        popover()->hide();
    }

    void popoversFollowACompositorThatStartsAndStops()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty())
            QSKIP("xcompmgr is not installed (scripts/install-deps.sh)");
        vm().setTool(EditorTool::rectangle);
        CompactColorWell* well = childNamed<CompactColorWell>(options(), "fillWell");
        QTRY_VERIFY_WITH_TIMEOUT(well->isVisible(), 10000);
        Popover* popover = nullptr;
        // Opens it anew over what the screen shows now: drawn, and the surroundings as they were.
        const auto reopen = [&] {
            const QImage before = settledScreen();
            popover = open(well, [well] { return well->popover(); }, false);
            return popover && changedAroundCard(Footprint(*popover), before, settledScreen()) == 0;
        };
        QVERIFY(reopen() && !popover->mask().isEmpty());

        // A compositing manager starts while it is open: reported without
        // asking, and the popover gives up its cut. Shown anew it is really
        // translucent, so what lies around its card shows through.
        QProcess xcompmgr;
        xcompmgr.start(QStringLiteral("xcompmgr"), {});
        QVERIFY(xcompmgr.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(compositor->isCompositing(), 10000);
        QVERIFY(popover->isCompositing() && popover->mask().isEmpty());
        popover->hide();
        QVERIFY(reopen() && popover->isCompositing());

        // It stops while the popover is open: cut again at once.
        xcompmgr.terminate();
        QVERIFY(xcompmgr.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!compositor->isCompositing(), 10000);
        QVERIFY(!popover->isCompositing());
        QCOMPARE(popover->mask(), TranslucentSurface::touchedPixels(popover->cardShape(), popover->size()));
        popover->hide();
        // Shown anew over the plain screen: a still.
        QVERIFY(reopen() && popover->hasStill());
        popover->hide();
    }

    void undoAndRedoShowTheAppsTipBelowTheirButton()
    {
        // A step to take back and one to bring back, so both buttons are live.
        for (int i = 0; i < 2; ++i) {
            drawing().beginDrag({100.0 + 50 * i, 100});
            drawing().updateDrag({100.0 + 50 * i, 100});
            drawing().updateDrag({300.0 + 50 * i, 200});
            drawing().endDrag();
        }
        vm().undo();
        TooltipHost& host = *childNamed<TooltipHost>(window->rootView(), "tooltips");
        for (ToolbarIconButton* button : {childNamed<ToolbarIconButton>(window->rootView(), "undoButton"),
                                          childNamed<ToolbarIconButton>(window->rootView(), "redoButton")}) {
            x11.moveTo(centreOf(button));
            QTRY_COMPARE_WITH_TIMEOUT(host.shownControl(), static_cast<QWidget*>(button), 5000);
            QTRY_COMPARE(host.appearProgress(), 1.0);
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            const QRect tip = host.bubbleRect().toAlignedRect();
            QVERIFY(tip.top() > onScreen.bottom());
            QCOMPARE(host.shownText(), button->accessibleName());
            // All of it on the screen, even past the editor's right edge.
            const auto dark = [](QColor c) { return near(c, TooltipWindow::background(), 7); };
            QVERIFY(countPixels(screenGrab(), tip, dark) > tip.width() * tip.height() / 3);
            // Resting on the button longer than the platform's tooltip waits shows no yellow one.
            QElapsedTimer rest;
            rest.start();
            while (rest.elapsed() < 1500) {
                QTest::qWait(50);
                for (QWidget* w : QApplication::topLevelWidgets())
                    QVERIFY2(!(w->inherits("QTipLabel") && w->isVisible()), "the platform's tooltip showed");
            }
            QCOMPARE(host.shownControl(), static_cast<QWidget*>(button));

            // A click on the tip goes to what lies beneath it.
            QWidget* beneath = QApplication::widgetAt(tip.center());
            QVERIFY(beneath && beneath->window() == window.get());
            PressWatch watch;
            beneath->installEventFilter(&watch);
            x11.click(tip.center());
            QTRY_VERIFY_WITH_TIMEOUT(watch.pressed, 5000);
            beneath->removeEventFilter(&watch);
        }
        x11.moveTo(parked);
        QTRY_VERIFY(!host.isShowing());
    }
};

ZENTU_TEST_MAIN(tst_PopoversX11)
#include "tst_popovers_x11.moc"
