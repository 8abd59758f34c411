// The editor model's undo history with its restore rules,
// tool switching and style edits on the selection, with their undo steps.
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

    void colourAndFillSpecialCases()
    {
        const AnnotationObject cursor = shape(K::cursor, {{5, 5}});
        const AnnotationObject rect = shape(K::rectangle, {{0, 0}, {9, 9}});
        EditorViewModel vm(image, itemWith({cursor, rect}), env);
        const RGBAColor blue{0, 0, 1, 1}, red{1, 0, 0, 1};
        vm.setColor(blue); // another tool: the next cursor's highlight stays
        QVERIFY(vm.state().cursorHighlightColor != blue);
        vm.setTool(EditorTool::cursor);
        vm.setColor(red);
        QCOMPARE(vm.state().cursorHighlightColor, red);
        vm.setSelectedIDs({cursor.id, rect.id});
        vm.setFillEnabled(true);
        vm.setFillEnabled(false); // takes the fill away again
        QVERIFY(!vm.state().annotations[1].fillColor);
        vm.setFillColor(blue); // also turns filling on
        QVERIFY(vm.state().fillEnabled);
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
};

ZENTU_TEST_MAIN(tst_EditorViewModel)
#include "tst_editorviewmodel.moc"
