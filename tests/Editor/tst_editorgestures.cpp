// The editor's gestures on its model: what every drawing tool's drag adds (or
// not), with the one undo step it takes, and the numbers of placed badges; the
// select tool's clicks, moves and marquees, drags on the grips of every kind
// that has them, and the undo steps they take, also when undone while the
// drag goes on.
#include "Editor/EditorSession.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

namespace {

using Points = QList<QPointF>;
using K = AnnotationKind;

} // namespace

class tst_EditorGestures : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

    // An editor with the select tool on the given annotations.
    std::unique_ptr<EditorSession> selecting(const QList<AnnotationObject>& annotations)
    {
        auto s = std::make_unique<EditorSession>(image, itemWith(annotations), env);
        s->model().setTool(EditorTool::select);
        return s;
    }
    // Begin, updates from the press point on, end: as the canvas calls them.
    static void drag(EditorSession& s, QPointF from, QPointF to)
    {
        s.selectionDrag().begin(from);
        for (QPointF p : {from, (from + to) / 2, to})
            s.selectionDrag().update(p);
        s.selectionDrag().end();
    }

private Q_SLOTS:
    void drawingTools()
    {
        using T = EditorTool;
        // The pointer's path (begin at the first point, then every point as an
        // update) and the points drawn; none when nothing is drawn.
        const struct { const char* name; T tool; Points drag, points; } cases[] = {
            {"arrow", T::arrow, {{10, 10}, {50, 50}, {100, 60}}, {{10, 10}, {100, 60}}},
            {"line of exactly 3", T::line, {{10, 10}, {13, 10}}, {{10, 10}, {13, 10}}},
            {"ellipse under 3", T::ellipse, {{10, 10}, {12, 12}}, {}},
            {"rectangle", T::rectangle, {{10, 10}, {60, 40}}, {{10, 10}, {60, 40}}},
            {"freehand keeps every point", T::freehand, {{1, 1}, {2, 2}, {2, 2}}, {{1, 1}, {1, 1}, {2, 2}, {2, 2}}},
            {"freehand click is a dot", T::freehand, {{7, 7}}, {{7, 7}, {7, 7}}},
            {"blur", T::blur, {{300, 300}, {100, 100}}, {{300, 300}, {100, 100}}},
            {"bubble gets its tail", T::speechBubble, {{100, 100}, {300, 200}},
             {{100, 100}, {300, 200}, {156, 255}, {160, 200}}},
            {"text tool does not drag", T::text, {{0, 0}, {90, 90}}, {}},
        };
        for (const auto& c : cases) {
            EditorSession s(image, std::nullopt, env);
            EditorViewModel& vm = s.model();
            DrawingGesture& drawing = s.drawing();
            vm.setTool(c.tool);
            drawing.beginDrag(c.drag.first());
            for (QPointF p : c.drag)
                drawing.updateDrag(p);
            drawing.endDrag();
            QVERIFY2(!drawing.draft(), c.name);
            if (c.points.isEmpty()) {
                QVERIFY2(vm.state().annotations.isEmpty() && !vm.canUndo(), c.name);
                continue;
            }
            QVERIFY2(vm.state().annotations.size() == 1 && vm.undoCount() == 1, c.name);
            const AnnotationObject& a = vm.state().annotations.first();
            QVERIFY2(a.kind == *annotationKind(c.tool) && a.points == c.points, c.name);
            QVERIFY2(vm.selectedAnnotationID() == a.id && a.color == vm.state().selectedColor, c.name);
            if (c.tool == T::speechBubble) // its words are typed right away
                QVERIFY2(a.text == QString() && s.textEntry().editingBubbleID() == a.id, c.name);
        }
    }

    void badgeNumbers()
    {
        EditorSession s(image, std::nullopt, env);
        EditorViewModel& vm = s.model();
        vm.setTool(EditorTool::badge);
        const auto numbers = [&] {
            QList<qint64> n;
            for (const AnnotationObject& a : vm.state().annotations)
                n.append(a.badgeNumber.value_or(-1));
            return n;
        };
        for (int i = 0; i < 3; ++i)
            s.drawing().place(K::badge, {10.0 * i, 10});
        QCOMPARE(numbers(), (QList<qint64>{1, 2, 3}));
        vm.setSelectedAnnotationID(vm.state().annotations[1].id);
        vm.deleteSelected(); // numbers are never reused below the highest
        s.drawing().place(K::badge, {50, 50});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
        vm.deleteSelected(); // the highest one deleted: its number comes back
        s.drawing().place(K::badge, {60, 60});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
    }
    void undoInTheMiddleOfAMove()
    {
        auto s = selecting({shape(K::line, {{10, 10}, {100, 10}})});
        EditorViewModel& vm = s->model();
        SelectionDrag& drag = s->selectionDrag();
        drag.begin({50, 10});
        drag.update({50, 30});
        vm.undo();
        // The rest of the drag is a step of its own and ends redo.
        drag.update({50, 40});
        drag.end();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 20));
        QVERIFY(!vm.canRedo());
        vm.undo();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 10));
    }

    void clicksAndMoves()
    {
        const auto a = shape(K::rectangle, {{100, 100}, {200, 200}});
        const auto b = shape(K::ellipse, {{150, 150}, {250, 250}});
        const auto c = shape(K::line, {{400, 400}, {500, 400}});
        auto s = selecting({a, b, c});
        drag(*s, {180, 180}, {180, 180}); // a click in the overlap: the one on top wins
        QCOMPARE(s->model().selectedAnnotationID(), std::optional(b.id));
        QVERIFY(!s->model().canUndo()); // no movement, no step
        s->model().setSelectedIDs({b.id, c.id});
        drag(*s, {450, 400}, {460, 420}); // on part of the selection: all move
        QCOMPARE(s->model().state().annotations[1].points, (Points{{160, 170}, {260, 270}}));
        QCOMPARE(s->model().state().annotations[2].points, (Points{{410, 420}, {510, 420}}));
        QCOMPARE(s->model().state().annotations[0].points, a.points);
        QCOMPARE(s->model().undoCount(), 1);
        drag(*s, {700, 50}, {700, 50}); // empty canvas
        QVERIFY(s->model().selectedIDs().isEmpty());
    }

    void marquee()
    {
        // Bounding boxes (96, 96)–(204, 204) and (396, 396)–(504, 504); every
        // drag starts on empty canvas, away from the strokes.
        const QList<AnnotationObject> list{shape(K::arrow, {{100, 100}, {200, 200}}),
                                           shape(K::line, {{400, 400}, {500, 500}})};
        const struct { const char* name; QPointF from, to; QList<int> selected; } cases[] = {
            {"2 × 2 selects nothing", {200, 96}, {202, 98}, {}},
            {"backwards over two", {600, 100}, {150, 450}, {0, 1}},
            {"no width, on an edge", {204, 150}, {204, 160}, {0}},
        };
        for (const auto& c : cases) {
            auto s = selecting(list);
            s->model().setSelectedAnnotationID(list[1].id); // a marquee replaces the selection
            drag(*s, c.from, c.to);
            QSet<QUuid> expected;
            for (int i : c.selected)
                expected.insert(list[i].id);
            QVERIFY2(s->model().selectedIDs() == expected && !s->selectionDrag().marqueeRect(), c.name);
        }
    }

    void handleDrags()
    {
        const auto rect = shape(K::rectangle, {{300, 300}, {100, 100}});
        const auto arrow = shape(K::arrow, {{10, 10}, {90, 90}});
        const auto bubble = shape(K::speechBubble, {{100, 100}, {300, 200}, {156, 255}, {160, 200}});
        const struct { const char* name; AnnotationObject a; DragHandle handle; QPointF to; Points points; } cases[] = {
            // Half-way the rectangle has flipped already; the far corner stays all along.
            {"top left past the opposite corner", rect, DragHandle::topLeft, {350, 400}, {{300, 300}, {350, 400}}},
            {"arrow start", arrow, DragHandle::arrowStart, {0, 50}, {{0, 50}, {90, 90}}},
            {"tail", bubble, DragHandle::tail, {400, 300}, {{100, 100}, {300, 200}, {400, 300}, {160, 200}}},
            {"tail of a bubble without one", shape(K::speechBubble, {{0, 0}, {50, 50}}), DragHandle::tail, {9, 9},
             {{0, 0}, {50, 50}}},
            {"body", rect, DragHandle::body, {0, 0}, rect.points},
        };
        for (const auto& c : cases) {
            auto s = selecting({c.a});
            s->model().setSelectedAnnotationID(c.a.id);
            s->selectionDrag().beginHandleDrag(c.handle, c.a.id);
            s->selectionDrag().updateHandleDrag((c.to + c.a.points[0]) / 2);
            s->selectionDrag().updateHandleDrag(c.to);
            s->selectionDrag().end();
            QVERIFY2(s->model().state().annotations[0].points == c.points, c.name);
            // A whole drag is one step; one that changes nothing is none.
            QVERIFY2(s->model().undoCount() == (c.points == c.a.points ? 0 : 1), c.name);
        }
    }

    void cursorResizeKeepsItsPointAndStopsGrowing()
    {
        AnnotationObject cursor = shape(K::cursor, {{100, 100}});
        cursor.cursorSize = 60;
        auto s = selecting({cursor});
        s->model().setSelectedAnnotationID(cursor.id);
        s->selectionDrag().beginHandleDrag(DragHandle::bottomRight, cursor.id);
        s->selectionDrag().updateHandleDrag({2000, 2000});
        s->selectionDrag().end();
        QCOMPARE(*s->model().state().annotations[0].cursorSize, 240.0);
        QCOMPARE(s->model().state().cursorSize, 240.0); // the next cursor takes it
        QCOMPARE(s->model().state().annotations[0].points, cursor.points);
    }
};

ZENTU_TEST_MAIN(tst_EditorGestures)
#include "tst_editorgestures.moc"
