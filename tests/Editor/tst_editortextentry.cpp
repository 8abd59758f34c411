// Text entry: new texts, re-editing texts and bubble words, what
// commit and cancel keep, whitespace, undo steps and pasted text; on the
// canvas the in-place fields growing with the words, the keys that commit or
// cancel, a single commit when the focus leaves, and the text's own look.
#include "Editor/DrawingGesture.h"
#include "Editor/EditorViewModel.h"
#include "Editor/GrowingTextView.h"
#include "Editor/InPlaceTextFields.h"
#include "Editor/SelectionDrag.h"
#include "Editor/TextEntry.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>
#include <QSignalSpy>

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

// A 600 × 400 picture shown at half size, beside another control of the window.
struct Canvas {
    explicit Canvas(EditorEnvironment& env, const QList<AnnotationObject>& annotations = {})
        : vm(QImage(600, 400, QImage::Format_ARGB32_Premultiplied), itemWith(annotations), env)
        , entry(vm, env)
        , drawing(vm, entry)
    {
        content->setGeometry(0, 0, 300, 200);
        other->setGeometry(0, 210, 100, 20);
        window.resize(320, 240);
        window.show();
    }
    GrowingTextView* field() const { return fields.textView(); }

    EditorViewModel vm; // outlives the fields, as the window's model does
    TextEntry entry;
    DrawingGesture drawing;
    QWidget window;
    QWidget* content = new QWidget(&window);
    QLineEdit* other = new QLineEdit(&window);
    InPlaceTextFields fields{vm, entry, *content};
};

} // namespace

class tst_EditorTextEntry : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }

    void newText()
    {
        EditorViewModel vm(image, std::nullopt, env);
        TextEntry entry(vm, env);
        vm.setTool(EditorTool::text);
        vm.setFontSize(33);
        entry.beginText({40, 60}, K::text);
        entry.textBuffer().setText(QStringLiteral("  Wort \n"));
        entry.commitPendingText();
        const AnnotationObject& a = vm.state().annotations.first();
        QCOMPARE(a.text, QStringLiteral("Wort"));
        QCOMPARE(a.points, QList<QPointF>{QPointF(40, 60)});
        QCOMPARE(a.fontSize, std::optional(33.0));
        QCOMPARE(vm.selectedAnnotationID(), std::optional(a.id));

        // Empty or blank: nothing added, no step.
        for (const char* typed : {"", " \t\n "}) {
            EditorViewModel blank(image, std::nullopt, env);
            TextEntry blankEntry(blank, env);
            blankEntry.beginText({10, 10}, K::text);
            blankEntry.textBuffer().setText(QString::fromUtf8(typed));
            blankEntry.commitPendingText();
            QVERIFY(blank.state().annotations.isEmpty() && !blank.canUndo() && !blankEntry.pendingTextOrigin());
        }
    }

    void reEditingAText()
    {
        const AnnotationObject t = textAt({100, 100}, QStringLiteral("Hallo"));
        const AnnotationObject arrow = shape(K::arrow, {{400, 400}, {500, 500}});
        EditorViewModel vm(image, itemWith({t, arrow}), env);
        TextEntry entry(vm, env);
        vm.setTool(EditorTool::text);

        entry.handleDoubleClick({450, 450}); // an arrow: nothing
        QVERIFY(!entry.pendingTextOrigin());
        entry.handleDoubleClick({120, 120});
        QCOMPARE(entry.textBuffer().text(), QStringLiteral("Hallo"));
        entry.textBuffer().setText(QStringLiteral("Hallo Welt"));
        entry.cancelPendingText(); // Escape keeps the old words
        QCOMPARE(vm.state().annotations.first(), t);

        entry.handleDoubleClick({120, 120});
        entry.commitPendingText(); // unchanged: no step
        QVERIFY(!vm.canUndo());

        entry.handleDoubleClick({120, 120});
        entry.textBuffer().setText(QStringLiteral(" Tschüss "));
        entry.commitPendingText();
        AnnotationObject expected = t;
        expected.text = QStringLiteral("Tschüss"); // origin, font and colour stay
        QCOMPARE(vm.state().annotations.first(), expected);
        QCOMPARE(vm.undoCount(), 1);

        entry.handleDoubleClick({120, 120});
        entry.textBuffer().setText(QStringLiteral("  \n"));
        entry.commitPendingText(); // emptied: deleted, as one step
        QCOMPARE(vm.state().annotations, QList<AnnotationObject>{arrow});
        vm.undo();
        QCOMPARE(vm.state().annotations.first(), expected);

        // The annotation went away meanwhile: the words are dropped.
        entry.handleDoubleClick({120, 120});
        vm.setSelectedAnnotationID(t.id);
        vm.deleteSelected();
        entry.textBuffer().setText(QStringLiteral("weg"));
        entry.commitPendingText();
        QCOMPARE(vm.state().annotations, QList<AnnotationObject>{arrow});
    }

    // Bubble words are stored as typed, and a changed text is an undo step of
    // its own, so undo never takes an earlier step along with it.
    void bubbleWords()
    {
        const AnnotationObject b = bubble(QStringLiteral("alt"));
        EditorViewModel vm(image, itemWith({b}), env);
        TextEntry entry(vm, env);
        DrawingGesture drawing(vm, entry);
        vm.setTool(EditorTool::select);
        drawing.place(K::badge, {50, 50}); // an unrelated earlier step
        entry.handleDoubleClick({400, 350});
        QCOMPARE(entry.textBuffer().text(), QStringLiteral("alt"));
        entry.textBuffer().setText(QStringLiteral("  neu  "));
        entry.commitBubbleEdit();
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("  neu  "));
        QCOMPARE(vm.undoCount(), 2);
        vm.undo();
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("alt"));
        QCOMPARE(vm.state().annotations.size(), 2); // the badge stays

        entry.beginEditingBubble(b.id);
        entry.commitBubbleEdit(); // unchanged: no step
        QCOMPARE(vm.undoCount(), 1);

        // A new bubble's first words belong to the step that drew it.
        vm.setTool(EditorTool::speechBubble);
        drawing.beginDrag({100, 300});
        drawing.updateDrag({250, 380});
        drawing.endDrag();
        QVERIFY(entry.editingBubbleID());
        entry.textBuffer().setText(QStringLiteral("Hi"));
        entry.commitBubbleEdit();
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
        TextEntry entry(vm, env);
        entry.beginEditingBubble(b.id);
        entry.textBuffer().setText(QStringLiteral("Blase"));
        entry.beginEditingText(t.id);
        QCOMPARE(vm.state().annotations[0].text, QStringLiteral("Blase"));
        QVERIFY(!entry.editingBubbleID());
        QCOMPARE(entry.textBuffer().text(), QStringLiteral("Hallo"));
        entry.textBuffer().setText(QStringLiteral("Text"));
        entry.beginEditingBubble(b.id);
        QCOMPARE(vm.state().annotations[1].text, QStringLiteral("Text"));
        QVERIFY(!entry.pendingTextOrigin() && !entry.editingTextID());

        vm.resetAll(); // takes the bubble away; its edit finds nothing to write
        entry.commitBubbleEdit();
        QVERIFY(vm.state().annotations.isEmpty());

        entry.beginText({20, 20}, K::text);
        entry.textBuffer().setText(QStringLiteral("offen"));
        entry.windowWillClose();
        QCOMPARE(vm.state().annotations.size(), 1);
        QCOMPARE(vm.state().annotations.first().text, QStringLiteral("offen"));
    }

    // The editor moving on settles the open words: a tool change, a press
    // elsewhere, a new bubble, a reset.
    void openWordsSettleWhenTheModelMovesOn()
    {
        const AnnotationObject b = bubble(QStringLiteral("alt"));
        const AnnotationObject t = textAt({100, 100}, QStringLiteral("Hallo"));
        EditorViewModel vm(image, itemWith({b, t}), env);
        TextEntry entry(vm, env);
        DrawingGesture drawing(vm, entry);
        SelectionDrag selection(vm, entry);
        entry.beginText({20, 20}, K::text);
        entry.textBuffer().setText(QStringLiteral("behalten"));
        entry.beginEditingBubble(b.id); // the new text is committed first
        entry.textBuffer().setText(QStringLiteral("neu"));
        vm.setTool(EditorTool::select); // keeps a bubble's words
        QCOMPARE(vm.state().annotations[0].text, QStringLiteral("neu"));
        QVERIFY(!entry.editingBubbleID() && vm.selectedAnnotationID() == b.id);

        entry.beginText({20, 20}, K::text);
        entry.textBuffer().setText(QStringLiteral("verworfen"));
        vm.setTool(EditorTool::arrow); // drops a new text not yet confirmed
        QVERIFY(!entry.pendingTextOrigin() && entry.textBuffer().text().isEmpty());
        QCOMPARE(vm.state().annotations.size(), 3);

        vm.setTool(EditorTool::select);
        entry.beginEditingText(t.id);
        entry.textBuffer().setText(QStringLiteral("Welt"));
        selection.begin({110, 110}); // on the text itself: still typing
        selection.end();
        QCOMPARE(entry.editingTextID(), std::optional(t.id));
        selection.begin({700, 500}); // elsewhere: committed
        selection.end();
        QVERIFY(!entry.editingTextID());
        QCOMPARE(vm.state().annotations[1].text, QStringLiteral("Welt"));

        // A second bubble drawn while the first one's words are open: those
        // words are a step before the new bubble, so undo takes the bubble alone.
        vm.setTool(EditorTool::speechBubble);
        entry.beginEditingBubble(b.id);
        entry.textBuffer().setText(QStringLiteral("danach"));
        drawing.beginDrag({400, 100});
        drawing.updateDrag({550, 200});
        drawing.endDrag();
        QCOMPARE(entry.editingBubbleID(), std::optional(vm.state().annotations.last().id));
        vm.undo();
        QCOMPARE(vm.state().annotations.size(), 3);
        QCOMPARE(vm.state().annotations[0].text, QStringLiteral("danach"));

        entry.beginText({20, 20}, K::text);
        vm.resetAll(); // the open entry goes with the annotations
        QVERIFY(!entry.pendingTextOrigin() && vm.state().annotations.isEmpty());
    }

    void pastedTextIsCentredWhereItFits()
    {
        // The fake metrics make "Hallo" at 28 70 × 35.
        EditorViewModel vm(image, std::nullopt, env);
        TextEntry entry(vm, env);
        vm.setTool(EditorTool::arrow);
        entry.insertText(QStringLiteral("Hallo"));
        const AnnotationObject& a = vm.state().annotations.first();
        QCOMPARE(a.points, QList<QPointF>{QPointF(365, 282.5)});
        QCOMPARE(vm.state().selectedTool, EditorTool::select);
        QCOMPARE(vm.selectedAnnotationID(), std::optional(a.id));
        entry.insertText(QString(100, QLatin1Char('x'))); // wider than the picture: left edge
        QCOMPARE(vm.state().annotations.last().points.first(), QPointF(0, 282.5));
        EditorViewModel none(QImage(), std::nullopt, env);
        TextEntry noneEntry(none, env);
        noneEntry.insertText(QStringLiteral("Hallo"));
        QVERIFY(none.state().annotations.isEmpty() && !none.canUndo());
    }
    void typingGrowsAndTheKeysCommitOrCancel()
    {
        Canvas c(env);
        c.fields.setContentSize({300, 200});
        c.entry.beginText({200, 100}, K::text);
        const QSize empty = c.field()->size();
        QTest::keyClicks(c.field(), QStringLiteral("Hallo"));
        const QSize typed = c.field()->size();
        QVERIFY(typed.width() > empty.width() && typed.height() == empty.height());
        QTest::keyClick(c.field(), Qt::Key_Return, Qt::ShiftModifier); // a line break, taller
        QTest::keyClicks(c.field(), QStringLiteral("Welt"));
        QVERIFY(c.field()->height() > typed.height());
        QTest::keyClick(c.field(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!c.field());
        QCOMPARE(c.vm.state().annotations.first().text, QStringLiteral("Hallo\nWelt"));

        // Escape keeps a bubble's words (a new text's it drops: the real window's test); a bubble
        // that goes away takes its field.
        c.vm.setTool(EditorTool::speechBubble);
        c.drawing.beginDrag({100, 100});
        c.drawing.updateDrag({300, 200});
        c.drawing.endDrag();
        QTest::keyClicks(c.field(), QStringLiteral(" Hi "));
        QTest::keyClick(c.field(), Qt::Key_Escape);
        QVERIFY(!c.field());
        QCOMPARE(c.vm.state().annotations.last().text, QStringLiteral(" Hi "));
        c.entry.beginEditingBubble(c.vm.state().annotations.last().id);
        c.vm.deleteSelected();
        QVERIFY(!c.field());
    }

    void focusLossCommitsOnce()
    {
        Canvas c(env);
        c.fields.setContentSize({300, 200});
        QVERIFY(QTest::qWaitForWindowActive(&c.window));
        c.entry.beginText({100, 100}, K::text);
        QPointer<GrowingTextView> first = c.field();
        QTRY_VERIFY(first->hasFocus()); // focused as soon as it shows
        QSignalSpy commits(first.data(), &GrowingTextView::commitRequested);
        QTest::keyClicks(first, QStringLiteral("eins"));
        c.other->setFocus(Qt::MouseFocusReason);
        QCOMPARE(commits.count(), 1);
        QCOMPARE(c.vm.state().annotations.size(), 1);

        // Return closes the field, and its focus leaving then asks nothing more,
        // not even of an entry opened right after.
        c.entry.beginText({300, 300}, K::text);
        QPointer<GrowingTextView> second = c.field();
        QTRY_VERIFY(second->hasFocus());
        QSignalSpy again(second.data(), &GrowingTextView::commitRequested);
        QTest::keyClicks(second, QStringLiteral("zwei"));
        QTest::keyClick(second, Qt::Key_Return);
        c.entry.beginText({400, 300}, K::text);
        QTRY_VERIFY(!second);
        QCOMPARE(again.count(), 1);
        QVERIFY(c.entry.pendingTextOrigin() && c.field() && c.field()->hasFocus());
        QCOMPARE(c.vm.undoCount(), 2);
    }

    void aReEditedTextKeepsItsLook()
    {
        const AnnotationObject text = textAt({50, 50}, QStringLiteral("Hallo"));
        Canvas c(env, {text});
        c.entry.beginEditingText(text.id);
        const auto look = InPlaceTextFields::entryFieldLook(c.vm, c.entry, {300, 200}, *c.content);
        QCOMPARE(look->font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(look->font.pointSizeF() * c.content->logicalDpiY() / 72.0, 20.0); // half size, as shown
        QCOMPARE(look->color, text.color.toQColor());
    }
};

ZENTU_TEST_MAIN(tst_EditorTextEntry)
#include "tst_editortextentry.moc"
