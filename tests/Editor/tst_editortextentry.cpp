// Text entry on the editor model: new texts, re-editing texts and bubble
// words, what commit and cancel keep, whitespace, undo steps, and pasted text.
#include "Editor/EditorViewModel.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

namespace {

using K = AnnotationKind;

AnnotationObject textAt(QPointF origin, const QString& text)
{
    AnnotationObject a = shape(K::text, {origin});
    a.text = text;
    a.fontSize = 40;
    a.fontName = QStringLiteral("DejaVu Serif");
    a.color = {0, 0.5, 1, 1};
    return a;
}

AnnotationObject bubble(const QString& text)
{
    AnnotationObject a = shape(K::speechBubble, {{300, 300}, {500, 400}, {350, 460}, {360, 400}});
    a.text = text;
    return a;
}

} // namespace

class tst_EditorTextEntry : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    void newText()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::text);
        vm.setFontSize(33);
        vm.beginText({40, 60}, K::text);
        vm.textBuffer().setText(QStringLiteral("  Wort \n"));
        vm.commitPendingText();
        const AnnotationObject& a = vm.state().annotations.first();
        QCOMPARE(a.text, QStringLiteral("Wort"));
        QCOMPARE(a.points, QList<QPointF>{QPointF(40, 60)});
        QCOMPARE(a.fontSize, std::optional(33.0));
        QCOMPARE(vm.selectedAnnotationID(), std::optional(a.id));
        QVERIFY(!vm.pendingTextOrigin() && vm.textBuffer().text().isEmpty());

        // Empty or blank: nothing added, no step.
        for (const char* typed : {"", " \t\n "}) {
            EditorViewModel blank(image, std::nullopt, env);
            blank.beginText({10, 10}, K::text);
            blank.textBuffer().setText(QString::fromUtf8(typed));
            blank.commitPendingText();
            QVERIFY(blank.state().annotations.isEmpty() && !blank.canUndo() && !blank.pendingTextOrigin());
        }

        // A second click while an entry is open commits it and opens an empty one.
        vm.beginText({10, 10}, K::text);
        vm.textBuffer().setText(QStringLiteral("eins"));
        vm.beginText({200, 200}, K::text);
        QCOMPARE(vm.state().annotations.last().text, QStringLiteral("eins"));
        QVERIFY(vm.textBuffer().text().isEmpty());
        vm.textBuffer().setText(QStringLiteral("zwei"));
        vm.cancelPendingText();
        QCOMPARE(vm.state().annotations.size(), 2);
    }

    void reEditingAText()
    {
        const AnnotationObject t = textAt({100, 100}, QStringLiteral("Hallo"));
        const AnnotationObject arrow = shape(K::arrow, {{400, 400}, {500, 500}});
        EditorViewModel vm(image, itemWith({t, arrow}), env);
        vm.setTool(EditorTool::text);

        vm.handleDoubleClick({450, 450}); // an arrow: nothing
        QVERIFY(!vm.pendingTextOrigin());
        vm.handleDoubleClick({120, 120});
        QCOMPARE(vm.textBuffer().text(), QStringLiteral("Hallo"));
        vm.textBuffer().setText(QStringLiteral("Hallo Welt"));
        vm.cancelPendingText(); // Escape keeps the old words
        QCOMPARE(vm.state().annotations.first(), t);

        vm.handleDoubleClick({120, 120});
        vm.commitPendingText(); // unchanged: no step
        QVERIFY(!vm.canUndo());

        vm.handleDoubleClick({120, 120});
        vm.textBuffer().setText(QStringLiteral(" Tschüss "));
        vm.commitPendingText();
        AnnotationObject expected = t;
        expected.text = QStringLiteral("Tschüss"); // origin, font and colour stay
        QCOMPARE(vm.state().annotations.first(), expected);
        QCOMPARE(vm.undoCount(), 1);

        vm.handleDoubleClick({120, 120});
        vm.textBuffer().setText(QStringLiteral("  \n"));
        vm.commitPendingText(); // emptied: deleted, as one step
        QCOMPARE(vm.state().annotations, QList<AnnotationObject>{arrow});
        vm.undo();
        QCOMPARE(vm.state().annotations.first(), expected);

        // The annotation went away meanwhile: the words are dropped.
        vm.handleDoubleClick({120, 120});
        vm.setSelectedAnnotationID(t.id);
        vm.deleteSelected();
        vm.textBuffer().setText(QStringLiteral("weg"));
        vm.commitPendingText();
        QCOMPARE(vm.state().annotations, QList<AnnotationObject>{arrow});
    }

    // Bubble words are stored as typed, and a changed text is an undo step of
    // its own, so undo never takes an earlier step along with it.
    void bubbleWords()
    {
        const AnnotationObject b = bubble(QStringLiteral("alt"));
        EditorViewModel vm(image, itemWith({b}), env);
        vm.setTool(EditorTool::select);
        vm.placeBadge({50, 50}); // an unrelated earlier step
        vm.handleDoubleClick({400, 350});
        QCOMPARE(vm.textBuffer().text(), QStringLiteral("alt"));
        vm.textBuffer().setText(QStringLiteral("  neu  "));
        vm.commitBubbleEdit();
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("  neu  "));
        QCOMPARE(vm.undoCount(), 2);
        vm.undo();
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("alt"));
        QCOMPARE(vm.state().annotations.size(), 2); // the badge stays

        vm.beginEditingBubble(b.id);
        vm.commitBubbleEdit(); // unchanged: no step
        QCOMPARE(vm.undoCount(), 1);

        // A new bubble's first words belong to the step that drew it.
        vm.setTool(EditorTool::speechBubble);
        vm.beginDrag({100, 300});
        vm.updateDrag({250, 380});
        vm.endDrag();
        QVERIFY(vm.editingBubbleID());
        vm.textBuffer().setText(QStringLiteral("Hi"));
        vm.commitBubbleEdit();
        QCOMPARE(vm.state().annotations.last().text, QStringLiteral("Hi"));
        vm.undo();
        QCOMPARE(vm.state().annotations.size(), 2);
    }

    // All fields share one buffer, so at most one is open: opening another
    // keeps the words of the first; closing the window keeps them too.
    void oneFieldAtATime()
    {
        const AnnotationObject b = bubble(QString());
        const AnnotationObject t = textAt({100, 100}, QStringLiteral("Hallo"));
        EditorViewModel vm(image, itemWith({b, t}), env);
        vm.beginEditingBubble(b.id);
        vm.textBuffer().setText(QStringLiteral("Blase"));
        vm.beginEditingText(t.id);
        QCOMPARE(vm.state().annotations[0].text, QStringLiteral("Blase"));
        QVERIFY(!vm.editingBubbleID());
        QCOMPARE(vm.textBuffer().text(), QStringLiteral("Hallo"));
        vm.textBuffer().setText(QStringLiteral("Text"));
        vm.beginEditingBubble(b.id);
        QCOMPARE(vm.state().annotations[1].text, QStringLiteral("Text"));
        QVERIFY(!vm.pendingTextOrigin() && !vm.editingTextID());

        vm.resetAll(); // takes the bubble away; its edit finds nothing to write
        vm.commitBubbleEdit();
        QVERIFY(vm.state().annotations.isEmpty());

        vm.beginText({20, 20}, K::text);
        vm.textBuffer().setText(QStringLiteral("offen"));
        vm.windowWillClose();
        QCOMPARE(vm.state().annotations.size(), 1);
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("offen"));
    }

    void pastedTextIsCentredWhereItFits()
    {
        // The fake metrics make "Hallo" at 28 70 × 35.
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::arrow);
        vm.insertText(QStringLiteral("Hallo"));
        const AnnotationObject& a = vm.state().annotations.first();
        QCOMPARE(a.points, QList<QPointF>{QPointF(365, 282.5)});
        QCOMPARE(vm.state().selectedTool, EditorTool::select);
        QCOMPARE(vm.selectedAnnotationID(), std::optional(a.id));
        vm.insertText(QString(100, QLatin1Char('x'))); // wider than the picture: left edge
        QCOMPARE(vm.state().annotations.last().points.first(), QPointF(0, 282.5));
        EditorViewModel none(QImage(), std::nullopt, env);
        none.insertText(QStringLiteral("Hallo"));
        QVERIFY(none.state().annotations.isEmpty() && !none.canUndo());
    }
};

ZENTU_TEST_MAIN(tst_EditorTextEntry)
#include "tst_editortextentry.moc"
