// Pointer gestures on the editor model: hit tolerances per kind, clicks,
// moves and marquees with the select tool, handle drags, and what every
// drawing tool's drag or click adds, with the undo steps they take.
#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorViewModel.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/IsolatedEnvironment.h"

#include <functional>

namespace {

AnnotationObject shape(AnnotationKind kind, QList<QPointF> points, double lineWidth = 4)
{
    AnnotationObject a;
    a.kind = kind;
    a.lineWidth = lineWidth;
    a.points = std::move(points);
    return a;
}

ScreenshotItem itemWith(const QList<AnnotationObject>& annotations)
{
    ScreenshotItem item;
    item.annotations = annotations;
    return item;
}

using Points = QList<QPointF>;

} // namespace

class tst_EditorGestures : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

    // A model with the select tool on the given annotations.
    std::unique_ptr<EditorViewModel> selecting(const QList<AnnotationObject>& annotations)
    {
        auto vm = std::make_unique<EditorViewModel>(image, itemWith(annotations), env);
        vm->setTool(EditorTool::select);
        return vm;
    }
    static void click(EditorViewModel& vm, QPointF p)
    {
        vm.beginSelectionDrag(p);
        vm.updateSelectionDrag(p);
        vm.endSelectionDrag();
    }
    static void drag(EditorViewModel& vm, QPointF from, QPointF to)
    {
        vm.beginSelectionDrag(from);
        vm.updateSelectionDrag(from);
        vm.updateSelectionDrag((from + to) / 2);
        vm.updateSelectionDrag(to);
        vm.endSelectionDrag();
    }

private Q_SLOTS:
    void hitTolerances_data()
    {
        QTest::addColumn<AnnotationObject>("annotation");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("hit");
        using K = AnnotationKind;
        const AnnotationObject thin = shape(K::line, {{0, 100}, {200, 100}}, 2);
        QTest::newRow("width 2 line at 12") << thin << QPointF(100, 112) << true;
        QTest::newRow("width 2 line at 12.5") << thin << QPointF(100, 112.5) << false;
        const AnnotationObject thick = shape(K::arrow, {{0, 100}, {200, 100}}, 20);
        QTest::newRow("width 20 arrow at 24") << thick << QPointF(100, 124) << true;
        QTest::newRow("width 20 arrow at 25") << thick << QPointF(100, 125) << false;
        QTest::newRow("arrow with one point") << shape(K::arrow, {{0, 0}}) << QPointF(0, 0) << false;
        // Rectangles are hit on their outline band only, from either side.
        const AnnotationObject big = shape(K::rectangle, {{100, 100}, {300, 300}});
        QTest::newRow("big rectangle, inside") << big << QPointF(200, 200) << false;
        QTest::newRow("big rectangle, inner band") << big << QPointF(111, 200) << true;
        QTest::newRow("big rectangle, outer band") << big << QPointF(89, 200) << true;
        QTest::newRow("big rectangle, max edge") << big << QPointF(312, 200) << false;
        QTest::newRow("small rectangle, inside") << shape(K::rectangle, {{100, 100}, {120, 120}}) << QPointF(110, 110)
                                                << true;
        QTest::newRow("ellipse area") << shape(K::ellipse, {{300, 300}, {100, 100}}) << QPointF(200, 200) << true;
        QTest::newRow("blur beside") << shape(K::blur, {{100, 100}, {300, 300}}) << QPointF(311, 311) << true;
        QTest::newRow("magnifier beyond") << shape(K::magnifier, {{100, 100}, {300, 300}}) << QPointF(313, 200)
                                          << false;
        const AnnotationObject stroke = shape(K::freehand, {{0, 0}, {100, 0}, {100, 100}});
        QTest::newRow("freehand second segment") << stroke << QPointF(110, 50) << true;
        QTest::newRow("freehand inside the bend") << stroke << QPointF(50, 50) << false;
        QTest::newRow("freehand dot") << shape(K::freehand, {{5, 5}}) << QPointF(5, 5) << false;
        AnnotationObject text = shape(K::text, {{100, 100}});
        text.text = QStringLiteral("Hallo"); // 70 × 35 at size 28 with the fake metrics
        QTest::newRow("text box") << text << QPointF(180, 140) << true;
        QTest::newRow("text beyond") << text << QPointF(183, 120) << false;
        const AnnotationObject badge = shape(K::badge, {{100, 100}});
        QTest::newRow("badge without size at 34") << badge << QPointF(134, 100) << true;
        QTest::newRow("badge without size at 35") << badge << QPointF(135, 100) << false;
        const AnnotationObject bubble = shape(K::speechBubble, {{100, 100}, {200, 150}});
        QTest::newRow("bubble inside") << bubble << QPointF(199, 149) << true;
        QTest::newRow("bubble just outside") << bubble << QPointF(200, 120) << false;
        AnnotationObject cursor = shape(K::cursor, {{100, 100}});
        cursor.cursorSize = 50; // box (90, 93.5) to (140, 143.5)
        QTest::newRow("cursor within tolerance") << cursor << QPointF(80, 100) << true;
        QTest::newRow("cursor beyond tolerance") << cursor << QPointF(77, 100) << false;
    }
    void hitTolerances()
    {
        QFETCH(AnnotationObject, annotation);
        QFETCH(QPointF, point);
        QFETCH(bool, hit);
        QCOMPARE(AnnotationHitTest(env).hits(annotation, point), hit);
    }

    void clicksAndMoves()
    {
        const auto a = shape(AnnotationKind::rectangle, {{100, 100}, {200, 200}});
        const auto b = shape(AnnotationKind::ellipse, {{150, 150}, {250, 250}});
        const auto c = shape(AnnotationKind::line, {{400, 400}, {500, 400}});
        auto vm = selecting({a, b, c});
        click(*vm, {180, 180}); // in the overlap: the one drawn on top wins
        QCOMPARE(vm->selectedAnnotationID(), std::optional(b.id));
        QVERIFY(!vm->canUndo()); // no movement, no step
        vm->setSelectedIDs({a.id, c.id});
        click(*vm, {180, 180}); // an unselected one: selected alone
        QCOMPARE(vm->selectedIDs(), QSet<QUuid>{b.id});
        vm->setSelectedIDs({b.id, c.id});
        drag(*vm, {450, 400}, {460, 420}); // on part of the selection: all move
        QCOMPARE(vm->selectedIDs(), (QSet<QUuid>{b.id, c.id}));
        QCOMPARE(vm->state().annotations[1].points, (Points{{160, 170}, {260, 270}}));
        QCOMPARE(vm->state().annotations[2].points, (Points{{410, 420}, {510, 420}}));
        QCOMPARE(vm->state().annotations[0].points, a.points);
        QCOMPARE(vm->undoCount(), 1);
        click(*vm, {700, 50}); // empty canvas
        QVERIFY(vm->selectedIDs().isEmpty());
        vm->undo();
        QCOMPARE(vm->state().annotations[2].points, c.points);
    }

    void marquee_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QList<int>>("selected");
        // Each starts on empty canvas, away from the strokes.
        QTest::newRow("2 × 2 selects nothing") << QPointF(200, 96) << QPointF(202, 98) << QList<int>{};
        QTest::newRow("3 × 1 touching a box") << QPointF(204, 100) << QPointF(207, 101) << QList<int>{0};
        QTest::newRow("backwards over two") << QPointF(600, 100) << QPointF(150, 450) << QList<int>{0, 1};
        QTest::newRow("no width, on an edge") << QPointF(204, 150) << QPointF(204, 160) << QList<int>{0};
    }
    void marquee()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QList<int>, selected);
        // Bounding boxes (96, 96)–(204, 204) and (396, 396)–(504, 504).
        const QList<AnnotationObject> list{shape(AnnotationKind::arrow, {{100, 100}, {200, 200}}),
                                           shape(AnnotationKind::line, {{400, 400}, {500, 500}})};
        auto vm = selecting(list);
        vm->setSelectedAnnotationID(list[1].id); // a marquee replaces the selection
        drag(*vm, from, to);
        QSet<QUuid> expected;
        for (int i : selected)
            expected.insert(list[i].id);
        QCOMPARE(vm->selectedIDs(), expected);
        QVERIFY(!vm->marqueeRect());
        QVERIFY(!vm->canUndo());
    }

    void handleDrags_data()
    {
        QTest::addColumn<AnnotationObject>("annotation");
        QTest::addColumn<DragHandle>("handle");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<Points>("points");
        using K = AnnotationKind;
        const auto rect = shape(K::rectangle, {{300, 300}, {100, 100}});
        QTest::newRow("top left past the opposite corner flips")
            << rect << DragHandle::topLeft << QPointF(350, 400) << Points{{300, 300}, {350, 400}};
        QTest::newRow("bottom left") << rect << DragHandle::bottomLeft << QPointF(50, 350)
                                     << Points{{300, 100}, {50, 350}};
        const auto arrow = shape(K::arrow, {{10, 10}, {90, 90}});
        QTest::newRow("arrow start") << arrow << DragHandle::arrowStart << QPointF(0, 50) << Points{{0, 50}, {90, 90}};
        QTest::newRow("arrow end") << arrow << DragHandle::arrowEnd << QPointF(5, 5) << Points{{10, 10}, {5, 5}};
        const auto bubble = shape(K::speechBubble, {{100, 100}, {300, 200}, {156, 255}, {160, 200}});
        QTest::newRow("tail") << bubble << DragHandle::tail << QPointF(400, 300)
                              << Points{{100, 100}, {300, 200}, {400, 300}, {160, 200}};
        QTest::newRow("tail base") << bubble << DragHandle::tailBase << QPointF(300, 150)
                                   << Points{{100, 100}, {300, 200}, {156, 255}, {300, 150}};
        QTest::newRow("tail of a bubble without one") << shape(K::speechBubble, {{0, 0}, {50, 50}})
                                                      << DragHandle::tail << QPointF(9, 9) << Points{{0, 0}, {50, 50}};
        QTest::newRow("body") << rect << DragHandle::body << QPointF(0, 0) << rect.points;
    }
    void handleDrags()
    {
        QFETCH(AnnotationObject, annotation);
        QFETCH(DragHandle, handle);
        QFETCH(QPointF, to);
        QFETCH(Points, points);
        auto vm = selecting({annotation});
        vm->setSelectedAnnotationID(annotation.id);
        vm->beginHandleDrag(handle, annotation.id);
        vm->updateHandleDrag((to + annotation.points[0]) / 2);
        vm->updateHandleDrag(to);
        vm->endSelectionDrag();
        QCOMPARE(vm->state().annotations[0].points, points);
        // A whole drag is one step; a drag that changes nothing is none.
        QCOMPARE(vm->undoCount(), points == annotation.points ? 0 : 1);
    }

    void cursorResize_data()
    {
        QTest::addColumn<DragHandle>("handle");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<double>("size");
        // Arrow hotspot (0.2, 0.13333) at (100, 100).
        QTest::newRow("bottom right") << DragHandle::bottomRight << QPointF(180, 150) << 100.0;
        QTest::newRow("top left, larger estimate along x") << DragHandle::topLeft << QPointF(80, 95) << 100.0;
        QTest::newRow("far away stops at 240") << DragHandle::bottomRight << QPointF(2000, 2000) << 240.0;
        QTest::newRow("onto the hotspot gives 5") << DragHandle::topRight << QPointF(100, 100) << 5.0;
    }
    void cursorResize()
    {
        QFETCH(DragHandle, handle);
        QFETCH(QPointF, to);
        QFETCH(double, size);
        AnnotationObject cursor = shape(AnnotationKind::cursor, {{100, 100}});
        cursor.cursorStyle = QStringLiteral("soft_arrowClick"); // resized like its base picture
        cursor.cursorSize = 60;
        auto vm = selecting({cursor});
        vm->setSelectedAnnotationID(cursor.id);
        vm->beginHandleDrag(handle, cursor.id);
        vm->updateHandleDrag(to);
        vm->endSelectionDrag();
        QVERIFY(qFuzzyCompare(*vm->state().annotations[0].cursorSize, size));
        QVERIFY(qFuzzyCompare(vm->state().cursorSize, size)); // the next cursor takes it
        QCOMPARE(vm->state().annotations[0].points, cursor.points);
    }

    void deleteAndCursorAdoption()
    {
        AnnotationObject cursor = shape(AnnotationKind::cursor, {{100, 100}});
        cursor.cursorStyle = QStringLiteral("wire_pointer");
        cursor.cursorSize = 77;
        cursor.highlightEnabled = true;
        const AnnotationObject rect = shape(AnnotationKind::rectangle, {{0, 0}, {9, 9}});
        AnnotationObject other = cursor;
        other.id = QUuid::createUuid();
        other.cursorSize = 33;
        auto vm = selecting({rect, cursor, other});
        const EditorState before = vm->state();
        vm->deleteSelected();
        QVERIFY(!vm->canUndo());
        vm->setSelectedIDs({cursor.id, other.id});
        vm->setSelectedAnnotationID(rect.id);
        QCOMPARE(vm->state(), before); // several, or no cursor: settings stay
        vm->setSelectedAnnotationID(cursor.id);
        QCOMPARE(vm->state().cursorStyle, QStringLiteral("wire_pointer"));
        QCOMPARE(vm->state().cursorSize, 77.0);
        QVERIFY(vm->state().cursorHighlightEnabled);
        QCOMPARE(vm->state().cursorHighlightSize, before.cursorHighlightSize); // absent: unchanged
        vm->setSelectedIDs({rect.id, other.id});
        vm->deleteSelected();
        QCOMPARE(vm->state().annotations.size(), 1);
        QCOMPARE(vm->undoCount(), 1);
        QVERIFY(vm->selectedIDs().isEmpty());
    }

    void drawingTools_data()
    {
        QTest::addColumn<EditorTool>("tool");
        QTest::addColumn<Points>("drag");
        QTest::addColumn<Points>("points"); // empty: nothing is drawn
        using T = EditorTool;
        QTest::newRow("arrow") << T::arrow << Points{{10, 10}, {50, 50}, {100, 60}} << Points{{10, 10}, {100, 60}};
        QTest::newRow("line of exactly 3") << T::line << Points{{10, 10}, {13, 10}} << Points{{10, 10}, {13, 10}};
        QTest::newRow("rectangle click") << T::rectangle << Points{{10, 10}} << Points{};
        QTest::newRow("ellipse under 3") << T::ellipse << Points{{10, 10}, {12, 12}} << Points{};
        QTest::newRow("freehand keeps every point") << T::freehand << Points{{1, 1}, {2, 2}, {2, 2}, {3, 5}}
                                                    << Points{{1, 1}, {1, 1}, {2, 2}, {2, 2}, {3, 5}};
        QTest::newRow("freehand click is a dot") << T::freehand << Points{{7, 7}} << Points{{7, 7}, {7, 7}};
        QTest::newRow("blur") << T::blur << Points{{300, 300}, {100, 100}} << Points{{300, 300}, {100, 100}};
        QTest::newRow("magnifier") << T::magnifier << Points{{0, 0}, {40, 40}} << Points{{0, 0}, {40, 40}};
        QTest::newRow("speech bubble gets its tail") << T::speechBubble << Points{{100, 100}, {300, 200}}
                                                     << Points{{100, 100}, {300, 200}, {156, 255}, {160, 200}};
        QTest::newRow("low bubble: tail of 30") << T::speechBubble << Points{{100, 100}, {200, 120}}
                                                << Points{{100, 100}, {200, 120}, {128, 150}, {130, 120}};
        QTest::newRow("text tool does not drag") << T::text << Points{{0, 0}, {90, 90}} << Points{};
        QTest::newRow("badge tool does not drag") << T::badge << Points{{0, 0}, {90, 90}} << Points{};
        QTest::newRow("select tool does not draw") << T::select << Points{{0, 0}, {90, 90}} << Points{};
    }
    void drawingTools()
    {
        QFETCH(EditorTool, tool);
        QFETCH(Points, drag);
        QFETCH(Points, points);
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(tool);
        vm.setLineWidth(1);
        vm.setDashed(true);
        vm.setCornerRadius(6);
        vm.beginDrag(drag.first());
        for (QPointF p : drag)
            vm.updateDrag(p);
        QCOMPARE(vm.draftAnnotation().has_value(), !drag.isEmpty() && annotationKind(tool)
                                                        && tool != EditorTool::text && tool != EditorTool::badge);
        vm.endDrag();
        QVERIFY(!vm.draftAnnotation());
        if (points.isEmpty()) {
            QVERIFY(vm.state().annotations.isEmpty());
            QVERIFY(!vm.canUndo());
            return;
        }
        QCOMPARE(vm.state().annotations.size(), 1);
        const AnnotationObject& a = vm.state().annotations.first();
        QCOMPARE(a.kind, *annotationKind(tool));
        QCOMPARE(a.points, points);
        QCOMPARE(vm.selectedAnnotationID(), std::optional(a.id));
        QCOMPARE(vm.undoCount(), 1);
        QCOMPARE(a.color, vm.state().selectedColor);
        // Each kind takes the settings that apply to it, and only those.
        const bool lined = tool == EditorTool::arrow || tool == EditorTool::line;
        QCOMPARE(a.dashed.has_value(), lined);
        QCOMPARE(a.lineWidth, tool == EditorTool::speechBubble ? 2.0 : 1.0);
        QCOMPARE(a.blurAmount, tool == EditorTool::blur ? std::optional(30.0) : std::optional<double>());
        QCOMPARE(a.magnification, tool == EditorTool::magnifier ? std::optional(2.2) : std::optional<double>());
        if (tool == EditorTool::speechBubble) {
            QCOMPARE(a.text, std::optional(QString()));
            QCOMPARE(a.bubbleStyle, std::optional(SpeechBubbleStyle::rounded));
            QCOMPARE(vm.editingBubbleID(), std::optional(a.id)); // its words are typed right away
        }
    }

    void rectangleFill()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::rectangle);
        vm.setCornerRadius(6);
        for (bool fill : {false, true}) {
            vm.setFillEnabled(fill);
            vm.beginDrag({0, 0});
            vm.updateDrag({50, 50});
            vm.endDrag();
            const AnnotationObject& a = vm.state().annotations.last();
            QCOMPARE(a.fillColor, fill ? std::optional(vm.state().fillColor) : std::optional<RGBAColor>());
            QCOMPARE(a.cornerRadius, std::optional(6.0));
        }
    }

    void badgesAndCursors()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::badge);
        const auto numbers = [&] {
            QList<qint64> n;
            for (const AnnotationObject& a : vm.state().annotations)
                n.append(a.badgeNumber.value_or(-1));
            return n;
        };
        for (int i = 0; i < 3; ++i)
            vm.placeBadge({10.0 * i, 10});
        QCOMPARE(numbers(), (QList<qint64>{1, 2, 3}));
        QCOMPARE(vm.selectedAnnotationID(), std::optional(vm.state().annotations.last().id));
        vm.setSelectedAnnotationID(vm.state().annotations[1].id);
        vm.deleteSelected(); // numbers are never reused below the highest
        vm.placeBadge({50, 50});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
        vm.setSelectedAnnotationID(vm.state().annotations.last().id);
        vm.deleteSelected();
        vm.placeBadge({60, 60});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
        QCOMPARE(vm.state().annotations.last().badgeSize, std::optional(44.0));

        vm.setTool(EditorTool::cursor);
        vm.setCursorHighlightEnabled(true);
        const EditorState before = vm.state();
        vm.placeCursor({200, 200});
        const AnnotationObject& c = vm.state().annotations.last();
        QCOMPARE(c.points, (Points{{200, 200}}));
        QCOMPARE(c.cursorStyle, std::optional(QStringLiteral("solid_arrow")));
        QCOMPARE(c.cursorSize, std::optional(before.cursorSize));
        QCOMPARE(c.highlightEnabled, std::optional(true));
        QCOMPARE(vm.selectedAnnotationID(), std::optional(c.id));
        // Selecting it adopts its settings back: nothing changes.
        QCOMPARE(vm.state().cursorSize, before.cursorSize);
        QCOMPARE(vm.state().cursorHighlightColor, before.cursorHighlightColor);
    }
};

ZENTU_TEST_MAIN(tst_EditorGestures)
#include "tst_editorgestures.moc"
