// Drawing with the annotation tools: what every drawing tool's drag adds (or
// not), with the one undo step it takes, and the numbers of placed badges.
#include "Editor/EditorSession.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/IsolatedEnvironment.h"

namespace {

using Points = QList<QPointF>;
using K = AnnotationKind;

} // namespace

class tst_DrawingGesture : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

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
};

ZENTU_TEST_MAIN(tst_DrawingGesture)
#include "tst_drawinggesture.moc"
