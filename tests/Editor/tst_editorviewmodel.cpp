// The editor model: the undo history with its restore rules, style edits on
// the selection, hit tolerances per kind, deletion and a selected cursor's
// settings, with the undo steps they take.
#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorViewModel.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>
#include <functional>

namespace {

using Action = std::function<void(EditorViewModel&)>;
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

// One undo step that adds an annotation.
void addBadge(EditorViewModel& vm, QPointF at)
{
    vm.addAnnotation(vm.newAnnotation(K::badge, {at}));
}

} // namespace

class tst_EditorViewModel : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    void undoKeepsTheLastHundredSteps()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.undo(); // nothing to undo or redo: nothing happens
        vm.redo();
        for (int i = 0; i < 101; ++i)
            addBadge(vm, {double(i), 5});
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
        addBadge(vm, {5, 5});
        addBadge(vm, {50, 5});
        vm.setTool(EditorTool::select);
        vm.setSelectedAnnotationID(vm.state().annotations.first().id);
        vm.setLineWidth(9);
        vm.undo();
        QCOMPARE(vm.state().annotations.first().lineWidth, 4.0);
        QCOMPARE(vm.state().lineWidth, 9.0); // settings are not history
        QVERIFY(vm.selectedIDs().isEmpty());
        QCOMPARE(imageSpy.count(), 0); // same image: untouched
        vm.undo();
        addBadge(vm, {9, 9}); // a new step ends redo
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
        const struct { const char* name; std::function<void(EditorSession&)> interrupt; } cases[] = {
            {"tool change", [](auto& s) { s.model().setTool(EditorTool::select); }},
            {"selection change", [](auto& s) { s.model().setSelectedIDs(idsOf(s.model().state().annotations)); }},
            {"undo", [](auto& s) { s.model().undo(); }},
            {"window close", [](auto& s) { s.windowWillClose(); }},
        };
        for (const auto& c : cases) {
            EditorSession session(image, itemWith(oneOfEach()), env);
            EditorViewModel& vm = session.model();
            vm.setTool(EditorTool::select);
            vm.setSelectedAnnotationID(vm.state().annotations[0].id);
            vm.beginStyleEdit();
            vm.setLineWidth(10); // the slider's release never arrives
            c.interrupt(session);
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

    void deleteAndCursorAdoption()
    {
        const auto cursor = with(shape(K::cursor, {{100, 100}}), [](auto& a) {
            a.cursorStyle = QStringLiteral("wire_pointer");
            a.cursorSize = 77;
        });
        const auto other = with(cursor, [](auto& a) { a.id = QUuid::createUuid(); });
        const auto rect = shape(K::rectangle, {{0, 0}, {9, 9}});
        EditorViewModel vm(image, itemWith({rect, cursor, other}), env);
        vm.setTool(EditorTool::select);
        const EditorState before = vm.state();
        vm.deleteSelected();
        QVERIFY(!vm.canUndo());
        vm.setSelectedIDs({cursor.id, other.id});
        QCOMPARE(vm.state(), before); // several: settings stay
        vm.setSelectedAnnotationID(cursor.id); // one cursor: the tool takes its settings
        QCOMPARE(vm.state().cursorStyle, QStringLiteral("wire_pointer"));
        QCOMPARE(vm.state().cursorSize, 77.0);
        vm.setSelectedIDs({rect.id, other.id});
        vm.deleteSelected();
        QCOMPARE(vm.state().annotations, QList<AnnotationObject>{cursor});
        QCOMPARE(vm.undoCount(), 1);
    }
};

ZENTU_TEST_MAIN(tst_EditorViewModel)
#include "tst_editorviewmodel.moc"
