// The crop tool: the draft under each drag and ratio preset, applying it (the cut
// pixels, annotations moved or dropped, one undo step), the crops that are
// refused, and the ratio chip and apply/cancel pair of the toolbar.
#include "Editor/CropAspectChip.h"
#include "Editor/CropConfirmControls.h"
#include "Editor/CropTool.h"
#include "Editor/EditorViewModel.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/ChildNamed.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QPushButton>
#include <QToolButton>

namespace {

using K = AnnotationKind;

// Every pixel tells where it came from.
QImage positional(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return image;
}

bool fuzzyRect(const QRectF& a, const QRectF& b)
{
    const auto near = [](double x, double y) { return std::abs(x - y) < 1e-6; };
    return near(a.x(), b.x()) && near(a.y(), b.y()) && near(a.width(), b.width()) && near(a.height(), b.height());
}

} // namespace

class tst_EditorCrop : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image = positional(800, 600);

    // A new-rectangle drag as the canvas makes it.
    static void draw(CropTool& crop, QPointF from, QPointF to, std::optional<DragHandle> handle = {})
    {
        crop.cropBegin(from, handle);
        crop.cropUpdate(from, (from + to) / 2);
        crop.cropUpdate(from, to);
        crop.endCropDrag();
    }

private Q_SLOTS:
    void ratioPresets()
    {
        const struct { CropAspect aspect; QPointF from, to; QRectF draft; } cases[] = {
            {CropAspect::free, {500, 150}, {100, 100}, {100, 100, 400, 50}},
            // Height 300 would pass the bottom edge: 100 high, so 100 wide.
            {CropAspect::r1_1, {100, 500}, {400, 520}, {100, 500, 100, 100}},
        };
        for (const auto& c : cases) {
            EditorViewModel vm(image, std::nullopt, env);
            CropTool crop(vm);
            crop.setCropAspect(c.aspect);
            draw(crop, c.from, c.to);
            QVERIFY2(fuzzyRect(*crop.cropDraft(), c.draft), qPrintable(rawValue(c.aspect)));
        }

        // Choosing a preset reshapes the draft, clipped to the bottom edge; no undo step.
        EditorViewModel vm(image, std::nullopt, env);
        CropTool crop(vm);
        draw(crop, {100, 100}, {500, 200});
        crop.setCropAspect(CropAspect::r3_4);
        QVERIFY(fuzzyRect(*crop.cropDraft(), {100, 100, 375, 500}));
        QVERIFY(!vm.canUndo());
    }

    void moveAndCornerDrags()
    {
        EditorViewModel vm(image, std::nullopt, env);
        CropTool crop(vm);
        vm.setTool(EditorTool::crop);
        draw(crop, {100, 100}, {300, 200});
        draw(crop, {150, 150}, {-50, 100}); // a press inside moves the draft, even beyond the picture
        QCOMPARE(*crop.cropDraft(), QRectF(-100, 50, 200, 100));
        // A corner drag past the opposite corner flips the rectangle.
        draw(crop, {100, 100}, {300, 200});
        crop.cropBegin({300, 200}, DragHandle::bottomRight);
        crop.cropUpdate({300, 200}, {50, 60});
        QCOMPARE(*crop.cropDraft(), QRectF(50, 60, 50, 40));
        crop.endCropDrag();
        QVERIFY(!crop.cropDragMode());
    }

    void applyCuts()
    {
        const AnnotationObject arrow = shape(K::arrow, {{120, 60}, {300, 200}});
        const AnnotationObject outside = shape(K::rectangle, {{600, 400}, {700, 500}});
        const AnnotationObject badge = shape(K::badge, {{90, 40}}); // box reaches into the cut
        EditorViewModel vm(image, itemWith({arrow, outside, badge}), env);
        CropTool crop(vm);
        vm.setTool(EditorTool::crop);
        vm.setSelectedAnnotationID(arrow.id);
        QVERIFY(crop.applyCrop({100, 50, 300, 250}));
        QCOMPARE(vm.original(), image.copy(100, 50, 300, 250));
        QCOMPARE(vm.state().annotations.size(), 2);
        QCOMPARE(vm.state().annotations[0].points, (QList<QPointF>{{20, 10}, {200, 150}}));
        QCOMPARE(vm.state().annotations[1].id, badge.id);
        QVERIFY(vm.selectedIDs().isEmpty() && !crop.cropDraft());
        QCOMPARE(vm.state().selectedTool, EditorTool::select);
        QCOMPARE(vm.undoCount(), 1);
        vm.undo();
        QCOMPARE(vm.original().size(), QSize(800, 600));
        QCOMPARE(vm.state().annotations, (QList<AnnotationObject>{arrow, outside, badge}));
        QVERIFY(vm.imageWasCropped()); // the write-back still stores the picture

        // A draft moved half out of the picture cuts the part inside.
        EditorViewModel moved(image, std::nullopt, env);
        CropTool movedCrop(moved);
        QVERIFY(movedCrop.applyCrop({-100, 500, 300, 300}));
        QCOMPARE(moved.original(), image.copy(0, 500, 200, 100));
    }

    void refusedCrops()
    {
        const struct { const char* name; QImage picture; QRectF rect; } cases[] = {
            {"7 wide", image, {10, 10, 7, 300}},
            {"7 high after clipping", image, {10, 593.5, 300, 50}},
            {"the whole picture", image, {-5, -5, 900, 700}},
            {"wholly outside", image, {900, 10, 50, 50}},
            {"no number", image, {qQNaN(), 10, 50, 50}},
            {"no bitmap", QImage(), {0, 0, 50, 50}},
        };
        for (const auto& c : cases) {
            EditorViewModel vm(c.picture, itemWith({shape(K::line, {{0, 0}, {50, 50}})}), env);
            CropTool crop(vm);
            draw(crop, {1, 1}, {20, 20});
            const QRectF draft = *crop.cropDraft();
            QVERIFY2(!crop.applyCrop(c.rect), c.name);
            QVERIFY2(crop.cropDraft() == draft && !vm.canUndo() && !vm.imageWasCropped(), c.name);
            QVERIFY2(vm.original().size() == c.picture.size(), c.name);
        }
    }

    void ratioChipAndConfirmPair()
    {
        EditorViewModel vm(image, std::nullopt, env);
        CropTool crop(vm);
        vm.setTool(EditorTool::crop);
        CropAspectChip chip(vm, crop);
        CropConfirmControls pair(crop);
        chip.show();
        draw(crop, {100, 100}, {500, 150});
        QTest::mouseClick(&chip, Qt::LeftButton);
        QTest::mouseClick(&chip, Qt::LeftButton); // the chip only ever opens its menu
        QVERIFY(chip.isMenuOpen());
        QTest::mouseClick(chip.menuRows()[1], Qt::LeftButton); // "1:1" reshapes the draft and closes
        QCOMPARE(*crop.cropDraft(), QRectF(100, 100, 400, 400));
        QTRY_VERIFY(!chip.isMenuOpen());
        QCOMPARE(chip.text(), QStringLiteral("1:1"));

        childNamed<QToolButton>(pair, "cancelButton")->click(); // the draft goes; tool stays; nothing recorded
        QVERIFY(!crop.cropDraft());
        QCOMPARE(vm.state().selectedTool, EditorTool::crop);
        childNamed<QPushButton>(pair, "applyButton")->click(); // no draft: nothing
        QVERIFY(!vm.canUndo());
        draw(crop, {100, 100}, {300, 200}); // still 1:1
        childNamed<QPushButton>(pair, "applyButton")->click();
        QCOMPARE(vm.original().size(), QSize(200, 200));
        QCOMPARE(vm.undoCount(), 1);
    }
};

ZENTU_TEST_MAIN(tst_EditorCrop)
#include "tst_editorcrop.moc"
