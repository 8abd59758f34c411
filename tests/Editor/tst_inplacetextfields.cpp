// The canvas's in-place text fields: where they open and how their text
// looks, growing with the words, the keys that commit or cancel, and a single
// commit when the focus leaves.
#include "Editor/EditorViewModel.h"
#include "Editor/GrowingTextView.h"
#include "Editor/InPlaceTextFields.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace {

using K = AnnotationKind;

// A 600 × 400 picture shown at half size, beside another control of the window.
struct Canvas {
    explicit Canvas(EditorEnvironment& env, const QList<AnnotationObject>& annotations = {})
        : vm(QImage(600, 400, QImage::Format_ARGB32_Premultiplied), itemWith(annotations), env)
    {
        content->setGeometry(0, 0, 300, 200);
        other->setGeometry(0, 210, 100, 20);
        window.resize(320, 240);
        window.show();
    }
    GrowingTextView* field() const { return fields.textView(); }

    EditorViewModel vm; // outlives the fields, as the window's model does
    QWidget window;
    QWidget* content = new QWidget(&window);
    QLineEdit* other = new QLineEdit(&window);
    InPlaceTextFields fields{vm, *content};
};

} // namespace

class tst_InPlaceTextFields : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;

private Q_SLOTS:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }

    void typingGrowsAndTheKeysCommitOrCancel()
    {
        Canvas c(env);
        c.fields.setContentSize({300, 200});
        c.vm.beginText({200, 100}, K::text);
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

        // Escape drops a new text's words but keeps a bubble's; a bubble that goes away takes its field.
        c.vm.beginText({20, 20}, K::text);
        QTest::keyClicks(c.field(), QStringLiteral("weg"));
        QTest::keyClick(c.field(), Qt::Key_Escape);
        QVERIFY(!c.field() && !c.vm.pendingTextOrigin());
        QCOMPARE(c.vm.state().annotations.size(), 1);
        c.vm.setTool(EditorTool::speechBubble);
        c.vm.beginDrag({100, 100});
        c.vm.updateDrag({300, 200});
        c.vm.endDrag();
        QTest::keyClicks(c.field(), QStringLiteral(" Hi "));
        QTest::keyClick(c.field(), Qt::Key_Escape);
        QVERIFY(!c.field());
        QCOMPARE(c.vm.state().annotations.last().text, QStringLiteral(" Hi "));
        c.vm.beginEditingBubble(c.vm.state().annotations.last().id);
        c.vm.deleteSelected();
        QVERIFY(!c.field());
    }

    void focusLossCommitsOnce()
    {
        Canvas c(env);
        c.fields.setContentSize({300, 200});
        QVERIFY(QTest::qWaitForWindowActive(&c.window));
        c.vm.beginText({100, 100}, K::text);
        QPointer<GrowingTextView> first = c.field();
        QTRY_VERIFY(first->hasFocus()); // focused as soon as it shows
        QSignalSpy commits(first.data(), &GrowingTextView::commitRequested);
        QTest::keyClicks(first, QStringLiteral("eins"));
        c.other->setFocus(Qt::MouseFocusReason);
        QCOMPARE(commits.count(), 1);
        QCOMPARE(c.vm.state().annotations.size(), 1);

        // Return closes the field, and its focus leaving then asks nothing more,
        // not even of an entry opened right after.
        c.vm.beginText({300, 300}, K::text);
        QPointer<GrowingTextView> second = c.field();
        QTRY_VERIFY(second->hasFocus());
        QSignalSpy again(second.data(), &GrowingTextView::commitRequested);
        QTest::keyClicks(second, QStringLiteral("zwei"));
        QTest::keyClick(second, Qt::Key_Return);
        c.vm.beginText({400, 300}, K::text);
        QTRY_VERIFY(!second);
        QCOMPARE(again.count(), 1);
        QVERIFY(c.vm.pendingTextOrigin() && c.field() && c.field()->hasFocus());
        QCOMPARE(c.vm.undoCount(), 2);
    }

    void aReEditedTextKeepsItsLook()
    {
        AnnotationObject text = shape(K::text, {{50, 50}});
        text.text = QStringLiteral("Hallo");
        text.fontSize = 40;
        text.fontName = QStringLiteral("DejaVu Serif");
        text.color = {0, 0, 1, 1};
        Canvas c(env, {text});
        c.vm.beginEditingText(text.id);
        const auto look = InPlaceTextFields::entryFieldLook(c.vm, {300, 200}, *c.content);
        QCOMPARE(look->font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(look->font.pointSizeF() * c.content->logicalDpiY() / 72.0, 20.0); // half size, as shown
        QCOMPARE(look->color, QColor(Qt::blue));
    }
};

ZENTU_TEST_MAIN(tst_InPlaceTextFields)
#include "tst_inplacetextfields.moc"
