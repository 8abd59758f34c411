// The editor model's opening state, undo history with its restore rules,
// tool switching and style edits on the selection, with their undo steps.
#include "Editor/EditorViewModel.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>
#include <functional>

namespace {

AnnotationObject shape(AnnotationKind kind, QList<QPointF> points)
{
    AnnotationObject a;
    a.kind = kind;
    a.lineWidth = 4;
    a.points = std::move(points);
    return a;
}

// One annotation of every kind, in kind order.
QList<AnnotationObject> oneOfEach()
{
    QList<AnnotationObject> list;
    for (AnnotationKind k : allCases<AnnotationKind>())
        list.append(shape(k, {{10, 10}, {60, 60}}));
    return list;
}

ScreenshotItem itemWith(const QList<AnnotationObject>& annotations)
{
    ScreenshotItem item;
    item.annotations = annotations;
    return item;
}

} // namespace

class tst_EditorViewModel : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    void openingState_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("cursorSize");
        QTest::addColumn<double>("highlightSize");
        QTest::newRow("narrow image: at least 24") << 400 << 24.0 << 33.6;
        QTest::newRow("5 % of the width") << 1000 << 50.0 << 70.0;
        QTest::newRow("wide image: at most 90") << 3000 << 90.0 << 126.0;
    }
    void openingState()
    {
        QFETCH(int, width);
        QFETCH(double, cursorSize);
        QFETCH(double, highlightSize);
        EditorViewModel vm(QImage(width, 10, QImage::Format_RGB32), std::nullopt, env);
        QCOMPARE(vm.imagePixelSize(), QSizeF(width, 10));
        QCOMPARE(vm.state().cursorSize, cursorSize);
        QVERIFY(qFuzzyCompare(vm.state().cursorHighlightSize, highlightSize));
        QCOMPARE(vm.state().selectedTool, EditorTool::arrow);
        QVERIFY(vm.state().annotations.isEmpty());
        QVERIFY(!vm.canUndo() && !vm.canRedo());
    }

    void openingAnnotationsComeFromTheItem()
    {
        const QList<AnnotationObject> stored = oneOfEach();
        EditorViewModel vm(image, itemWith(stored), env);
        QCOMPARE(vm.state().annotations, stored);
        EditorViewModel empty(image, itemWith({}), env);
        QVERIFY(empty.state().annotations.isEmpty());
    }

    void undoKeepsTheLastHundredSteps()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.undo(); // nothing to undo: nothing happens
        vm.redo();
        QVERIFY(vm.state().annotations.isEmpty());
        for (int i = 0; i < 101; ++i)
            vm.placeBadge({double(i), 5});
        int undos = 0;
        while (vm.canUndo()) {
            vm.undo();
            ++undos;
        }
        QCOMPARE(undos, 100);
        // The state before the first step is out of reach.
        QCOMPARE(vm.state().annotations.size(), 1);
        while (vm.canRedo())
            vm.redo();
        QCOMPARE(vm.state().annotations.size(), 101);
        QCOMPARE(*vm.state().annotations.last().badgeNumber, 101);
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
        QCOMPARE(vm.state().selectedTool, EditorTool::select);
        QVERIFY(vm.selectedIDs().isEmpty());
        vm.undo();
        QCOMPARE(vm.state().annotations.size(), 1);
        vm.redo();
        QCOMPARE(vm.state().annotations.size(), 2);
        QVERIFY(vm.selectedIDs().isEmpty());
        QCOMPARE(imageSpy.count(), 0); // same image: untouched
        QCOMPARE(vm.original().cacheKey(), image.cacheKey());
        // A new step after an undo ends redo.
        vm.undo();
        vm.placeBadge({9, 9});
        QVERIFY(!vm.canRedo());
    }

    void resetAll()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.resetAll();
        QVERIFY(!vm.canUndo());
        const QList<AnnotationObject> stored = oneOfEach();
        EditorViewModel full(image, itemWith(stored), env);
        full.setSelectedAnnotationID(stored.first().id);
        full.resetAll();
        QVERIFY(full.state().annotations.isEmpty());
        QVERIFY(full.selectedIDs().isEmpty());
        full.undo();
        QCOMPARE(full.state().annotations, stored);
        QVERIFY(!full.canUndo());
    }

    void undoInTheMiddleOfAMove()
    {
        EditorViewModel vm(image, itemWith({shape(AnnotationKind::line, {{10, 10}, {100, 10}})}), env);
        vm.setTool(EditorTool::select);
        vm.beginSelectionDrag({50, 10});
        vm.updateSelectionDrag({50, 30});
        vm.undo();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 10));
        // The rest of the drag is a step of its own and ends redo.
        vm.updateSelectionDrag({50, 40});
        vm.endSelectionDrag();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 20));
        QVERIFY(!vm.canRedo());
        vm.undo();
        QCOMPARE(vm.state().annotations.first().points.first(), QPointF(10, 10));
    }

    void toolSwitching()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::speechBubble);
        vm.beginDrag({100, 100});
        vm.updateDrag({300, 200});
        vm.endDrag();
        const QUuid bubble = vm.state().annotations.first().id;
        QCOMPARE(vm.editingBubbleID(), std::optional(bubble));
        vm.setTool(EditorTool::select); // the select tool keeps the selection
        QCOMPARE(vm.selectedAnnotationID(), std::optional(bubble));
        QVERIFY(!vm.editingBubbleID()); // the bubble's edit is finished
        vm.setTool(EditorTool::arrow);
        QVERIFY(vm.selectedIDs().isEmpty());
    }

    // Each setter with one annotation of every kind selected: which kinds it changes.
    void styleSettersOnTheSelection_data()
    {
        using K = AnnotationKind;
        using Setter = std::function<void(EditorViewModel&)>;
        QTest::addColumn<Setter>("setter");
        QTest::addColumn<QList<K>>("changed");
        const auto cases = allCases<K>();
        const QList<K> all(cases.begin(), cases.end());
        QList<K> allButText = all;
        allButText.removeAll(K::text);
        const RGBAColor blue{0, 0, 1, 1};
        QTest::newRow("colour") << Setter([=](auto& vm) { vm.setColor(blue); }) << all;
        QTest::newRow("line width") << Setter([](auto& vm) { vm.setLineWidth(8); }) << allButText;
        QTest::newRow("blur style") << Setter([](auto& vm) { vm.setBlurStyle(BlurStyle::gaussian); }) << QList{K::blur};
        QTest::newRow("blur amount") << Setter([](auto& vm) { vm.setBlurAmount(50); }) << QList{K::blur};
        QTest::newRow("magnification") << Setter([](auto& vm) { vm.setMagnification(3); }) << QList{K::magnifier};
        QTest::newRow("cursor style") << Setter([](auto& vm) { vm.setCursorStyle("wire_pointer"); }) << QList{K::cursor};
        QTest::newRow("cursor size") << Setter([](auto& vm) { vm.setCursorSize(77); }) << QList{K::cursor};
        QTest::newRow("highlight") << Setter([](auto& vm) { vm.setCursorHighlightEnabled(true); }) << QList{K::cursor};
        QTest::newRow("highlight colour") << Setter([=](auto& vm) { vm.setCursorHighlightColor(blue); })
                                          << QList{K::cursor};
        QTest::newRow("highlight size") << Setter([](auto& vm) { vm.setCursorHighlightSize(99); }) << QList{K::cursor};
        QTest::newRow("highlight opacity") << Setter([](auto& vm) { vm.setCursorHighlightOpacity(0.7); })
                                           << QList{K::cursor};
        QTest::newRow("bubble style") << Setter([](auto& vm) { vm.setBubbleStyle(SpeechBubbleStyle::oval); })
                                      << QList{K::speechBubble};
        QTest::newRow("dashed") << Setter([](auto& vm) { vm.setDashed(true); })
                                << QList{K::arrow, K::line, K::rectangle, K::ellipse};
        QTest::newRow("fill on") << Setter([](auto& vm) { vm.setFillEnabled(true); })
                                 << QList{K::rectangle, K::ellipse};
        QTest::newRow("fill colour") << Setter([=](auto& vm) { vm.setFillColor(blue); })
                                     << QList{K::rectangle, K::ellipse};
        QTest::newRow("corner radius") << Setter([](auto& vm) { vm.setCornerRadius(12); }) << QList{K::rectangle};
        QTest::newRow("badge colour") << Setter([=](auto& vm) { vm.setBadgeColor(blue); }) << QList{K::badge};
        QTest::newRow("badge text colour") << Setter([=](auto& vm) { vm.setBadgeTextColor(blue); })
                                           << QList{K::badge};
        QTest::newRow("badge size") << Setter([](auto& vm) { vm.setBadgeSize(60); }) << QList{K::badge};
        QTest::newRow("badge font size") << Setter([](auto& vm) { vm.setBadgeFontSize(30); }) << QList{K::badge};
        QTest::newRow("font size") << Setter([](auto& vm) { vm.setFontSize(40); })
                                   << QList{K::text, K::speechBubble};
        QTest::newRow("font name") << Setter([](auto& vm) { vm.setFontName(QStringLiteral("DejaVu Serif")); })
                                   << QList{K::text, K::speechBubble};
    }
    void styleSettersOnTheSelection()
    {
        QFETCH(std::function<void(EditorViewModel&)>, setter);
        QFETCH(QList<AnnotationKind>, changed);
        const QList<AnnotationObject> before = oneOfEach();
        EditorViewModel vm(image, itemWith(before), env);
        // Without a selection only the tool default changes.
        const EditorState defaults = vm.state();
        setter(vm);
        QVERIFY(!(vm.state() == defaults));
        QCOMPARE(vm.state().annotations, before);
        QVERIFY(!vm.canUndo());

        QSet<QUuid> all;
        for (const AnnotationObject& a : before)
            all.insert(a.id);
        vm.setSelectedIDs(all);
        setter(vm);
        QList<AnnotationKind> seen;
        for (qsizetype i = 0; i < before.size(); ++i)
            if (!(vm.state().annotations[i] == before[i]))
                seen.append(before[i].kind);
        QCOMPARE(seen, changed);
        QCOMPARE(vm.undoCount(), 1);
        vm.undo();
        QCOMPARE(vm.state().annotations, before);
    }

    void colourAndFillSpecialCases()
    {
        AnnotationObject cursor = shape(AnnotationKind::cursor, {{5, 5}});
        AnnotationObject rect = shape(AnnotationKind::rectangle, {{0, 0}, {9, 9}});
        rect.fillColor = RGBAColor{0, 1, 0, 1};
        EditorViewModel vm(image, itemWith({cursor, rect}), env);
        const RGBAColor blue{0, 0, 1, 1};
        vm.setColor(blue); // another tool: the next cursor's highlight stays
        QVERIFY(vm.state().cursorHighlightColor != blue);
        vm.setTool(EditorTool::cursor);
        vm.setColor(RGBAColor{1, 0, 0, 1});
        QCOMPARE(vm.state().cursorHighlightColor, (RGBAColor{1, 0, 0, 1}));

        vm.setSelectedIDs({cursor.id, rect.id});
        vm.setColor(blue);
        QCOMPARE(vm.state().annotations[0].highlightColor, std::optional(blue));
        vm.setFillEnabled(false);
        QVERIFY(!vm.state().annotations[1].fillColor);
        vm.setFillEnabled(true);
        QCOMPARE(vm.state().annotations[1].fillColor, std::optional(vm.state().fillColor));
        vm.setFillEnabled(false);
        vm.setFillColor(blue);
        QVERIFY(vm.state().fillEnabled);
        QCOMPARE(vm.state().annotations[1].fillColor, std::optional(blue));
    }

    void setterThatChangesNothingLeavesNoStep()
    {
        AnnotationObject text = shape(AnnotationKind::text, {{5, 5}});
        EditorViewModel vm(image, itemWith({text, shape(AnnotationKind::arrow, {{0, 0}, {9, 9}})}), env);
        vm.setSelectedAnnotationID(text.id);
        vm.setBlurAmount(50); // no blur area selected
        vm.setLineWidth(8);   // texts have no line width
        QVERIFY(!vm.canUndo());
        vm.setSelectedAnnotationID(vm.state().annotations[1].id);
        vm.setLineWidth(4); // already 4
        QVERIFY(!vm.canUndo());
    }

    void sliderDragIsOneStep()
    {
        EditorViewModel vm(image, itemWith(oneOfEach()), env);
        vm.setSelectedIDs({vm.state().annotations[0].id, vm.state().annotations[2].id});
        vm.beginStyleEdit();
        for (int w = 5; w <= 14; ++w)
            vm.setLineWidth(w);
        vm.endStyleEdit();
        QCOMPARE(vm.undoCount(), 1);
        QCOMPARE(vm.state().annotations[2].lineWidth, 14.0);
        vm.undo();
        QCOMPARE(vm.state().annotations[0].lineWidth, 4.0);
        QCOMPARE(vm.state().annotations[2].lineWidth, 4.0);
        // A press and release without a move, and a drag with nothing selected, record nothing.
        EditorViewModel idle(image, itemWith(oneOfEach()), env);
        idle.setSelectedAnnotationID(idle.state().annotations[0].id);
        idle.beginStyleEdit();
        idle.endStyleEdit();
        idle.setSelectedIDs({});
        idle.beginStyleEdit();
        idle.setLineWidth(20);
        idle.endStyleEdit();
        QVERIFY(!idle.canUndo());
        QCOMPARE(idle.state().lineWidth, 20.0);
    }

    // A slider edit whose end never arrives must not swallow later edits.
    void openStyleEditCloses_data()
    {
        QTest::addColumn<std::function<void(EditorViewModel&)>>("interrupt");
        QTest::newRow("tool change") << std::function<void(EditorViewModel&)>([](auto& vm) {
            vm.setTool(EditorTool::select);
        });
        QTest::newRow("selection change") << std::function<void(EditorViewModel&)>([](auto& vm) {
            const auto& list = vm.state().annotations;
            vm.setSelectedIDs({list[0].id, list[1].id});
        });
        QTest::newRow("undo") << std::function<void(EditorViewModel&)>([](auto& vm) { vm.undo(); });
        QTest::newRow("window close") << std::function<void(EditorViewModel&)>([](auto& vm) {
            vm.windowWillClose();
        });
    }
    void openStyleEditCloses()
    {
        QFETCH(std::function<void(EditorViewModel&)>, interrupt);
        EditorViewModel vm(image, itemWith(oneOfEach()), env);
        vm.setTool(EditorTool::select);
        vm.setSelectedAnnotationID(vm.state().annotations[0].id);
        vm.beginStyleEdit();
        vm.setLineWidth(10); // the slider's release never arrives
        interrupt(vm);
        QVERIFY(!vm.isCoalescingStyleEdit());
        vm.setSelectedAnnotationID(vm.state().annotations[0].id);
        const qsizetype steps = vm.undoCount();
        vm.setLineWidth(20); // keyboard steps: each a step of its own
        vm.setLineWidth(21);
        QCOMPARE(vm.undoCount(), steps + 2);
    }
};

ZENTU_TEST_MAIN(tst_EditorViewModel)
#include "tst_editorviewmodel.moc"
