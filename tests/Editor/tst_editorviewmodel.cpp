// The editor model: the undo history with its restore rules, style edits on
// the selection, and pointer gestures (hit tolerances per kind, clicks, moves
// and marquees with the select tool, handle drags, what every drawing tool's
// drag adds), with the undo steps they take.
#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorViewModel.h"
#include "Editor/TextEntry.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>
#include <functional>

namespace {

using Action = std::function<void(EditorViewModel&)>;
using Points = QList<QPointF>;
using K = AnnotationKind;

// One annotation of every kind, in kind order.
QList<AnnotationObject> oneOfEach()
{
    QList<AnnotationObject> list;
    for (K k : allCases<K>())
        list.append(shape(k, {{10, 10}, {60, 60}}));
    return list;
}

QSet<QUuid> idsOf(const QList<AnnotationObject>& list)
{
    QSet<QUuid> ids;
    for (const AnnotationObject& a : list)
        ids.insert(a.id);
    return ids;
}

AnnotationObject with(AnnotationObject a, const std::function<void(AnnotationObject&)>& change)
{
    change(a);
    return a;
}

} // namespace

class tst_EditorViewModel : public QObject {
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
    // Begin, updates from the press point on, end: as the canvas calls them.
    static void drag(EditorViewModel& vm, QPointF from, QPointF to)
    {
        vm.beginSelectionDrag(from);
        for (QPointF p : {from, (from + to) / 2, to})
            vm.updateSelectionDrag(p);
        vm.endSelectionDrag();
    }

private Q_SLOTS:
    void undoKeepsTheLastHundredSteps()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.undo(); // nothing to undo or redo: nothing happens
        vm.redo();
        for (int i = 0; i < 101; ++i)
            vm.placeBadge({double(i), 5});
        QCOMPARE(vm.undoCount(), 100);
        while (vm.canUndo())
            vm.undo();
        QCOMPARE(vm.state().annotations.size(), 1); // the state before the first step is gone
        while (vm.canRedo())
            vm.redo();
        QCOMPARE(vm.state().annotations.size(), 101);
    }

    void undoRestoresAnnotationsOnly()
    {
        EditorViewModel vm(image, std::nullopt, env);
        QSignalSpy imageSpy(&vm, &EditorViewModel::imageChanged);
        vm.placeBadge({5, 5});
        vm.placeBadge({50, 5});
        vm.setTool(EditorTool::select);
        vm.setSelectedAnnotationID(vm.state().annotations.first().id);
        vm.setLineWidth(9);
        vm.undo();
        QCOMPARE(vm.state().annotations.first().lineWidth, 4.0);
        QCOMPARE(vm.state().lineWidth, 9.0); // settings are not history
        QVERIFY(vm.selectedIDs().isEmpty());
        QCOMPARE(imageSpy.count(), 0); // same image: untouched
        vm.undo();
        vm.placeBadge({9, 9}); // a new step ends redo
        QVERIFY(!vm.canRedo());
    }

    void resetAllIsOneStep()
    {
        const QList<AnnotationObject> stored = oneOfEach();
        EditorViewModel vm(image, itemWith(stored), env);
        QCOMPARE(vm.state().annotations, stored); // opened with the entry's annotations
        vm.setSelectedAnnotationID(stored.first().id);
        vm.resetAll();
        QVERIFY(vm.state().annotations.isEmpty() && vm.selectedIDs().isEmpty());
        vm.resetAll(); // nothing left: no step
        QCOMPARE(vm.undoCount(), 1);
        vm.undo();
        QCOMPARE(vm.state().annotations, stored);
    }

    void undoInTheMiddleOfAMove()
    {
        EditorViewModel vm(image, itemWith({shape(K::line, {{10, 10}, {100, 10}})}), env);
        vm.setTool(EditorTool::select);
        vm.beginSelectionDrag({50, 10});
        vm.updateSelectionDrag({50, 30});
        vm.undo();
        // The rest of the drag is a step of its own and ends redo.
        vm.updateSelectionDrag({50, 40});
        vm.endSelectionDrag();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 20));
        QVERIFY(!vm.canRedo());
        vm.undo();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 10));
    }

    // Setters of each reach (every kind, strokes, one kind), first with nothing
    // selected, then with one annotation of every kind selected: the kinds it
    // changes, as one undo step.
    void styleSettersOnTheSelection()
    {
        const RGBAColor blue{0, 0, 1, 1};
        const auto kinds = allCases<K>();
        const QList<K> all(kinds.begin(), kinds.end());
        QList<K> allButText = all;
        allButText.removeAll(K::text);
        const struct { const char* name; Action set; QList<K> changed; } cases[] = {
            {"colour", [=](auto& vm) { vm.setColor(blue); }, all},
            {"line width", [](auto& vm) { vm.setLineWidth(8); }, allButText},
            {"blur amount", [](auto& vm) { vm.setBlurAmount(50); }, {K::blur}},
            {"dashed", [](auto& vm) { vm.setDashed(true); }, {K::arrow, K::line, K::rectangle, K::ellipse}},
            {"fill colour", [=](auto& vm) { vm.setFillColor(blue); }, {K::rectangle, K::ellipse}},
            {"font size", [](auto& vm) { vm.setFontSize(40); }, {K::text, K::speechBubble}},
        };
        for (const auto& c : cases) {
            const QList<AnnotationObject> before = oneOfEach();
            EditorViewModel vm(image, itemWith(before), env);
            const EditorState defaults = vm.state();
            c.set(vm);
            QVERIFY2(!(vm.state() == defaults) && !vm.canUndo(), c.name); // only the tool default
            vm.setSelectedIDs(idsOf(before));
            c.set(vm);
            QList<K> seen;
            for (qsizetype i = 0; i < before.size(); ++i)
                if (!(vm.state().annotations[i] == before[i]))
                    seen.append(before[i].kind);
            QVERIFY2(seen == c.changed && vm.undoCount() == 1, c.name);
            vm.undo();
            QVERIFY2(vm.state().annotations == before, c.name);
        }
    }

    void aColourWithTheCursorToolIsTheHighlights()
    {
        EditorViewModel vm(image, std::nullopt, env);
        const RGBAColor blue{0, 0, 1, 1}, red{1, 0, 0, 1};
        vm.setColor(blue); // another tool: the next cursor's highlight stays
        QVERIFY(vm.state().cursorHighlightColor != blue);
        vm.setTool(EditorTool::cursor);
        vm.setColor(red);
        QCOMPARE(vm.state().cursorHighlightColor, red);
    }

    void editsThatChangeNothingLeaveNoStep()
    {
        AnnotationObject text = shape(K::text, {{5, 5}});
        EditorViewModel vm(image, itemWith({text, shape(K::arrow, {{0, 0}, {9, 9}})}), env);
        vm.setSelectedAnnotationID(text.id);
        vm.setBlurAmount(50); // no blur area selected
        vm.setLineWidth(8);   // texts have no line width
        vm.setSelectedAnnotationID(vm.state().annotations[1].id);
        vm.setLineWidth(4); // already 4
        vm.beginStyleEdit(); // a slider pressed and released without a move
        vm.endStyleEdit();
        vm.setSelectedIDs({});
        vm.beginStyleEdit(); // a slider dragged with nothing selected
        vm.setLineWidth(20);
        vm.endStyleEdit();
        QVERIFY(!vm.canUndo());
        QCOMPARE(vm.state().lineWidth, 20.0);
    }

    // A slider edit whose end never arrives must not swallow later edits.
    void openStyleEditCloses()
    {
        const struct { const char* name; Action interrupt; } cases[] = {
            {"tool change", [](auto& vm) { vm.setTool(EditorTool::select); }},
            {"selection change", [](auto& vm) { vm.setSelectedIDs(idsOf(vm.state().annotations)); }},
            {"undo", [](auto& vm) { vm.undo(); }},
            {"window close", [](auto& vm) { vm.windowWillClose(); }},
        };
        for (const auto& c : cases) {
            EditorViewModel vm(image, itemWith(oneOfEach()), env);
            vm.setTool(EditorTool::select);
            vm.setSelectedAnnotationID(vm.state().annotations[0].id);
            vm.beginStyleEdit();
            vm.setLineWidth(10); // the slider's release never arrives
            c.interrupt(vm);
            QVERIFY2(!vm.isCoalescingStyleEdit(), c.name);
            vm.setSelectedAnnotationID(vm.state().annotations[0].id);
            const qsizetype steps = vm.undoCount();
            vm.setLineWidth(20); // keyboard steps: each a step of its own
            vm.setLineWidth(21);
            QVERIFY2(vm.undoCount() == steps + 2, c.name);
        }
    }

    void hitTolerances()
    {
        // Strokes are hit within their width plus a margin; the fake text metrics make "Hallo" 70 × 35.
        const auto thick = shape(K::arrow, {{0, 100}, {200, 100}}, 20);
        const auto big = shape(K::rectangle, {{100, 100}, {300, 300}});
        const auto stroke = shape(K::freehand, {{0, 0}, {100, 0}, {100, 100}});
        const auto text = with(shape(K::text, {{100, 100}}), [](auto& a) { a.text = QStringLiteral("Hallo"); });
        const auto bubble = shape(K::speechBubble, {{100, 100}, {200, 150}});
        // Box (90, 93.5) to (140, 143.5) with the default hotspot.
        const auto cursor = with(shape(K::cursor, {{100, 100}}), [](auto& a) { a.cursorSize = 50; });
        const struct { const char* name; AnnotationObject a; QPointF p; bool hit; } cases[] = {
            {"width 20 arrow at 24", thick, {100, 124}, true},
            {"width 20 arrow at 25", thick, {100, 125}, false},
            {"arrow with one point", shape(K::arrow, {{0, 0}}), {0, 0}, false},
            {"big rectangle, inside", big, {200, 200}, false},
            {"big rectangle, inner band", big, {111, 200}, true},
            {"small rectangle, inside", shape(K::rectangle, {{100, 100}, {120, 120}}), {110, 110}, true},
            {"freehand inside the bend", stroke, {50, 50}, false},
            {"text box", text, {180, 140}, true},
            {"bubble inside", bubble, {199, 149}, true},
            {"cursor within tolerance", cursor, {80, 100}, true},
        };
        const AnnotationHitTest hitTest(env);
        for (const auto& c : cases)
            QVERIFY2(hitTest.hits(c.a, c.p) == c.hit, c.name);
    }

    void clicksAndMoves()
    {
        const auto a = shape(K::rectangle, {{100, 100}, {200, 200}});
        const auto b = shape(K::ellipse, {{150, 150}, {250, 250}});
        const auto c = shape(K::line, {{400, 400}, {500, 400}});
        auto vm = selecting({a, b, c});
        drag(*vm, {180, 180}, {180, 180}); // a click in the overlap: the one on top wins
        QCOMPARE(vm->selectedAnnotationID(), std::optional(b.id));
        QVERIFY(!vm->canUndo()); // no movement, no step
        vm->setSelectedIDs({b.id, c.id});
        drag(*vm, {450, 400}, {460, 420}); // on part of the selection: all move
        QCOMPARE(vm->state().annotations[1].points, (Points{{160, 170}, {260, 270}}));
        QCOMPARE(vm->state().annotations[2].points, (Points{{410, 420}, {510, 420}}));
        QCOMPARE(vm->state().annotations[0].points, a.points);
        QCOMPARE(vm->undoCount(), 1);
        drag(*vm, {700, 50}, {700, 50}); // empty canvas
        QVERIFY(vm->selectedIDs().isEmpty());
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
            auto vm = selecting(list);
            vm->setSelectedAnnotationID(list[1].id); // a marquee replaces the selection
            drag(*vm, c.from, c.to);
            QSet<QUuid> expected;
            for (int i : c.selected)
                expected.insert(list[i].id);
            QVERIFY2(vm->selectedIDs() == expected && !vm->marqueeRect(), c.name);
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
            auto vm = selecting({c.a});
            vm->setSelectedAnnotationID(c.a.id);
            vm->beginHandleDrag(c.handle, c.a.id);
            vm->updateHandleDrag((c.to + c.a.points[0]) / 2);
            vm->updateHandleDrag(c.to);
            vm->endSelectionDrag();
            QVERIFY2(vm->state().annotations[0].points == c.points, c.name);
            // A whole drag is one step; one that changes nothing is none.
            QVERIFY2(vm->undoCount() == (c.points == c.a.points ? 0 : 1), c.name);
        }
    }

    void cursorResizeKeepsItsPointAndStopsGrowing()
    {
        const auto cursor = with(shape(K::cursor, {{100, 100}}), [](auto& a) { a.cursorSize = 60; });
        auto vm = selecting({cursor});
        vm->setSelectedAnnotationID(cursor.id);
        vm->beginHandleDrag(DragHandle::bottomRight, cursor.id);
        vm->updateHandleDrag({2000, 2000});
        vm->endSelectionDrag();
        QCOMPARE(*vm->state().annotations[0].cursorSize, 240.0);
        QCOMPARE(vm->state().cursorSize, 240.0); // the next cursor takes it
        QCOMPARE(vm->state().annotations[0].points, cursor.points);
    }

    void deleteAndCursorAdoption()
    {
        const auto cursor = with(shape(K::cursor, {{100, 100}}), [](auto& a) {
            a.cursorStyle = QStringLiteral("wire_pointer");
            a.cursorSize = 77;
        });
        const auto other = with(cursor, [](auto& a) { a.id = QUuid::createUuid(); });
        const auto rect = shape(K::rectangle, {{0, 0}, {9, 9}});
        auto vm = selecting({rect, cursor, other});
        const EditorState before = vm->state();
        vm->deleteSelected();
        QVERIFY(!vm->canUndo());
        vm->setSelectedIDs({cursor.id, other.id});
        QCOMPARE(vm->state(), before); // several: settings stay
        vm->setSelectedAnnotationID(cursor.id); // one cursor: the tool takes its settings
        QCOMPARE(vm->state().cursorStyle, QStringLiteral("wire_pointer"));
        QCOMPARE(vm->state().cursorSize, 77.0);
        vm->setSelectedIDs({rect.id, other.id});
        vm->deleteSelected();
        QCOMPARE(vm->state().annotations, QList<AnnotationObject>{cursor});
        QCOMPARE(vm->undoCount(), 1);
    }

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
            EditorViewModel vm(image, std::nullopt, env);
            TextEntry entry(vm, env); // a drawn bubble's words open at once
            vm.setTool(c.tool);
            vm.beginDrag(c.drag.first());
            for (QPointF p : c.drag)
                vm.updateDrag(p);
            vm.endDrag();
            QVERIFY2(!vm.draftAnnotation(), c.name);
            if (c.points.isEmpty()) {
                QVERIFY2(vm.state().annotations.isEmpty() && !vm.canUndo(), c.name);
                continue;
            }
            QVERIFY2(vm.state().annotations.size() == 1 && vm.undoCount() == 1, c.name);
            const AnnotationObject& a = vm.state().annotations.first();
            QVERIFY2(a.kind == *annotationKind(c.tool) && a.points == c.points, c.name);
            QVERIFY2(vm.selectedAnnotationID() == a.id && a.color == vm.state().selectedColor, c.name);
            if (c.tool == T::speechBubble) // its words are typed right away
                QVERIFY2(a.text == QString() && vm.editingBubbleID() == a.id, c.name);
        }
    }

    void badgeNumbers()
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
        vm.setSelectedAnnotationID(vm.state().annotations[1].id);
        vm.deleteSelected(); // numbers are never reused below the highest
        vm.placeBadge({50, 50});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
        vm.deleteSelected(); // the highest one deleted: its number comes back
        vm.placeBadge({60, 60});
        QCOMPARE(numbers(), (QList<qint64>{1, 3, 4}));
    }
};

ZENTU_TEST_MAIN(tst_EditorViewModel)
#include "tst_editorviewmodel.moc"
