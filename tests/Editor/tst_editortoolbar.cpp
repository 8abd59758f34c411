// The editor toolbar: collapse levels from the window width and what the rows
// show at each level, tools and colours reaching the model, the popover flags.
#include "Editor/ColorRow.h"
#include "Editor/EditorPopoverFlags.h"
#include "Editor/EditorToolbar.h"
#include "Editor/EditorViewModel.h"
#include "Editor/SwatchButton.h"
#include "Editor/ToolButton.h"
#include "Editor/ToolsGroup.h"
#include "Models/RawEnum.h"
#include "Ui/ColorPanelController.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/Popover.h"
#include "fakes/FakeEditorEnvironment.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QColorDialog>
#include <QSignalSpy>
#include <QLabel>

namespace {

using K = AnnotationKind;

const QList<AnnotationObject> twoShapes{shape(K::rectangle, {{10, 10}, {100, 80}}),
                                        shape(K::arrow, {{200, 200}, {300, 260}})};

// A toolbar on a model, with the test's own scheduler and colour panel.
struct Fixture {
    FakeEditorEnvironment env;
    ManualDelayScheduler scheduler;
    ColorPanelController panel;
    EditorViewModel vm{QImage(800, 600, QImage::Format_ARGB32_Premultiplied), itemWith(twoShapes), env};
    QWidget window;
    EditorToolbar* toolbar = new EditorToolbar(vm, {scheduler, panel}, &window);

    Fixture()
    {
        window.resize(1200, 120);
        window.show();
    }
    void select(std::initializer_list<int> indexes)
    {
        QSet<QUuid> ids;
        for (int i : indexes)
            ids.insert(vm.state().annotations[i].id);
        vm.setSelectedIDs(ids);
    }
    int visibleCount(const auto& widgets)
    {
        return int(std::count_if(widgets.begin(), widgets.end(), [&](QWidget* w) { return w->isVisibleTo(&window); }));
    }
};

} // namespace

class tst_EditorToolbar : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void focusFollowsTheSelectionAndReLevelsOnModelChanges()
    {
        Fixture f; // arrow tool, nothing selected
        // A single selected rectangle decides the focus, even under the arrow tool;
        // two selected annotations fall back to the tool's kind.
        f.select({0});
        QCOMPARE(f.toolbar->focus().kind, std::optional<K>(K::rectangle));
        f.select({0, 1});
        QCOMPARE(f.toolbar->focus().kind, std::optional<K>(K::arrow));
        f.vm.setTool(EditorTool::crop);
        QCOMPARE(f.toolbar->focus().kind, std::nullopt);

        // Cursor highlighting widens the cursor options: the level drops
        // through the model change alone, without a resize.
        f.vm.setTool(EditorTool::cursor);
        f.toolbar->setAvailableWidth(1100);
        QCOMPARE(f.toolbar->level(), 0);
        f.vm.setCursorHighlightEnabled(true);
        QCOMPARE(f.toolbar->level(), 1);
    }

    void rowsShowWhatEachLevelHolds()
    {
        Fixture f;
        QSignalSpy levels(f.toolbar, &EditorToolbar::levelChanged);
        const struct { double width; int level, tools, swatches; bool chip, folded; } cases[] = {
            {1002, 0, 13, 8, false, false}, {850, 2, 13, 4, true, false},
            {741, 4, 0, 0, true, true}, {1400, 0, 13, 8, false, false}};
        for (const auto& c : cases) {
            f.toolbar->setAvailableWidth(c.width);
            QCOMPARE(f.toolbar->level(), c.level);
            QCOMPARE(f.visibleCount(f.toolbar->tools()->inlineButtons()), c.tools);
            QCOMPARE(f.toolbar->tools()->foldedGroup()->isVisibleTo(&f.window), c.folded);
            QCOMPARE(f.visibleCount(f.toolbar->colors()->inlineSwatches()), c.swatches);
            QCOMPARE(f.toolbar->colors()->paletteChip() != nullptr, c.chip);
            QVERIFY(f.toolbar->colors()->panelWell()->isVisibleTo(&f.window));
            QCOMPARE(f.toolbar->shape().strokeChip, c.level >= 1);
        }
        QCOMPARE(levels.count(), 3);
        // Every control can be found by assistive technology.
        for (ToolButton* b : f.toolbar->tools()->inlineButtons())
            QCOMPARE(b->accessibleName(), label(b->tool()));
        QCOMPARE(f.toolbar->colors()->panelWell()->accessibleName(), QStringLiteral("Eigene Farbe / Pipette"));
    }

    void toolButtonsSetTheModelsTool()
    {
        Fixture f;
        f.toolbar->setAvailableWidth(1100);
        const auto& buttons = f.toolbar->tools()->inlineButtons();
        QCOMPARE(buttons.size(), 13);
        for (int i = 0; i < buttons.size(); ++i)
            QCOMPARE(buttons[i]->tool(), allCases<EditorTool>()[size_t(i)]);
        QTest::mouseClick(buttons[4], Qt::LeftButton); // rectangle
        QCOMPARE(f.vm.state().selectedTool, EditorTool::rectangle);
        QVERIFY(buttons[4]->isChecked());
        QCOMPARE(std::count_if(buttons.begin(), buttons.end(), [](ToolButton* b) { return b->isChecked(); }), 1);
        // The highlight follows a tool chosen elsewhere.
        f.vm.setTool(EditorTool::text);
        QVERIFY(buttons[7]->isChecked() && !buttons[4]->isChecked());
        // The current tool's button sets it again, which drops the selection.
        f.select({0});
        QTest::mouseClick(buttons[7], Qt::LeftButton);
        QVERIFY(buttons[7]->isChecked());
        QVERIFY(f.vm.selectedIDs().isEmpty());

        // Folded: the chip opens a grid of all tools; a choice sets the tool and closes it.
        f.toolbar->setAvailableWidth(700);
        HoverExpandGroup* group = f.toolbar->tools()->foldedGroup();
        QTest::mouseClick(group, Qt::LeftButton);
        QVERIFY(group->isOpen());
        const auto& grid = f.toolbar->tools()->gridButtons();
        QCOMPARE(grid.size(), 13);
        QCOMPARE(grid[6]->y(), grid[0]->y() + ToolButton::frameHeight + 2); // rows of six
        QTest::mouseClick(grid[12], Qt::LeftButton);
        QCOMPARE(f.vm.state().selectedTool, EditorTool::cursor);
        QVERIFY(!group->isOpen());
        QCOMPARE(group->accessibleName(), label(EditorTool::cursor));
    }

    void colourChoicesRecolourTheSelectionInOneStep()
    {
        Fixture f;
        f.toolbar->setAvailableWidth(1100);
        ColorRow* row = f.toolbar->colors();
        const auto& palette = RGBAColor::palette();
        QVERIFY(row->inlineSwatches()[0]->isRinged()); // the opening red
        f.select({0, 1});
        const qsizetype steps = f.vm.undoCount();
        QTest::mouseClick(row->inlineSwatches()[4], Qt::LeftButton); // blue
        QCOMPARE(f.vm.undoCount(), steps + 1);
        QCOMPARE(f.vm.state().annotations[0].color, palette[4]);
        QCOMPARE(f.vm.state().annotations[1].color, palette[4]);
        QVERIFY(row->inlineSwatches()[4]->isRinged() && !row->inlineSwatches()[0]->isRinged());
        f.vm.undo();
        QCOMPARE(f.vm.state().annotations[0].color, twoShapes[0].color);

        // A near colour rings nothing; the exact palette colour does.
        f.vm.setColor({0.2, 0.7, 0.35, 0.999});
        QVERIFY(std::none_of(row->inlineSwatches().begin(), row->inlineSwatches().end(),
                             [](SwatchButton* s) { return s->isRinged(); }));
        f.vm.setColor(palette[3]);
        QVERIFY(row->inlineSwatches()[3]->isRinged());

        // With no room in the row, the palette chip holds all eight; a choice there closes it.
        f.toolbar->setAvailableWidth(760);
        HoverExpandGroup* chip = row->paletteChip();
        QVERIFY(chip);
        QTest::mouseClick(chip, Qt::LeftButton);
        QVERIFY(chip->isOpen());
        QCOMPARE(row->chipSwatches().size(), 8);
        QVERIFY(row->chipSwatches()[3]->isRinged());
        QTest::mouseClick(row->chipSwatches()[7], Qt::LeftButton); // white
        QCOMPARE(f.vm.state().selectedColor, palette[7]);
        QVERIFY(!chip->isOpen());

        // The well hands the colour to the panel; every panel change is one colour choice.
        QTest::mouseClick(row->panelWell(), Qt::LeftButton);
        QVERIFY(f.panel.panel() && f.panel.panel()->isVisible());
        QCOMPARE(f.panel.panel()->currentColor().rgba(), palette[7].toQColor().rgba());
        QCOMPARE(f.panel.presenter(), row->panelWell());
        f.select({0});
        const qsizetype before = f.vm.undoCount();
        f.panel.panel()->setCurrentColor(QColor(10, 20, 30, 128));
        QTRY_COMPARE(f.vm.state().annotations[0].color.toQColor(), QColor(10, 20, 30, 128));
        QCOMPARE(f.vm.undoCount(), before + 1);
        // Re-levelling keeps the well, so the open panel still reaches the model.
        f.toolbar->setAvailableWidth(1100);
        f.panel.panel()->setCurrentColor(QColor(40, 50, 60));
        QTRY_COMPARE(f.vm.state().selectedColor.toQColor(), QColor(40, 50, 60));
    }

    void popoverFlagsCloseTheirStyleEdits()
    {
        Fixture f;
        EditorPopoverFlags& flags = f.toolbar->popoverFlags();
        for (int i = 0; i < EditorPopoverFlags::count; ++i)
            QVERIFY(!flags.isOpen(EditorPopoverFlags::Flag(i)));
        QCOMPARE(QString::fromLatin1(EditorPopoverFlags::name(EditorPopoverFlags::Flag::cropAspect)),
                 QStringLiteral("showCropAspectPopover"));

        auto* anchor = new QLabel(QStringLiteral("4 px"), &f.window);
        anchor->show();
        Popover popover;
        popover.setContent(new QLabel(QStringLiteral("slider")));
        flags.bind(EditorPopoverFlags::Flag::stroke, &popover, anchor);
        flags.toggle(EditorPopoverFlags::Flag::stroke);
        QVERIFY(popover.isVisible());

        // A slider drag in progress ends when its popover is closed by a click outside.
        f.select({0});
        f.vm.beginStyleEdit();
        f.vm.setLineWidth(9);
        QVERIFY(f.vm.isCoalescingStyleEdit());
        popover.hide();
        QVERIFY(!flags.isOpen(EditorPopoverFlags::Flag::stroke));
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        // The list popovers hold no slider and leave an edit alone.
        f.vm.beginStyleEdit();
        flags.setOpen(EditorPopoverFlags::Flag::fontFamily, true);
        flags.setOpen(EditorPopoverFlags::Flag::fontFamily, false);
        QVERIFY(f.vm.isCoalescingStyleEdit());
        f.vm.endStyleEdit();
    }
};

ZENTU_TEST_MAIN(tst_EditorToolbar)
#include "tst_editortoolbar.moc"
