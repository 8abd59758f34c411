// The select tool's drags: clicks, moves and marquees, drags on the grips of
// every kind that has them, and the undo steps they take, also when undone
// while the drag goes on.
#include "Editor/EditorSession.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <functional>

namespace {

using Points = QList<QPointF>;
using K = AnnotationKind;

AnnotationObject with(AnnotationObject a, const std::function<void(AnnotationObject&)>& change)
{
    change(a);
    return a;
}

} // namespace

class tst_SelectionDrag : public QObject {
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
        const auto cursor = with(shape(K::cursor, {{100, 100}}), [](auto& a) { a.cursorSize = 60; });
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

ZENTU_TEST_MAIN(tst_SelectionDrag)
#include "tst_selectiondrag.moc"
