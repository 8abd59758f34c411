// The toolbar's style options: which groups the second row shows for each
// tool and selection, the values they print, slider drags as single undo
// steps, the loupe's clamp, the cursor grid, the font list and the image
// insert button, on a real editor model.
#include "Editor/ColorRow.h"
#include "Editor/CompactColorWell.h"
#include "Editor/CropAspectChip.h"
#include "Editor/CropConfirmControls.h"
#include "Editor/CursorAssets.h"
#include "Editor/CursorControls.h"
#include "Editor/CursorStylePicker.h"
#include "Editor/CursorThumbnail.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/FontFamilyPicker.h"
#include "Editor/ImageInsertButton.h"
#include "Editor/OptionSlider.h"
#include "Editor/StyleEditSlider.h"
#include "Editor/StyleOptionsRow.h"
#include "Editor/SwatchButton.h"
#include "Editor/ToggleChip.h"
#include "Editor/ToolButton.h"
#include "Editor/ToolbarChip.h"
#include "Editor/ToolsGroup.h"
#include "Localization/Localizer.h"
#include "Ui/ColorPanelController.h"
#include "Ui/Popover.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Stepper.h"
#include "fakes/FakeEditorEnvironment.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>

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

struct Fixture {
    FakeEditorEnvironment env;
    ManualDelayScheduler scheduler;
    ColorPanelController panel;
    EditorViewModel vm{QImage(800, 600, QImage::Format_ARGB32_Premultiplied), itemWith(opening), env};
    EditorRootView root{vm, nullptr, EditorToolbarServices{scheduler, panel}};
    EditorToolbar& toolbar = root.toolbar();
    StyleOptionsRow& row = *toolbar.styleOptions();

    explicit Fixture(int width = 1400)
    {
        root.resize(width, 500);
        root.show();
    }
    void select(std::initializer_list<int> indexes)
    {
        QSet<QUuid> ids;
        for (int i : indexes)
            ids.insert(vm.state().annotations[i].id);
        vm.setSelectedIDs(ids);
    }
    const AnnotationObject& at(int i) const { return vm.state().annotations[i]; }
    OptionSlider* slider(Flag flag) const { return flag == Flag::stroke ? toolbar.strokeControl() : row.slider(flag); }
};

// A press at one end of the slider's groove, moves across it and a release at the other end.
void drag(QSlider* slider, double fromFraction, double toFraction)
{
    const int y = slider->height() / 2;
    auto x = [slider](double f) { return int(4 + f * (slider->width() - 8)); };
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(x(fromFraction), y));
    for (int i = 1; i <= 8; ++i)
        QTest::mouseMove(slider, QPoint(x(fromFraction + (toFraction - fromFraction) * i / 8.0), y));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x(toFraction), y));
}

void wheel(QWidget* w, int notches)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

} // namespace

class tst_StyleOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void groupsFollowTheToolAndTheSelection()
    {
        Fixture f;
        const struct {
            EditorTool tool;
            QList<G> groups;
            bool fill, corner;
        } tools[] = {
            {EditorTool::arrow, {G::lineStyle}, false, false},
            {EditorTool::line, {G::lineStyle}, false, false},
            {EditorTool::rectangle, {G::lineStyle}, true, true},
            {EditorTool::ellipse, {G::lineStyle}, true, false},
            {EditorTool::freehand, {}, false, false},
            {EditorTool::text, {G::font}, false, false},
            {EditorTool::speechBubble, {G::font, G::bubble}, false, false},
            {EditorTool::badge, {G::badge}, false, false},
            {EditorTool::blur, {G::blur}, false, false},
            {EditorTool::magnifier, {G::magnifier}, false, false},
            {EditorTool::cursor, {G::cursor}, false, false},
            {EditorTool::select, {}, false, false},
            {EditorTool::crop, {G::crop}, false, false},
        };
        for (const auto& c : tools) {
            f.vm.setTool(c.tool);
            QCOMPARE(f.row.shownGroups(), c.groups);
            QCOMPARE(f.row.fillControls()->isVisibleTo(&f.row), c.fill);
            QCOMPARE(f.row.cornerControls()->isVisibleTo(&f.row), c.corner);
        }
        // The crop tool's confirm pair stands after the aspect chip once a rectangle exists.
        QVERIFY(!f.row.cropConfirm()->isVisibleTo(&f.row));
        f.vm.cropBegin({10, 10}, std::nullopt);
        f.vm.cropUpdate({10, 10}, {200, 150});
        f.vm.endCropDrag();
        QVERIFY(f.row.cropConfirm()->isVisibleTo(&f.row));
        QCOMPARE(f.row.shownGroups(), QList<G>{G::crop});
        f.vm.cancelCrop();
        QVERIFY(!f.row.cropConfirm()->isVisibleTo(&f.row));

        // A single selected annotation's kind wins over the tool's; several fall back to the tool.
        f.vm.setTool(EditorTool::select);
        f.select({2});
        QCOMPARE(f.row.shownGroups(), QList<G>{G::font});
        f.select({5});
        QCOMPARE(f.row.shownGroups(), (QList<G>{G::font, G::bubble}));
        f.select({1});
        QCOMPARE(f.row.shownGroups(), QList<G>{G::lineStyle});
        QVERIFY(f.row.cornerControls()->isVisibleTo(&f.row));
        f.select({6});
        QCOMPARE(f.row.shownGroups(), QList<G>{});
        f.select({1, 2});
        QCOMPARE(f.row.shownGroups(), QList<G>{});
        f.vm.setTool(EditorTool::blur);
        f.select({1, 2});
        QCOMPARE(f.row.shownGroups(), QList<G>{G::blur});

        // Compact from the first collapse level on: chips instead of inline sliders, icons alone.
        f.vm.setTool(EditorTool::speechBubble);
        QVERIFY(!f.row.isCompact() && !f.row.bubblePicker()->symbolsOnly());
        f.toolbar.setAvailableWidth(900);
        QVERIFY(f.toolbar.level() >= 1);
        QVERIFY(f.row.isCompact() && f.row.bubblePicker()->symbolsOnly());
        QVERIFY(f.toolbar.strokeControl()->chip()->isVisibleTo(&f.root));
        QVERIFY(!f.toolbar.strokeControl()->inlineSlider()->isVisibleTo(&f.root));
        QCOMPARE(f.row.bubblePicker()->labels().size(), 4); // still named for screen readers
        f.vm.setBubbleStyle(SpeechBubbleStyle::thought);
        f.toolbar.setAvailableWidth(1400);
        QVERIFY(!f.row.bubblePicker()->symbolsOnly());
        QCOMPARE(f.row.bubblePicker()->currentIndex(), 3);
        QVERIFY(f.toolbar.strokeControl()->inlineSlider()->isVisibleTo(&f.root));
    }

    void openingValuesAndValueTexts()
    {
        Fixture f;
        // What a fresh editor shows.
        QVERIFY(f.toolbar.tools()->inlineButtons()[2]->isChecked());
        QCOMPARE(f.toolbar.tools()->inlineButtons()[2]->tool(), EditorTool::arrow);
        QVERIFY(f.toolbar.colors()->inlineSwatches()[0]->isRinged());
        QCOMPARE(f.toolbar.strokeControl()->inlineValueLabel()->text(), QStringLiteral("4 px"));
        QCOMPARE(f.toolbar.strokeControl()->chip()->text(), QStringLiteral("4 px"));
        QCOMPARE(f.slider(Flag::blur)->valueText(), QStringLiteral("30"));
        QCOMPARE(f.slider(Flag::magnifier)->valueText(), QStringLiteral("2.2×"));
        QCOMPARE(f.row.cropAspectChip()->text(), QStringLiteral("Benutzerdefiniert"));

        // Values are cut toward zero in both forms; the loupe keeps one decimal.
        f.vm.setLineWidth(4.7);
        QCOMPARE(f.toolbar.strokeControl()->inlineValueLabel()->text(), QStringLiteral("4 px"));
        QCOMPARE(f.toolbar.strokeControl()->chip()->text(), QStringLiteral("4 px"));
        QCOMPARE(f.toolbar.strokeControl()->chip()->accessibleName(), QStringLiteral("4 px"));
        f.vm.setFontSize(27.9);
        QCOMPARE(f.slider(Flag::fontSize)->chip()->text(), QStringLiteral("27 pt"));
        f.vm.setCornerRadius(12.7);
        QCOMPARE(f.slider(Flag::corner)->valueText(), QStringLiteral("12"));
        f.vm.setBadgeSize(43.9);
        QCOMPARE(f.slider(Flag::badge)->valueText(), QStringLiteral("43"));
        f.vm.setCursorHighlightOpacity(0.29);
        QCOMPARE(f.slider(Flag::cursorHlOpacity)->valueText(), QStringLiteral("29%"));
        f.vm.setCursorHighlightOpacity(1.0);
        QCOMPARE(f.slider(Flag::cursorHlOpacity)->valueText(), QStringLiteral("100%"));
        f.vm.setMagnification(6);
        QCOMPARE(f.slider(Flag::magnifier)->valueText(), QStringLiteral("6.0×"));

        // Every control can be found by assistive technology.
        for (QAbstractButton* b : f.root.findChildren<QAbstractButton*>())
            QVERIFY2(!b->accessibleName().isEmpty(), b->metaObject()->className());
        for (QSlider* s : f.root.findChildren<QSlider*>())
            QVERIFY(!s->accessibleName().isEmpty());
        for (QAbstractButton* b : f.row.fontFamilyPicker()->popover()->findChildren<QAbstractButton*>())
            QVERIFY(!b->accessibleName().isEmpty());
        QCOMPARE(f.toolbar.imageInsertButton()->accessibleName(), QStringLiteral("Bild"));

        // The texts follow the interface language.
        Localizer::shared().setLanguage(QStringLiteral("en"));
        QCOMPARE(f.row.blurStylePicker()->labels(), (QStringList{QStringLiteral("Pixel"), QStringLiteral("Soft")}));
        QCOMPARE(f.toolbar.strokeControl()->chip()->toolTip(), QStringLiteral("Line width"));
        QCOMPARE(f.slider(Flag::magnifier)->popoverSlider()->accessibleName(), QStringLiteral("Magnifier zoom"));
        QCOMPARE(f.toolbar.imageInsertButton()->accessibleName(), Localizer::t(QStringLiteral("Bild")));
        Localizer::shared().setLanguage(QStringLiteral("de"));
    }

    void slidersMakeOneUndoStepPerDragAndOnePerKey()
    {
        Fixture f;
        f.select({0});
        StyleEditSlider* inlineSlider = f.toolbar.strokeControl()->inlineSlider();

        // A drag from one end to the other is one step, however many values pass.
        qsizetype steps = f.vm.undoCount();
        drag(inlineSlider, 0, 1);
        QCOMPARE(f.at(0).lineWidth, 30.0);
        QCOMPARE(f.vm.state().lineWidth, 30.0);
        QCOMPARE(f.vm.undoCount(), steps + 1);
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        f.vm.undo();
        QCOMPARE(f.at(0).lineWidth, 4.0);

        // Keys and the wheel: every step is an undo step of its own.
        f.select({0});
        steps = f.vm.undoCount();
        inlineSlider->setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(inlineSlider, Qt::Key_Left); // the default stayed at 30
        QCOMPARE(f.vm.undoCount(), steps + 3);
        wheel(inlineSlider, -1);
        QCOMPARE(f.vm.undoCount(), steps + 4);
        QVERIFY(f.at(0).lineWidth < 27);

        // The popover's stepper: three clicks, three steps of one pixel each.
        f.vm.setLineWidth(4.7);
        f.toolbar.setAvailableWidth(900);
        QTest::mouseClick(f.toolbar.strokeControl()->chip(), Qt::LeftButton);
        QVERIFY(f.toolbar.popoverFlags().isOpen(Flag::stroke));
        QTest::mouseClick(f.toolbar.strokeControl()->chip(), Qt::LeftButton); // the chip only opens
        QVERIFY(f.toolbar.popoverFlags().isOpen(Flag::stroke));
        Stepper* stepper = f.toolbar.strokeControl()->stepper();
        QCOMPARE(stepper->value(), 4);
        steps = f.vm.undoCount();
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(stepper, Qt::LeftButton, {}, stepper->upperHalf().center().toPoint());
        QCOMPARE(f.vm.undoCount(), steps + 3);
        QCOMPARE(f.at(0).lineWidth, 7.7);

        // A drag cut short by its popover closing ends the edit there.
        StyleEditSlider* popSlider = f.toolbar.strokeControl()->popoverSlider();
        steps = f.vm.undoCount();
        QTest::mousePress(popSlider, Qt::LeftButton, {}, QPoint(10, popSlider->height() / 2));
        QVERIFY(f.vm.isCoalescingStyleEdit());
        f.toolbar.strokeControl()->popover()->hide();
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::stroke));
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        QCOMPARE(f.vm.undoCount(), steps + 1);

        // So does one cut short by the toolbar folding its slider away.
        f.toolbar.setAvailableWidth(1400);
        QTest::mousePress(inlineSlider, Qt::LeftButton, {}, QPoint(10, inlineSlider->height() / 2));
        QVERIFY(f.vm.isCoalescingStyleEdit());
        f.toolbar.setAvailableWidth(900);
        QVERIFY(!f.vm.isCoalescingStyleEdit());
        QTest::mouseRelease(inlineSlider, Qt::LeftButton);

        // With nothing selected a drag changes the default for new annotations only.
        f.vm.setSelectedIDs({});
        f.toolbar.setAvailableWidth(1400);
        steps = f.vm.undoCount();
        drag(inlineSlider, 1, 0);
        QCOMPARE(f.vm.state().lineWidth, 1.0);
        QCOMPARE(f.vm.undoCount(), steps);

        // The font size chip's slider: one drag over a selected text, one step.
        f.select({2});
        f.toolbar.setAvailableWidth(1400);
        QTest::mouseClick(f.slider(Flag::fontSize)->chip(), Qt::LeftButton);
        steps = f.vm.undoCount();
        drag(f.slider(Flag::fontSize)->popoverSlider(), 0, 1);
        QCOMPARE(f.at(2).fontSize, std::optional<double>(160));
        QCOMPARE(f.vm.undoCount(), steps + 1);
    }

    void blurBubbleAndLoupeOptionsReachTheModel()
    {
        Fixture f;
        // The loupe's binding holds every write between 1.2× and 6×.
        OptionSlider* loupe = f.slider(Flag::magnifier);
        loupe->setValue(0.5);
        QCOMPARE(f.vm.state().magnifierZoom, 1.2);
        loupe->setValue(9);
        QCOMPARE(f.vm.state().magnifierZoom, 6.0);
        QCOMPARE(loupe->inlineSlider()->doubleValue(), 6.0);

        // Blur style with nothing selected: the default only, no undo step.
        f.vm.setTool(EditorTool::blur);
        SegmentedControl* style = f.row.blurStylePicker();
        QCOMPARE(style->labels(), (QStringList{QStringLiteral("Pixel"), QStringLiteral("Weich")}));
        qsizetype steps = f.vm.undoCount();
        QTest::mouseClick(style, Qt::LeftButton, {}, style->segmentRect(1).center().toPoint());
        QCOMPARE(f.vm.state().selectedBlurStyle, BlurStyle::gaussian);
        QCOMPARE(f.vm.undoCount(), steps);

        // Two blur areas: a drag of the strength changes both, as one step.
        f.select({3, 4});
        steps = f.vm.undoCount();
        drag(f.slider(Flag::blur)->inlineSlider(), 0.3, 0.8);
        QVERIFY(f.at(3).blurAmount > 70 && f.at(3).blurAmount == f.at(4).blurAmount);
        QCOMPARE(f.vm.undoCount(), steps + 1);
        f.vm.setBlurStyle(BlurStyle::pixelated);
        QCOMPARE(style->currentIndex(), 0);

        // The bubble's shape and the dashed switch, each change one step.
        f.select({5});
        steps = f.vm.undoCount();
        QTest::mouseClick(f.row.bubblePicker(), Qt::LeftButton, {},
                          f.row.bubblePicker()->segmentRect(1).center().toPoint());
        QCOMPARE(f.at(5).bubbleStyle, std::optional(SpeechBubbleStyle::oval));
        f.select({1});
        QTest::mouseClick(f.row.dashedSwitch(), Qt::LeftButton);
        QCOMPARE(f.at(1).dashed, std::optional(true));
        QVERIFY(f.row.dashedSwitch()->isChecked());
        QCOMPARE(f.vm.undoCount(), steps + 2);

        // A fill colour on a rectangle without fill switches the fill on, in one step.
        steps = f.vm.undoCount();
        Q_EMIT f.row.fillWell()->colorEdited({0.1, 0.2, 0.9, 0.5});
        QCOMPARE(f.at(1).fillColor, std::optional(RGBAColor{0.1, 0.2, 0.9, 0.5}));
        QVERIFY(f.vm.state().fillEnabled && f.row.fillSwitch()->isChecked());
        QCOMPARE(f.vm.undoCount(), steps + 1);
    }

    void cursorGridChoicesReachTheModel()
    {
        Fixture f;
        f.vm.setTool(EditorTool::cursor);
        f.vm.placeCursor({300, 300});
        const int placed = int(f.vm.state().annotations.size()) - 1;
        CursorControls* controls = f.row.cursorControls();
        CursorStylePicker* chip = controls->stylePicker();

        QTest::mouseClick(chip, Qt::LeftButton);
        QVERIFY(f.toolbar.popoverFlags().isOpen(Flag::cursorStyle));
        const QList<QAbstractButton*> cells = chip->cells();
        QCOMPARE(cells.size(), 16);
        QCOMPARE(cells[2]->toolTip(), QStringLiteral("Solid · ArrowClick"));
        QCOMPARE(cells[15]->toolTip(), QStringLiteral("Windows · PtrClick"));
        QCOMPARE(cells[4]->y(), cells[0]->y() + CursorStylePicker::cellSide + CursorStylePicker::cellSpacing);
        QVERIFY(cells[0]->isChecked());
        QTest::mouseClick(cells[6], Qt::LeftButton); // soft_arrowClick
        QCOMPARE(f.vm.state().cursorStyle, QStringLiteral("soft_arrowClick"));
        QCOMPARE(f.at(placed).cursorStyle, std::optional(QStringLiteral("soft_arrowClick")));
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::cursorStyle));
        QVERIFY(cells[6]->isChecked() && !cells[0]->isChecked());
        // The chip toggles its grid.
        QTest::mouseClick(chip, Qt::LeftButton);
        QTest::mouseClick(chip, Qt::LeftButton);
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::cursorStyle));
        QCOMPARE(CursorStylePicker::cursorLabel(QStringLiteral("a__b")), QStringLiteral("A · B"));

        // The highlight's own controls come and go with it.
        QVERIFY(!controls->highlightWell()->isVisibleTo(&f.row));
        QVERIFY(!controls->highlightSize()->isVisibleTo(&f.row));
        QTest::mouseClick(controls->highlightSwitch(), Qt::LeftButton);
        QCOMPARE(f.at(placed).highlightEnabled, std::optional(true));
        QVERIFY(controls->highlightWell()->isVisibleTo(&f.row));
        QVERIFY(controls->highlightSize()->isVisibleTo(&f.row) && controls->highlightOpacity()->isVisibleTo(&f.row));
        Q_EMIT controls->highlightWell()->colorEdited({0, 0, 1, 0.3});
        QCOMPARE(f.vm.state().cursorHighlightColor, (RGBAColor{0, 0, 1, 0.3}));

        // Thumbnails: a click style draws its rings around the base style's hotspot, in the
        // highlight colour; a plain style draws none.
        auto thumb = [](const QString& style) {
            QImage img(88, 88, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            CursorThumbnail::paint(p, style, QRectF(0, 0, 88, 88), 56, QColor(0, 0, 255));
            return img;
        };
        const QPointF c = CursorThumbnail::ringCentre(QStringLiteral("soft_arrowClick"), QRectF(0, 0, 88, 88), 56);
        QCOMPARE(c, QPointF(16 + 56 * CursorAssets::hotspot(QStringLiteral("soft_arrow")).x(),
                            16 + 56 * CursorAssets::hotspot(QStringLiteral("soft_arrow")).y()));
        const double inner = CursorAssets::clickRings(56)[0].radius;
        const QPoint onRing = (c + QPointF(0, inner)).toPoint(); // below the hotspot, beside the picture
        QVERIFY(thumb(QStringLiteral("soft_arrowClick")).pixelColor(onRing).blue() > 150);
        QCOMPARE(thumb(QStringLiteral("solid_arrow")).pixelColor(onRing).blue(),
                 thumb(QStringLiteral("solid_arrow")).pixelColor(onRing).red());
        // A style with no hotspot entry rings at 20 % across and 13 % down.
        QCOMPARE(CursorThumbnail::ringCentre(QStringLiteral("odd_arrowClick"), QRectF(0, 0, 100, 100), 100),
                 QPointF(20, 13));
    }

    void fontListAndSelection()
    {
        Fixture f;
        f.select({2});
        FontFamilyPicker* picker = f.row.fontFamilyPicker();
        QCOMPARE(picker->toolTip(), QStringLiteral("Schriftart: System"));
        const QStringList& families = FontFamilyPicker::fontFamilies();
        QVERIFY(families.size() >= 2);
        QVERIFY(std::is_sorted(families.begin(), families.end()));

        QTest::mouseClick(picker, Qt::LeftButton);
        QVERIFY(f.toolbar.popoverFlags().isOpen(Flag::fontFamily));
        QListWidget* list = picker->list();
        QCOMPARE(list->count(), families.size() + 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("System"));
        QVERIFY(!(list->item(1)->flags() & Qt::ItemIsEnabled)); // the divider
        QCOMPARE(list->item(2)->text(), families.first());
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->verticalScrollBar()->value(), 0);

        // A family from the middle of the list: chosen, it names the selected text's font and closes the list.
        const int pick = int(families.size()) / 2;
        const QString family = families[pick];
        list->scrollToItem(list->item(pick + 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(pick + 2)).center());
        QCOMPARE(f.vm.state().selectedFontName, std::optional(family));
        QCOMPARE(f.at(2).fontName, std::optional(family));
        QVERIFY(!f.toolbar.popoverFlags().isOpen(Flag::fontFamily));
        QCOMPARE(picker->toolTip(), QStringLiteral("Schriftart: ") + family);

        // Reopened, the list starts with that family in its middle (as far as it scrolls).
        list->scrollToTop();
        QTest::mouseClick(picker, Qt::LeftButton);
        QCOMPARE(FontFamilyPicker::rowValue(list, list->currentRow()), std::optional(family));
        const QRect row = list->visualItemRect(list->currentItem());
        QVERIFY(list->viewport()->rect().contains(row));
        QScrollBar* bar = list->verticalScrollBar();
        if (bar->value() > bar->minimum() && bar->value() < bar->maximum())
            QVERIFY(qAbs(row.center().y() - list->viewport()->height() / 2) <= row.height());

        // "System" takes the name away again.
        list->scrollToTop();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(f.vm.state().selectedFontName, std::nullopt);
        QCOMPARE(f.at(2).fontName, std::nullopt);
    }

    void imageButtonAsksForAPicture()
    {
        Fixture f;
        QSignalSpy asked(&f.root, &EditorRootView::requestInsertImage);
        QTest::mouseClick(f.toolbar.imageInsertButton(), Qt::LeftButton);
        QCOMPARE(asked.count(), 1);
    }
};

ZENTU_TEST_MAIN(tst_StyleOptions)
#include "tst_styleoptions.moc"
