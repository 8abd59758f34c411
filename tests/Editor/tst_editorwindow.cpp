// The editor window: the keys it handles before any
// control and the ones it lets pass, and writing the annotations back when it
// closes.
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QHBoxLayout>
#include <QLineEdit>

namespace {

// Counts the key presses that reach it.
class KeyProbe : public QLineEdit {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        keys.append(event->key());
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

class tst_EditorWindow : public QObject {
    Q_OBJECT
    QImage image{800, 600, QImage::Format_RGB32};

    // A window on an entry with one rectangle, and a focused field in its toolbar
    // that shows which keys pass on.
    struct Opened {
        FakeEditorEnvironment* env;
        std::unique_ptr<EditorWindowController> window;
        KeyProbe* probe;
        EditorViewModel& vm() { return window->viewModel(); }
        EditorSession& session() { return window->session(); }
    };
    Opened open(const QList<AnnotationObject>& annotations = {shape(AnnotationKind::rectangle, {{100, 100}, {300, 200}})})
    {
        auto env = std::make_unique<FakeEditorEnvironment>();
        FakeEditorEnvironment* raw = env.get();
        ScreenshotItem item = itemWith(annotations);
        item.id = QUuid::createUuid();
        auto window = std::make_unique<EditorWindowController>(image, item, std::move(env));
        auto* probe = new KeyProbe;
        window->rootView().row2Leading().addWidget(probe);
        window->show();
        probe->setFocus();
        return {raw, std::move(window), probe};
    }

private Q_SLOTS:

    void deleteAndBackspaceRemoveTheSelectionOnly()
    {
        auto o = open({shape(AnnotationKind::rectangle, {{100, 100}, {300, 200}}),
                       shape(AnnotationKind::arrow, {{10, 10}, {60, 60}})});
        // Nothing selected: the key goes on to the focused control.
        QTest::keyClick(o.probe, Qt::Key_Delete);
        QCOMPARE(o.probe->keys, QList<int>{Qt::Key_Delete});
        QCOMPARE(o.vm().state().annotations.size(), 2);

        o.vm().setSelectedAnnotationID(o.vm().state().annotations[0].id);
        QTest::keyClick(o.probe, Qt::Key_Backspace);
        QCOMPARE(o.vm().state().annotations.size(), 1);
        o.vm().setSelectedAnnotationID(o.vm().state().annotations[0].id);
        QTest::keyClick(o.probe, Qt::Key_Delete);
        QVERIFY(o.vm().state().annotations.isEmpty());
        QCOMPARE(o.probe->keys, QList<int>{Qt::Key_Delete}); // both swallowed
        QCOMPARE(o.vm().undoCount(), 2);
    }

    void escapeAndReturnActOnACropDraftOnly()
    {
        auto o = open();
        QTest::keyClick(o.probe, Qt::Key_Escape);
        QTest::keyClick(o.probe, Qt::Key_Return);
        QCOMPARE(o.probe->keys, (QList<int>{Qt::Key_Escape, Qt::Key_Return}));

        const auto draft = [&o] {
            o.vm().setTool(EditorTool::crop);
            o.session().crop().cropBegin({50, 50}, std::nullopt);
            o.session().crop().cropUpdate({50, 50}, {200, 150});
            o.session().crop().endCropDrag();
        };
        // Keypad Enter applies the draft with the crop tool, not reaching the field (so does Return).
        draft();
        QTest::keyClick(o.probe, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(o.vm().original().size(), QSize(150, 100));
        QCOMPARE(o.probe->keys.size(), 2);
        // With another tool the draft stays, but Return passes on; Escape removes it, whatever the tool.
        draft();
        o.vm().setTool(EditorTool::arrow);
        QTest::keyClick(o.probe, Qt::Key_Return);
        QTest::keyClick(o.probe, Qt::Key_Escape);
        QVERIFY(!o.session().crop().cropDraft());
        QCOMPARE(o.probe->keys.size(), 3);
    }

    void keysGoToAnOpenEntryAndStayInTheirWindow()
    {
        auto o = open();
        auto other = open();
        o.vm().setSelectedAnnotationID(o.vm().state().annotations[0].id);
        // Typed into another editor: this one deletes nothing.
        QTest::keyClick(other.probe, Qt::Key_Delete);
        QCOMPARE(o.vm().state().annotations.size(), 1);

        // A text entry is open: Delete belongs to it.
        o.vm().setTool(EditorTool::select);
        o.vm().setSelectedAnnotationID(o.vm().state().annotations[0].id);
        o.session().textEntry().beginText({20, 20}, AnnotationKind::text);
        QTest::keyClick(o.probe, Qt::Key_Delete);
        QCOMPARE(o.vm().state().annotations.size(), 1);
        QCOMPARE(o.probe->keys, QList<int>{Qt::Key_Delete});
    }

    void closingWritesBackOnceAndStopsHandlingKeys()
    {
        auto o = open();
        o.vm().setTool(EditorTool::arrow);
        o.session().drawing().beginDrag({10, 10});
        o.session().drawing().updateDrag({200, 150});
        o.session().drawing().endDrag();
        o.window->close();
        QCOMPARE(o.env->writeBacks.size(), 1);
        const auto& written = o.env->writeBacks.first();
        QCOMPARE(written.item, o.window->screenshotID().value());
        QVERIFY(written.image.isNull()); // the picture was not replaced
        QCOMPARE(written.annotations.size(), 2);
        QCOMPARE(written.annotations.last().kind, AnnotationKind::arrow);

        o.window->close();
        QCOMPARE(o.env->writeBacks.size(), 1);
        o.vm().setSelectedAnnotationID(o.vm().state().annotations[0].id);
        o.window->show();
        QTest::keyClick(o.probe, Qt::Key_Delete);
        QCOMPARE(o.vm().state().annotations.size(), 2);
    }

    void aLooseImageWritesNothing()
    {
        auto env = std::make_unique<FakeEditorEnvironment>();
        FakeEditorEnvironment* raw = env.get();
        EditorWindowController window(image, std::nullopt, std::move(env));
        window.show();
        window.close();
        QVERIFY(raw->writeBacks.isEmpty());
        QVERIFY(!window.screenshotID());
    }
};

ZENTU_TEST_MAIN(tst_EditorWindow)
#include "tst_editorwindow.moc"
