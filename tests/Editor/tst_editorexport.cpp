// The editor's zoom pill, history, delete/reset and export controls, the
// share menu, the text recognition sheet and the Ctrl shortcuts, on a real
// model in a real root view: what each control does, when it is on, and which
// keys step aside for Live Text and for a text being typed.
#include "Editor/AnnotationCanvasView.h"
#include "Editor/DeleteResetControls.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorToolbar.h"
#include "Editor/EditorViewModel.h"
#include "Editor/ExportControls.h"
#include "Editor/HistoryControls.h"
#include "Editor/OCRResultView.h"
#include "Editor/OCRService.h"
#include "Editor/ShareButton.h"
#include "Editor/ToggleChip.h"
#include "Editor/ToolbarIconButton.h"
#include "Editor/ZoomControls.h"
#include "Ui/ColorPanelController.h"
#include "Ui/TooltipHost.h"
#include "Ui/ZoomButton.h"
#include "fakes/FakeEditorEnvironment.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeTextRecognizer.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/EditorAnnotations.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

namespace {

using K = AnnotationKind;

QImage white(int w, int h) { return filledImage(w, h, Qt::white, QImage::Format_ARGB32_Premultiplied); }

// A root view on a model in an active window, with the test's own scheduler and colour panel.
struct Editor {
    FakeEditorEnvironment env;
    ManualDelayScheduler scheduler;
    ColorPanelController panel;
    EditorViewModel vm;
    QWidget window;
    EditorRootView* root;

    explicit Editor(const QList<AnnotationObject>& annotations = {})
        : vm(white(800, 600), itemWith(annotations), env)
        , root(new EditorRootView(vm, &window, EditorToolbarServices{scheduler, panel}))
    {
        window.resize(1280, 720);
        root->resize(window.size());
        window.show();
        window.activateWindow();
    }
    bool active() { return QTest::qWaitForWindowActive(&window); }
    ExportControls& exports() { return root->exportControls(); }
    ZoomControls& zoom() { return *static_cast<ZoomControls*>(root->zoomControls()); }
    // A key where the focus is, as the user presses it.
    void press(QKeyCombination key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
};

} // namespace

class tst_EditorExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void zoomStepsStayInBoundsFromPillAndKeys()
    {
        Editor e;
        QVERIFY(e.active());
        ZoomControls& z = e.zoom();
        QCOMPARE(z.percentButton()->text(), QStringLiteral("100%"));

        e.vm.setZoom(0.25);
        QVERIFY(!z.minusButton()->isEnabled());
        z.plusButton()->click();
        QVERIFY(z.minusButton()->isEnabled());

        e.vm.setZoom(39.9);
        QVERIFY(z.plusButton()->isEnabled());
        z.plusButton()->click();
        QCOMPARE(e.vm.zoom(), 40.0);
        QVERIFY(!z.plusButton()->isEnabled());
        z.percentButton()->click();
        QCOMPARE(e.vm.zoom(), 1.0);

        // The keys: plus and equals each one step in, minus one out, 0 back to exactly 1.
        e.press(Qt::CTRL | Qt::Key_Plus);
        QCOMPARE(e.vm.zoom(), 1.25);
        QCOMPARE(z.percentButton()->text(), QStringLiteral("125%"));
        e.press(Qt::CTRL | Qt::Key_Minus);
        QCOMPARE(e.vm.zoom(), 1.0);
        e.vm.setZoom(40);
        e.press(Qt::CTRL | Qt::Key_Equal);
        QCOMPARE(e.vm.zoom(), 40.0);
        e.press(Qt::CTRL | Qt::Key_0);
        QCOMPARE(e.vm.zoom(), 1.0);
    }

    void historyAndDeleteResetFollowTheModel()
    {
        Editor e({shape(K::rectangle, {{10, 10}, {100, 80}}), shape(K::arrow, {{200, 200}, {300, 260}})});
        QVERIFY(e.active());
        HistoryControls& h = e.root->historyControls();
        DeleteResetControls& d = e.root->deleteResetControls();
        QVERIFY(!h.undoButton()->isEnabled());
        QVERIFY(!h.redoButton()->isEnabled());
        QVERIFY(!d.deleteButton()->isEnabled());
        QVERIFY(d.resetButton()->isEnabled());

        // Two selected: only the Delete key takes them; one selected: the button does.
        const auto& a = e.vm.state().annotations;
        e.vm.setSelectedIDs({a[0].id, a[1].id});
        QVERIFY(!d.deleteButton()->isEnabled());
        e.vm.setSelectedAnnotationID(a[1].id);
        QVERIFY(d.deleteButton()->isEnabled());
        d.deleteButton()->click();
        QCOMPARE(e.vm.state().annotations.size(), 1);
        QVERIFY(h.undoButton()->isEnabled());
        QVERIFY(!h.redoButton()->isEnabled());

        d.resetButton()->click();
        QVERIFY(e.vm.state().annotations.isEmpty());
        QVERIFY(!d.resetButton()->isEnabled());
        h.undoButton()->click();
        QCOMPARE(e.vm.state().annotations.size(), 1);
        QVERIFY(h.redoButton()->isEnabled());
        // The keys do the same: Ctrl+Shift+Z redoes, Ctrl+Z undoes.
        e.press(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QVERIFY(e.vm.state().annotations.isEmpty());
        e.press(Qt::CTRL | Qt::Key_Z);
        e.press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(e.vm.state().annotations.size(), 2);
        QVERIFY(!h.undoButton()->isEnabled());

        // A narrow window shows the pair as icons only.
        QCOMPARE(d.deleteButton()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        e.root->resize(700, 500);
        QCOMPARE(d.deleteButton()->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }

    void exportRowHandsOnTheFlattenedPicture()
    {
        Editor e;
        QVERIFY(e.active());
        e.vm.placeBadge({100, 100});
        ExportControls& x = e.exports();
        x.pinButton()->click();
        x.copyButton()->click();
        QCOMPARE(e.env.pinned, QList<QImage>{e.vm.render()});
        QCOMPARE(e.env.copiedImages, QList<QImage>{e.vm.render()});

        // Save writes back first, then offers the flattened picture under a timestamped name.
        x.saveButton()->click();
        QCOMPARE(e.env.writeBacks.size(), 1);
        QCOMPARE(e.env.saved.size(), 1);
        QCOMPARE(e.env.saved.first().first, e.vm.render());
        static const QRegularExpression name(
            QStringLiteral("^Zentu\\.it_Screenshot_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.png$"));
        QVERIFY2(name.match(e.env.saved.first().second).hasMatch(), qPrintable(e.env.saved.first().second));
        // Ctrl+S saves with the focus anywhere in the window, here on the canvas.
        e.root->canvas().setFocus();
        e.press(Qt::CTRL | Qt::Key_S);
        QCOMPARE(e.env.saved.size(), 2);

        // The Live Text switch and the model agree both ways.
        x.liveTextToggle()->click();
        QVERIFY(e.vm.liveTextEnabled());
        e.vm.setLiveTextEnabled(false);
        QVERIFY(!x.liveTextToggle()->isChecked());
        QCOMPARE(gooeyTipText(x.ocrButton()), QStringLiteral("OCR"));

        // While recognition runs the button says so and takes no second click.
        FakeTextRecognizer recognizer;
        recognizer.hold = true;
        OCRService ocr(recognizer);
        e.env.ocr = &ocr;
        x.ocrButton()->click();
        QVERIFY(!x.ocrButton()->isEnabled());
        QCOMPARE(x.ocrButton()->accessibleName(), QStringLiteral("Erkenne …"));
        recognizer.release(0);
        QTRY_VERIFY(x.ocrButton()->isEnabled());
        QCOMPARE(x.ocrButton()->accessibleName(), QStringLiteral("Text (OCR)"));
        QTRY_VERIFY(e.root->ocrSheet()); // the (empty) result is shown
        e.root->ocrSheet()->reject();
        QVERIFY(!e.vm.ocrText());
    }

    void shareMenuHandsTheOneFileToTheDesktop()
    {
        Editor e;
        QVERIFY(e.active());
        QTemporaryDir folder;
        FakeWorkspace desktop;
        FakeProcessLauncher programs;
        e.env.sharedFolder = folder.path();
        e.env.desktop = &desktop;
        e.env.programs = &programs;
        ShareButton* share = e.exports().shareButton();
        const auto entry = [&](int i) { return share->shareMenu()->actions().at(i); };

        share->click();
        QVERIFY(share->shareMenu() && share->shareMenu()->isVisible());
        const QString path = e.vm.sharedFilePath();
        QVERIFY(QFile::exists(path));
        QCOMPARE(share->shareMenu()->actions().size(), 4);
        entry(0)->trigger();
        entry(1)->trigger();
        entry(2)->trigger();
        entry(3)->trigger();
        QCOMPARE(desktop.openedUrls, QStringList{QUrl::fromLocalFile(path).toString()});
        QCOMPARE(programs.started.size(), 1);
        QCOMPARE(programs.started.first().first, QStringLiteral("xdg-email"));
        QCOMPARE(programs.started.first().second, (QStringList{QStringLiteral("--attach"), path}));
        QCOMPARE(desktop.revealedFiles, QStringList{path});
        QCOMPARE(e.env.copiedTexts, QStringList{path});

        // A second click shares the picture as it is now, in the same file.
        e.vm.placeBadge({100, 100});
        share->click();
        QCOMPARE(e.vm.sharedFilePath(), path);
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied), e.vm.render());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);

        // A newer closure is the one asked; without a file every entry is off.
        int asked = 0;
        share->setMakeItems([&] {
            ++asked;
            return QVariantList{QVariant::fromValue(e.vm.render())};
        });
        share->click();
        QCOMPARE(asked, 1);
        for (QAction* action : share->shareMenu()->actions())
            QVERIFY(!action->isEnabled());
        share->shareMenu()->close();

        // The window closes: the file goes with it.
        e.vm.windowWillClose();
        QVERIFY(!QFile::exists(path));
    }

    void copyAndPasteKeysStepAsideForLiveTextAndTyping()
    {
        Editor e;
        QVERIFY(e.active());
        e.vm.placeBadge({100, 100});
        e.env.clipboardText = QStringLiteral("eingefügt");
        const auto annotations = [&] { return e.vm.state().annotations.size(); };

        e.press(Qt::CTRL | Qt::Key_C);
        QCOMPARE(e.env.copiedImages, QList<QImage>{e.vm.render()});
        e.press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(annotations(), 2);

        // Live Text on: the keys belong to its selection.
        e.vm.setLiveTextEnabled(true);
        e.press(Qt::CTRL | Qt::Key_C);
        e.press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(e.env.copiedImages.size(), 1);
        QCOMPARE(annotations(), 2);
        e.vm.setLiveTextEnabled(false);
        e.press(Qt::CTRL | Qt::Key_C);
        QCOMPARE(e.env.copiedImages.size(), 2);

        // A new text being typed: its field gets both keys, the picture is neither copied nor pasted into.
        e.vm.setTool(EditorTool::text);
        e.vm.beginText({300, 300}, K::text);
        QVERIFY(e.vm.pendingTextOrigin());
        QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget() != &e.window);
        e.press(Qt::CTRL | Qt::Key_C);
        e.press(Qt::CTRL | Qt::Key_V);
        QCOMPARE(e.env.copiedImages.size(), 2);
        QCOMPARE(annotations(), 2);
        e.vm.cancelPendingText();
        e.press(Qt::CTRL | Qt::Key_C);
        QCOMPARE(e.env.copiedImages.size(), 3);
    }

    void recognitionSheetShowsTheResultOrItsAbsence()
    {
        Editor e;
        QVERIFY(e.active());
        // Nothing found: the message alone; Return closes and the result is cleared.
        e.vm.setOcrText(QString());
        OCRResultView* sheet = e.root->ocrSheet();
        QVERIFY(sheet);
        QTRY_VERIFY(sheet->isVisible());
        QCOMPARE(sheet->size(), QSize(460, 320));
        QVERIFY(sheet->emptyMessage() && sheet->emptyMessage()->isVisible());
        QCOMPARE(sheet->emptyMessage()->text(), QStringLiteral("Es wurde kein Text im Bild gefunden."));
        QVERIFY(!sheet->copyAgainButton());
        QCOMPARE(sheet->findChildren<QLabel*>().size(), 2); // the title and the message, no caption
        QTest::keyClick(sheet, Qt::Key_Return);
        QTRY_VERIFY(!e.root->ocrSheet());
        QVERIFY(!e.vm.ocrText());

        // A long text: it scrolls inside the fixed sheet; copying again puts all of it back.
        QStringList lines;
        for (int i = 0; i < 60; ++i)
            lines << QStringLiteral("Zeile %1 des erkannten Textes").arg(i);
        const QString text = lines.join(QLatin1Char('\n'));
        e.vm.setOcrText(text);
        sheet = e.root->ocrSheet();
        QVERIFY(sheet);
        QTRY_VERIFY(sheet->isVisible());
        QCOMPARE(sheet->size(), QSize(460, 320));
        QVERIFY(sheet->textView()->verticalScrollBar()->maximum() > 0);
        QCOMPARE(sheet->textView()->toPlainText(), text);
        QCOMPARE(sheet->findChildren<QLabel*>().last()->text(), QStringLiteral("In die Zwischenablage kopiert."));
        sheet->copyAgainButton()->click();
        QCOMPARE(e.env.copiedTexts, QStringList{text});
        sheet->closeButton()->click();
        QTRY_VERIFY(!e.root->ocrSheet());
        QVERIFY(!e.vm.ocrText());
    }
};

ZENTU_TEST_MAIN(tst_EditorExport)
#include "tst_editorexport.moc"
