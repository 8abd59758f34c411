// The editor's toolbar on a real model in a root view: which option groups the
// second row shows for the tool and the selection, the values it prints, tools
// and colours reaching the model, slider keys and wheel steps as undo steps,
// the style, cursor and font pickers, the zoom pill, history, delete/reset and
// export controls with the share menu and the recognition sheet, and which
// Ctrl keys step aside for Live Text and for a text being typed.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/ColorRow.h"
#include "Editor/CompactColorWell.h"
#include "Editor/CropConfirmControls.h"
#include "Editor/CursorControls.h"
#include "Editor/CursorStylePicker.h"
#include "Editor/CursorThumbnail.h"
#include "Editor/DeleteResetControls.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/ExportControls.h"
#include "Editor/FontFamilyPicker.h"
#include "Editor/HistoryControls.h"
#include "Editor/OCRResultView.h"
#include "Editor/OCRService.h"
#include "Editor/OptionSlider.h"
#include "Editor/ShareButton.h"
#include "Editor/StyleEditSlider.h"
#include "Editor/StyleOptionsRow.h"
#include "Editor/SwatchButton.h"
#include "Editor/ToggleChip.h"
#include "Editor/ToolButton.h"
#include "Editor/ToolbarChip.h"
#include "Editor/ToolbarIconButton.h"
#include "Editor/ToolsGroup.h"
#include "Editor/ZoomControls.h"
#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/ColorPanelController.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/Popover.h"
#include "Ui/SegmentedControl.h"
#include "Ui/ZoomButton.h"
#include "fakes/FakeEditorEnvironment.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeTextRecognizer.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/ChildNamed.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"
#include "support/ToolbarRowView.h"

#include <QColorDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

namespace {

using K = AnnotationKind;
using G = StyleOptionsRow::Group;
using Flag = EditorPopoverFlags::Flag;

AnnotationObject textAt(QPointF at, K kind = K::text)
{
    AnnotationObject a = shape(kind, {at, at + QPointF(120, 60)});
    a.text = QStringLiteral("Hallo");
    return a;
}

// 0 arrow, 1 rectangle, 2 text, 3 and 4 blur areas, 5 speech bubble, 6 freehand.
const QList<AnnotationObject> opening{shape(K::arrow, {{10, 10}, {100, 80}}),
                                      shape(K::rectangle, {{200, 200}, {300, 260}}),
                                      textAt({400, 40}),
                                      shape(K::blur, {{20, 300}, {120, 380}}),
                                      shape(K::blur, {{220, 300}, {320, 380}}),
                                      textAt({400, 300}, K::speechBubble),
                                      shape(K::freehand, {{500, 500}, {520, 510}, {540, 530}})};

const QList<AnnotationObject> nothing;

// A root view on a model in an active window, with the test's own scheduler and colour panel.
struct Editor {
    FakeEditorEnvironment env;
    ManualDelayScheduler scheduler;
    ColorPanelController panel;
    EditorSession session;
    EditorViewModel& vm;
    QWidget window;
    EditorRootView& root;
    EditorToolbar& toolbar;
    StyleOptionsRow& row;

    explicit Editor(const QList<AnnotationObject>& annotations = opening)
        : session(QImage(800, 600, QImage::Format_ARGB32_Premultiplied), itemWith(annotations), env)
        , vm(session.model())
        , root(*new EditorRootView(session, &window, EditorToolbarServices{scheduler, panel}))
        , toolbar(root.toolbar())
        , row(*childNamed<StyleOptionsRow>(toolbar, "styleOptions"))
    {
        window.resize(1400, 720);
        root.resize(window.size());
        window.show();
        window.activateWindow();
    }
    bool active() { return QTest::qWaitForWindowActive(&window); }
    void select(std::initializer_list<int> indexes)
    {
        QSet<QUuid> ids;
        for (int i : indexes)
            ids.insert(vm.state().annotations[i].id);
        vm.setSelectedIDs(ids);
    }
    const AnnotationObject& at(int i) const { return vm.state().annotations[i]; }
    OptionSlider* slider(Flag flag) const { return flag == Flag::stroke ? childNamed<OptionSlider>(toolbar, "strokeControl") : row.slider(flag); }
    bool shown(QWidget* w) const { return w->isVisibleTo(&row); }
    // A key where the focus is, as the user presses it.
    void press(QKeyCombination key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
};

} // namespace

class tst_EditorToolbar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void optionsFollowTheToolTheSelectionAndTheWidth()
    {
        Editor f;
        f.vm.setTool(EditorTool::ellipse);
        QVERIFY(f.shown(childNamed<QWidget>(f.row, "fillControls")) && !f.shown(f.row.cornerControls()));
        // The crop tool's confirm pair shows once a rectangle exists.
        f.vm.setTool(EditorTool::crop);
        QVERIFY(!f.shown(childNamed<CropConfirmControls>(f.row, "cropConfirm")));
        f.session.crop().cropBegin({10, 10}, std::nullopt);
        f.session.crop().cropUpdate({10, 10}, {200, 150});
        f.session.crop().endCropDrag();
        QVERIFY(f.shown(childNamed<CropConfirmControls>(f.row, "cropConfirm")));

        // A single selected annotation's kind wins over the tool's; several fall back to the tool.
        f.vm.setTool(EditorTool::select);
        f.select({5});
        QCOMPARE(f.row.shownGroups(), (QList<G>{G::font, G::bubble}));
        f.vm.setTool(EditorTool::blur);
        f.select({1, 2});
        QCOMPARE(f.row.shownGroups(), QList<G>{G::blur});

        // Cursor highlighting widens the second row: the level drops without a resize.
        f.vm.setTool(EditorTool::cursor);
        f.toolbar.setAvailableWidth(1100);
        QCOMPARE(f.toolbar.level(), 0);
        f.vm.setCursorHighlightEnabled(true);
        QCOMPARE(f.toolbar.level(), 1);
        f.vm.setTool(EditorTool::speechBubble); // from that level on, chips instead of sliders
        QVERIFY(childNamed<ToolbarChip>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "chip")->isVisibleTo(&f.root));
        QVERIFY(!childNamed<StyleEditSlider>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "inlineSlider")->isVisibleTo(&f.root));

        // Every control can be found by assistive technology.
        for (QAbstractButton* b : f.root.findChildren<QAbstractButton*>())
            QVERIFY2(!b->accessibleName().isEmpty(), b->metaObject()->className());
        for (QSlider* s : f.root.findChildren<QSlider*>())
            QVERIFY(!s->accessibleName().isEmpty());
    }

    // At the window's narrowest with the widest options (the cursor tool with
    // its highlight): undo, redo and the export row stay whole in the window;
    // the options slide sideways behind an edge that shows more lies beyond,
    // brought in by a click on it, the wheel, or the keyboard reaching a control.
    void narrowToolbarKeepsExportInViewAndSlidesTheRest()
    {
        Editor f(nothing);
        QVERIFY(f.active());
        f.window.resize(550, 600);
        f.root.resize(f.window.size());
        f.vm.setTool(EditorTool::cursor);
        f.vm.setCursorHighlightEnabled(true);
        QCOMPARE(f.toolbar.level(), EditorToolbarLayout::mostCompactLevel);
        const auto in = [&](const QWidget* w) { return QRect(w->mapTo(&f.root, QPoint(0, 0)), w->size()); };
        ExportControls& out = *childNamed<ExportControls>(f.root, "exportControls");
        HistoryControls& history = *childNamed<HistoryControls>(f.root, "historyControls");
        const QList<QWidget*> kept{childNamed<ToggleChip>(out, "liveTextToggle"), childNamed<ToolbarIconButton>(out, "ocrButton"), childNamed<ToolbarIconButton>(out, "pinButton"), childNamed<ShareButton>(out, "shareButton"),
                                   childNamed<ToolbarIconButton>(out, "copyButton"), childNamed<ToolbarIconButton>(out, "saveButton"), childNamed<ToolbarIconButton>(history, "undoButton"), childNamed<ToolbarIconButton>(history, "redoButton")};
        for (QWidget* w : kept)
            QTRY_VERIFY2(w->isVisible() && f.root.rect().contains(in(w)), w->metaObject()->className());

        ToolbarScroller* run = childNamed<ToolbarScroller>(f.toolbar, "row2Scroller");
        QTRY_VERIFY(run->maximumOffset() > 0);
        QVERIFY(!in(run).intersects(in(&out)));
        QVERIFY(childNamed<ToolbarScrollEdge>(*run, "trailingEdge")->isVisible() && !childNamed<ToolbarScrollEdge>(*run, "leadingEdge")->isVisible());
        QWidget* opacity = childNamed<CursorControls>(f.row, "cursorControls")->highlightOpacity();
        QVERIFY(!inViewOf(*run, opacity));
        for (int i = 0; i < 10 && childNamed<ToolbarScrollEdge>(*run, "trailingEdge")->isVisible(); ++i)
            QTest::mouseClick(childNamed<ToolbarScrollEdge>(*run, "trailingEdge"), Qt::LeftButton);
        QVERIFY(!childNamed<ToolbarScrollEdge>(*run, "trailingEdge")->isVisible() && childNamed<ToolbarScrollEdge>(*run, "leadingEdge")->isVisible());
        QVERIFY(inViewOf(*run, opacity));

        // An upright wheel turns it back; so does the keyboard reaching the first control.
        QWheelEvent wheel(QPointF(10, 10), run->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(run, &wheel);
        QVERIFY(run->offset() < run->maximumOffset());
        QWidget* style = childNamed<CursorStylePicker>(*childNamed<CursorControls>(f.row, "cursorControls"), "stylePicker");
        style->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(inViewOf(*run, style));
        QCOMPARE(run->offset(), 0);
    }

    // A control that joins the sliding row has its place, and the row its
    // width, as soon as the tool changes, not a few turns of the event loop
    // later: a click or a lookup right away finds the control where it is drawn.
    void controlJoiningTheSlidingRowIsPlacedAtOnce()
    {
        Editor f(nothing);
        QVERIFY(f.active());
        f.window.resize(700, 640);
        f.root.resize(f.window.size());
        const auto settle = [] {
            for (int pass = 0; pass < 10; ++pass)
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        };
        f.vm.setTool(EditorTool::arrow);
        settle();
        const auto in = [&](const QWidget* w) { return QRect(w->mapTo(&f.root, QPoint(0, 0)), w->size()); };
        CompactColorWell* well = childNamed<CompactColorWell>(f.row, "fillWell");
        ToolbarScroller* run = childNamed<ToolbarScroller>(f.toolbar, "row2Scroller");

        f.vm.setTool(EditorTool::rectangle);
        QVERIFY(well->isVisible());
        const QRect wellAtOnce = in(well), runAtOnce = in(run);
        settle();
        QCOMPARE(in(well), wellAtOnce);
        QCOMPARE(in(run), runAtOnce);
        QVERIFY(runAtOnce.contains(wellAtOnce));
    }

    // The canvas below never changes size with the tool, the options or the
    // width, so a picture shown pixel for pixel stays so.
    void toolbarKeepsOneHeight()
    {
        Editor f(nothing);
        const int height = f.root.chromeHeight();
        for (int width : {1400, 1000, 800, 700, 550}) {
            f.toolbar.setAvailableWidth(width);
            for (EditorTool tool : allCases<EditorTool>()) {
                f.vm.setTool(tool);
                for (bool highlight : {false, true}) {
                    f.vm.setCursorHighlightEnabled(highlight);
                    for (int pass = 0; pass < 10; ++pass)
                        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    QVERIFY2(f.root.chromeHeight() == height,
                             qPrintable(QStringLiteral("%1 at %2").arg(rawValue(tool)).arg(width)));
                }
            }
        }
    }

    void valuesAreCutTowardZeroAndFollowTheLanguage()
    {
        const auto localizer = std::make_shared<Localizer>([] { return QStringList{QStringLiteral("de")}; });
        const Localizer::Scope installed(localizer);
        Editor f;
        f.vm.setLineWidth(4.7);
        QCOMPARE(childNamed<QLabel>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "inlineValueLabel")->text(), QStringLiteral("4 px"));
        QCOMPARE(childNamed<ToolbarChip>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "chip")->accessibleName(), QStringLiteral("4 px"));
        f.vm.setCursorHighlightOpacity(0.29);
        QCOMPARE(f.slider(Flag::cursorHlOpacity)->valueText(), QStringLiteral("29%"));
        localizer->setLanguage(QStringLiteral("en"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(childNamed<SegmentedControl>(f.row, "blurStylePicker")->labels(), (QStringList{QStringLiteral("Pixel"), QStringLiteral("Soft")}));
        QCOMPARE(childNamed<ToolbarChip>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "chip")->toolTip(), QStringLiteral("Line width"));
        localizer->setLanguage(QStringLiteral("de"));
    }

    void toolsAndColoursReachTheModel()
    {
        Editor f;
        // The highlight follows a tool chosen elsewhere; the current tool's button drops the selection.
        ToolButton* text = childNamed<ToolsGroup>(f.toolbar, "tools")->inlineButtons()[7];
        f.vm.setTool(text->tool());
        f.select({0});
        QTest::mouseClick(text, Qt::LeftButton);
        QVERIFY(text->isChecked() && f.vm.selectedIDs().isEmpty());

        // A swatch recolours the selection in one step and moves the ring.
        ColorRow* row = childNamed<ColorRow>(f.toolbar, "colors");
        const auto& palette = RGBAColor::palette();
        f.vm.setTool(EditorTool::arrow);
        f.select({0, 1});
        qsizetype steps = f.vm.undoCount();
        QTest::mouseClick(row->inlineSwatches()[4], Qt::LeftButton);
        QCOMPARE(f.vm.undoCount(), steps + 1);
        QVERIFY(f.at(0).color == palette[4] && f.at(1).color == palette[4]);
        QVERIFY(row->inlineSwatches()[4]->isRinged());

        // With no room in the row, the palette chip holds all eight; a choice there closes it.
        f.toolbar.setAvailableWidth(760);
        HoverExpandGroup* chip = childNamed<HoverExpandGroup>(*row, "paletteChip");
        QVERIFY(chip);
        QTest::mouseClick(chip, Qt::LeftButton);
        QTest::mouseClick(row->chipSwatches()[7], Qt::LeftButton);
        QCOMPARE(f.vm.state().selectedColor, palette[7]);
        QVERIFY(!chip->isOpen());

        // The colour panel reports one change in two steps: one undo step with the final colour.
        QTest::mouseClick(childNamed<ColorPanelWell>(*row, "panelWell"), Qt::LeftButton);
        f.select({0});
        steps = f.vm.undoCount();
        f.panel.panel()->setCurrentColor(QColor(10, 20, 30, 128));
        QTRY_COMPARE(f.at(0).color.toQColor(), QColor(10, 20, 30, 128));
        QCOMPARE(f.vm.undoCount(), steps + 1);
        // Re-levelling keeps the well, so the open panel still reaches the model.
        f.toolbar.setAvailableWidth(1400);
        f.panel.panel()->setCurrentColor(QColor(40, 50, 60));
        QTRY_COMPARE(f.vm.state().selectedColor.toQColor(), QColor(40, 50, 60));
    }

    void sliderStepsAndCutShortDrags()
    {
        Editor f;
        f.select({0});
        StyleEditSlider* inlineSlider = childNamed<StyleEditSlider>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "inlineSlider");
        // Keys and the wheel: every step is an undo step of its own.
        inlineSlider->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(inlineSlider, Qt::Key_Right);
        QCOMPARE(f.vm.undoCount(), 3);
        const QPointF middle(inlineSlider->width() / 2.0, inlineSlider->height() / 2.0);
        QWheelEvent wheel(middle, inlineSlider->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(inlineSlider, &wheel);
        QCOMPARE(f.vm.undoCount(), 4);
        QVERIFY(f.at(0).lineWidth > 4);

        // A drag cut short by its popover closing ends the edit there.
        f.toolbar.setAvailableWidth(900);
        QTest::mouseClick(childNamed<ToolbarChip>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "chip"), Qt::LeftButton);
        QVERIFY(f.toolbar.popoverFlags().isOpen(Flag::stroke));
        StyleEditSlider* popSlider = childNamed<StyleEditSlider>(*childNamed<OptionSlider>(f.toolbar, "strokeControl"), "popoverSlider");
        QTest::mousePress(popSlider, Qt::LeftButton, {}, QPoint(10, popSlider->height() / 2));
        QVERIFY(f.vm.isCoalescingStyleEdit());
        childNamed<OptionSlider>(f.toolbar, "strokeControl")->popover()->hide();
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::stroke));
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        QCOMPARE(f.vm.undoCount(), 5);

        // So does one cut short by the toolbar folding its slider away.
        f.toolbar.setAvailableWidth(1400);
        QTest::mousePress(inlineSlider, Qt::LeftButton, {}, QPoint(10, inlineSlider->height() / 2));
        QVERIFY(f.vm.isCoalescingStyleEdit());
        f.toolbar.setAvailableWidth(900);
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        QTest::mouseRelease(inlineSlider, Qt::LeftButton);
    }

    void styleControlsReachTheSelection()
    {
        Editor f;
        // The bubble's shape and the dashed switch.
        f.select({5});
        SegmentedControl* bubble = childNamed<SegmentedControl>(f.row, "bubblePicker");
        QTest::mouseClick(bubble, Qt::LeftButton, {}, bubble->segmentRect(1).center().toPoint());
        QCOMPARE(f.at(5).bubbleStyle, std::optional(SpeechBubbleStyle::oval));
        f.select({1});
        QTest::mouseClick(childNamed<ToggleChip>(f.row, "dashedSwitch"), Qt::LeftButton);
        QCOMPARE(f.at(1).dashed, std::optional(true));
        // A fill colour on a rectangle without fill switches the fill on, in one step.
        Q_EMIT childNamed<CompactColorWell>(f.row, "fillWell")->colorEdited({0.1, 0.2, 0.9, 0.5});
        QCOMPARE(f.at(1).fillColor, std::optional(RGBAColor{0.1, 0.2, 0.9, 0.5}));
        QVERIFY(f.vm.state().fillEnabled && childNamed<ToggleChip>(f.row, "fillSwitch")->isChecked());
        QCOMPARE(f.vm.undoCount(), 3);

        // The cursor grid: a cell restyles the placed cursor and closes; the highlight brings its controls.
        f.vm.setTool(EditorTool::cursor);
        f.session.drawing().place(K::cursor, {300, 300});
        const int placed = int(f.vm.state().annotations.size()) - 1;
        CursorControls* controls = childNamed<CursorControls>(f.row, "cursorControls");
        QTest::mouseClick(childNamed<CursorStylePicker>(*controls, "stylePicker"), Qt::LeftButton);
        QTest::mouseClick(childNamed<CursorStylePicker>(*controls, "stylePicker")->cells()[6], Qt::LeftButton); // soft_arrowClick
        QCOMPARE(f.at(placed).cursorStyle, std::optional(QStringLiteral("soft_arrowClick")));
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::cursorStyle));
        QVERIFY(!f.shown(childNamed<CompactColorWell>(*controls, "highlightWell")));
        QTest::mouseClick(childNamed<ToggleChip>(*controls, "highlightSwitch"), Qt::LeftButton);
        QCOMPARE(f.at(placed).highlightEnabled, std::optional(true));
        QVERIFY(f.shown(childNamed<CompactColorWell>(*controls, "highlightWell")) && f.shown(controls->highlightOpacity()));
        // A style without a hotspot of its own rings where the renderer puts its tip.
        QCOMPARE(CursorThumbnail::ringCentre(QStringLiteral("odd_arrowClick"), QRectF(0, 0, 100, 100), 100),
                 QPointF(20, 13));
    }

    void fontListNamesTheSelectedTextsFont()
    {
        Editor f;
        f.vm.setTool(EditorTool::select);
        f.select({2});
        FontFamilyPicker* picker = childNamed<FontFamilyPicker>(f.row, "fontFamilyPicker");
        const QStringList& families = FontFamilyPicker::fontFamilies();
        QTest::mouseClick(picker, Qt::LeftButton);
        QListWidget* list = childNamed<QListWidget>(*picker, "list");
        const int pick = int(families.size()) / 2; // rows 0 and 1 are "System" and a divider
        list->scrollToItem(list->item(pick + 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(pick + 2)).center());
        QCOMPARE(f.at(2).fontName, std::optional(families[pick]));
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::fontFamily));
        // "System" takes the name away.
        QTest::mouseClick(picker, Qt::LeftButton);
        list->scrollToTop();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(f.at(2).fontName, std::nullopt);

        // A symbol font would write its own name in symbols: the interface's
        // font writes it (the icon font is one, and always installed).
        const QString symbols = QStringLiteral("Material Icons");
        QVERIFY(families.contains(symbols));
        QVERIFY(FontFamilyPicker::rowFont(symbols).families().value(0) != symbols);
        const QString plain = QStringLiteral("DejaVu Sans");
        if (families.contains(plain))
            QCOMPARE(FontFamilyPicker::rowFont(plain).families().value(0), plain);
    }

    void liveTextLooksUnlikeAnyTool()
    {
        // Its symbol against every tool's: no two draw the same pixels.
        const QImage live = IconRegistry::pixmap(QString::fromLatin1(ExportControls::liveTextSymbol), 24, Qt::black, 1).toImage();
        for (EditorTool tool : allCases<EditorTool>())
            QVERIFY2(IconRegistry::pixmap(systemImage(tool), 24, Qt::black, 1).toImage() != live,
                     qPrintable(systemImage(tool)));
    }

    void zoomHistoryAndDeleteResetFollowTheModel()
    {
        Editor f;
        QVERIFY(f.active());
        auto& zoom = *static_cast<ZoomControls*>(childNamed<QWidget>(f.root, "zoomControls"));
        f.vm.setZoom(39.9);
        childNamed<ZoomButton>(zoom, "plusButton")->click();
        QVERIFY(f.vm.zoom() == 40.0 && !childNamed<ZoomButton>(zoom, "plusButton")->isEnabled());
        HistoryControls& h = *childNamed<HistoryControls>(f.root, "historyControls");
        DeleteResetControls& d = *childNamed<DeleteResetControls>(f.root, "deleteResetControls");
        QVERIFY(!childNamed<ToolbarIconButton>(h, "undoButton")->isEnabled() && !childNamed<ToolbarIconButton>(h, "redoButton")->isEnabled());
        // Two selected: only the Delete key takes them; one selected: the button does.
        f.select({0, 1});
        QVERIFY(!childNamed<QToolButton>(d, "deleteButton")->isEnabled());
        f.select({1});
        childNamed<QToolButton>(d, "deleteButton")->click();
        QCOMPARE(f.vm.state().annotations.size(), 6);
        childNamed<QToolButton>(d, "resetButton")->click();
        QVERIFY(f.vm.state().annotations.isEmpty() && !childNamed<QToolButton>(d, "resetButton")->isEnabled());
        childNamed<ToolbarIconButton>(h, "undoButton")->click();
        f.press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z); // redo
        QVERIFY(f.vm.state().annotations.isEmpty());
        f.press(Qt::CTRL | Qt::Key_Z);
        f.press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(f.vm.state().annotations.size(), 7);
        QVERIFY(!childNamed<ToolbarIconButton>(h, "undoButton")->isEnabled() && childNamed<ToolbarIconButton>(h, "redoButton")->isEnabled());
    }

    void exportRowHandsOnTheFlattenedPicture()
    {
        Editor f(nothing);
        QVERIFY(f.active());
        f.session.drawing().place(K::badge, {100, 100});
        ExportControls& x = *childNamed<ExportControls>(f.root, "exportControls");
        childNamed<ToolbarIconButton>(x, "pinButton")->click();
        childNamed<ToolbarIconButton>(x, "copyButton")->click();
        QCOMPARE(f.env.pinned, QList<QImage>{f.session.results().render()});
        QCOMPARE(f.env.copiedImages, QList<QImage>{f.session.results().render()});
        // Save writes back the annotations first, then offers the flattened picture under a timestamped name.
        childNamed<ToolbarIconButton>(x, "saveButton")->click();
        QCOMPARE(f.env.writeBacks.size(), 1);
        QVERIFY(f.env.writeBacks.first().image.isNull() && f.env.writeBacks.first().annotations.size() == 1);
        QCOMPARE(f.env.saved.first().first, f.session.results().render());
        static const QRegularExpression name(
            QStringLiteral("^Zentu\\.it_Screenshot_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.png$"));
        QVERIFY2(name.match(f.env.saved.first().second).hasMatch(), qPrintable(f.env.saved.first().second));
        // Ctrl+S saves with the focus anywhere in the window, here on the canvas.
        f.root.canvas().setFocus();
        f.press(Qt::CTRL | Qt::Key_S);
        QCOMPARE(f.env.saved.size(), 2);

        // While recognition runs the button says so and takes no second click.
        FakeTextRecognizer recognizer;
        recognizer.hold = true;
        OCRService ocr(recognizer);
        f.env.ocr = &ocr;
        childNamed<ToolbarIconButton>(x, "ocrButton")->click();
        QVERIFY(!childNamed<ToolbarIconButton>(x, "ocrButton")->isEnabled());
        recognizer.release(0);
        QTRY_VERIFY(childNamed<ToolbarIconButton>(x, "ocrButton")->isEnabled());
        // Nothing found: the message alone; Return closes it and the result is cleared.
        QTRY_VERIFY(f.root.ocrSheet() && f.root.ocrSheet()->isVisible());
        QVERIFY(f.root.ocrSheet()->findChild<QLabel*>(QStringLiteral("emptyMessage"))
                && !f.root.ocrSheet()->findChild<QPushButton*>(QStringLiteral("copyAgainButton")));
        QTest::keyClick(f.root.ocrSheet(), Qt::Key_Return);
        QTRY_VERIFY(!f.root.ocrSheet());
        QVERIFY(!f.session.recognition().ocrText());

        // A long text scrolls inside the sheet; copying again puts all of it back.
        QStringList lines;
        for (int i = 0; i < 60; ++i)
            lines << QStringLiteral("Zeile %1 des erkannten Textes").arg(i);
        const QString text = lines.join(QLatin1Char('\n'));
        f.session.recognition().setOcrText(text);
        OCRResultView* sheet = f.root.ocrSheet();
        QTRY_VERIFY(sheet && sheet->isVisible());
        QVERIFY(childNamed<QPlainTextEdit>(*sheet, "textView")->verticalScrollBar()->maximum() > 0);
        childNamed<QPushButton>(*sheet, "copyAgainButton")->click();
        QCOMPARE(f.env.copiedTexts, QStringList{text});
    }

    void shareMenuHandsTheOneFileToTheDesktop()
    {
        Editor f(nothing);
        QTemporaryDir folder;
        FakeWorkspace desktop;
        FakeProcessLauncher programs;
        f.env.sharedFolder = folder.path();
        f.env.desktop = &desktop;
        f.env.programs = &programs;
        ShareButton* share = childNamed<ShareButton>(f.root, "shareButton");
        share->click();
        QVERIFY(childNamed<QMenu>(*share, "shareMenu")->isVisible());
        const QString path = f.session.sharing().sharedFilePath();
        QVERIFY(QFile::exists(path));
        for (QAction* entry : childNamed<QMenu>(*share, "shareMenu")->actions())
            entry->trigger();
        QCOMPARE(desktop.openedUrls, QStringList{QUrl::fromLocalFile(path).toString()});
        QCOMPARE(programs.started.value(0), qMakePair(QStringLiteral("xdg-email"), QStringList{QStringLiteral("--attach"), path}));
        QCOMPARE(desktop.revealedFiles, QStringList{path});
        QCOMPARE(f.env.copiedFiles, QStringList{path}); // as a file, for file managers

        // Without a file every entry is off.
        share->setMakeItems([&] { return QVariantList{QVariant::fromValue(f.session.results().render())}; });
        share->click();
        for (QAction* action : childNamed<QMenu>(*share, "shareMenu")->actions())
            QVERIFY(!action->isEnabled());
        childNamed<QMenu>(*share, "shareMenu")->close();
    }

    void copyAndPasteKeysStepAsideForLiveTextAndTyping()
    {
        Editor f(nothing);
        QVERIFY(f.active());
        f.env.clipboardText = QStringLiteral("eingefügt");
        const auto annotations = [&] { return f.vm.state().annotations.size(); };
        f.press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(annotations(), 1);
        f.session.recognition().setLiveTextEnabled(true); // the keys belong to its selection
        f.press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(annotations(), 1);
        f.session.recognition().setLiveTextEnabled(false);

        // A new text being typed: its field gets both keys, the picture is neither copied nor pasted into.
        f.vm.setTool(EditorTool::text);
        f.session.textEntry().beginText({300, 300}, K::text);
        QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget() != &f.window);
        f.press(Qt::CTRL | Qt::Key_C);
        f.press(Qt::CTRL | Qt::Key_V);
        QVERIFY(f.env.copiedImages.isEmpty());
        QCOMPARE(annotations(), 1);
        f.session.textEntry().cancelPendingText();
        f.press(Qt::CTRL | Qt::Key_C);
        QCOMPARE(f.env.copiedImages.size(), 1);
    }
};

ZENTU_TEST_MAIN(tst_EditorToolbar)
#include "tst_editortoolbar.moc"
