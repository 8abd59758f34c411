// Pictures into the editor and results out of it, on the collaborators that
// work on its model: inserted
// pictures scaled and centred, paste preferring pictures, the shared file and
// its folder, save after the write-back, text recognition and Live Text where
// only the newest result counts, and word selection across lines.
#include "Editor/AnnotationRenderer.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "Editor/ImageInsertButton.h"
#include "Editor/LiveTextSelection.h"
#include "Editor/OCRService.h"
#include "Storage/ShareFolder.h"
#include "fakes/FakeEditorEnvironment.h"
#include "fakes/FakeTextRecognizer.h"
#include "support/ChildNamed.h"
#include "support/EditorAnnotations.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QImage filled(int w, int h, QColor c) { return filledImage(w, h, c, QImage::Format_ARGB32_Premultiplied); }

QRectF areaOf(const AnnotationObject& a)
{
    return QRectF(a.points.at(0), a.points.at(1));
}

} // namespace

class tst_EditorResults : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;

private Q_SLOTS:
    void init() { env = {}; }

    void insertedPicturesAreScaledAndCentred()
    {
        const struct {
            QSize screenshot, picture;
            QRectF area;
        } cases[] = {
            {{2000, 1000}, {400, 300}, QRectF(QPointF(800, 350), QPointF(1200, 650))}, // never enlarged
            {{1000, 800}, {2000, 500}, QRectF(QPointF(275, 343.75), QSizeF(450, 112.5))}, // 45 % of the width
        };
        for (const auto& c : cases) {
            EditorSession editor(filled(c.screenshot.width(), c.screenshot.height(), Qt::white), std::nullopt, env);
            EditorViewModel& vm = editor.model();
            editor.insertion().insertImage(filled(c.picture.width(), c.picture.height(), Qt::red));
            const AnnotationObject& a = vm.state().annotations.first();
            QCOMPARE(areaOf(a), c.area);
            QCOMPARE(AnnotationRenderer::decodeEmbeddedImage(*a.imageData).size(), c.picture); // kept whole
            QVERIFY(vm.selectedAnnotationID() == a.id && vm.undoCount() == 1);
        }

        // From the toolbar's picture button: an unreadable file, and the chooser cancelled, add nothing.
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("bild.png"));
        QVERIFY(filled(40, 30, Qt::blue).save(png));
        QFile junk(dir.filePath(QStringLiteral("kaputt.png")));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not a picture") > 0);
        junk.close();
        auto windowEnv = std::make_unique<FakeEditorEnvironment>();
        FakeEditorEnvironment& chooser = *windowEnv;
        EditorWindowController window(filled(1000, 800, Qt::white), std::nullopt, std::move(windowEnv));
        EditorSession& editor = window.session();
        EditorViewModel& vm = editor.model();
        ImageInsertButton* button = childNamed<ImageInsertButton>(window.rootView().toolbar(), "imageInsertButton");
        button->click(); // cancelled
        chooser.chosenFile = junk.fileName();
        button->click();
        editor.insertion().insertImage(QImage());
        QVERIFY(vm.state().annotations.isEmpty());
        chooser.chosenFile = png;
        button->click();
        QCOMPARE(vm.state().annotations.size(), 1);
        QCOMPARE(areaOf(vm.state().annotations.first()), QRectF(480, 385, 40, 30));
    }

    void pastePrefersPicturesAndTrimsText()
    {
        EditorSession editor(filled(1000, 800, Qt::white), std::nullopt, env);
        EditorViewModel& vm = editor.model();
        env.clipboardImage = filled(20, 10, Qt::green);
        env.clipboardText = QStringLiteral("Text daneben");
        editor.insertion().paste();
        QCOMPARE(vm.state().annotations.size(), 1);
        QCOMPARE(vm.state().annotations.first().kind, AnnotationKind::image);

        env.clipboardImage = {};
        env.clipboardText = QStringLiteral(" \n\t ");
        editor.insertion().paste(); // blank text: nothing
        env.clipboardText.reset();
        editor.insertion().paste(); // empty clipboard: nothing
        QCOMPARE(vm.state().annotations.size(), 1);
        env.clipboardText = QStringLiteral("\n  Hallo Welt  \n");
        editor.insertion().paste();
        QCOMPARE(vm.state().annotations.last().text, QStringLiteral("Hallo Welt"));
    }

    void sharingWritesOneFileIntoAPrivateFolder()
    {
        QTemporaryDir runtime;
        const QString folderPath = runtime.filePath(QStringLiteral("com.quorel.zentu.shared"));
        {
            ShareFolder folder(runtime.path());
            env.sharedFolder = folder.ensure();
            QCOMPARE(env.sharedFolder, folderPath);
            const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                                    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
            QVERIFY(!(QFile::permissions(folderPath) & others)); // the user's alone

            EditorSession editor(filled(300, 200, Qt::white), std::nullopt, env);
            editor.drawing().place(AnnotationKind::badge, {150, 100});
            const QString written = editor.sharing().shareItems().first().toUrl().toLocalFile();
            QVERIFY2(QRegularExpression(QStringLiteral("^Zentu-[0-9A-F]{8}\\.png$")).match(QFileInfo(written).fileName()).hasMatch(),
                     qPrintable(written));
            // One file per editor: the next share rewrites it with the picture as it is then.
            editor.drawing().place(AnnotationKind::badge, {50, 50});
            QCOMPARE(editor.sharing().shareItems().first().toUrl().toLocalFile(), written);
            QCOMPARE(QImage(written).convertToFormat(QImage::Format_ARGB32_Premultiplied), editor.results().render());
            EditorSession other(filled(30, 20, Qt::white), std::nullopt, env);
            const QString othersFile = other.sharing().shareItems().first().toUrl().toLocalFile();
            other.windowWillClose(); // its window closes: its file goes, this one's stays
            QVERIFY(!QFile::exists(othersFile));
            QVERIFY(QFile::exists(written));
            env.sharedFolder.clear(); // no folder to write into: the picture itself is handed on
            QCOMPARE(editor.sharing().shareItems().first().value<QImage>(), editor.results().render());
        } // the app quits
        QVERIFY(!QFileInfo::exists(folderPath));

        // Something else under the folder's name is neither written into nor followed.
        QTemporaryDir elsewhere;
        QFile keep(elsewhere.filePath(QStringLiteral("fremd.txt")));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        QVERIFY(QFile::link(elsewhere.path(), folderPath));
        {
            ShareFolder folder(runtime.path());
            QCOMPARE(folder.ensure(), QString());
        }
        QVERIFY(QFile::exists(keep.fileName()));
    }

    // Without a crop the annotations alone are written back (the toolbar's test).
    void savingAfterACropWritesBackTheCutPictureWithoutTheAnnotations()
    {
        const QImage picture = filled(300, 200, Qt::white);
        EditorSession editor(picture, itemWith({}), env);
        editor.drawing().place(AnnotationKind::badge, {150, 100});
        QVERIFY(editor.crop().applyCrop(QRectF(100, 50, 120, 100)));
        editor.results().saveResult(QStringLiteral("x.png"));
        QCOMPARE(env.writeBacks.last().image, picture.copy(100, 50, 120, 100));
        QCOMPARE(env.writeBacks.last().annotations.size(), 1);
        QCOMPARE(env.saved.last().first, editor.results().render());
    }

    void onlyTheNewestRecognitionCounts()
    {
        FakeTextRecognizer recognizer;
        recognizer.hold = true;
        // The second picture carries a badge at (40, 40); its disc reaches (55, 40).
        const auto isNew = [](const QImage& image) { return image.pixelColor(55, 40) != QColor(Qt::white); };
        recognizer.answer = [isNew](const QImage& image, int) {
            return QList<RecognizedLine>{FakeTextRecognizer::line(
                isNew(image) ? QStringLiteral("\n neu \n") : QStringLiteral("  alt  "), QRect(0, 0, 100, 20))};
        };
        OCRService ocr(recognizer);
        env.ocr = &ocr;
        EditorSession editor(filled(300, 200, Qt::white), std::nullopt, env);
        editor.recognition().runOCR();
        QVERIFY(editor.recognition().isRunningOCR());
        editor.drawing().place(AnnotationKind::badge, {40, 40}); // the picture changes; the user asks again
        editor.recognition().runOCR();
        QVERIFY(recognizer.waitForCalls(2));
        const int newer = isNew(recognizer.imageOf(1)) ? 1 : 0;
        recognizer.release(newer);
        QTRY_COMPARE(editor.recognition().ocrText(), std::optional<QString>(QStringLiteral("neu")));
        recognizer.release(1 - newer); // the older one ends last: ignored
        ocr.waitForDone();
        QCoreApplication::sendPostedEvents(); // what came late is delivered now
        QCOMPARE(editor.recognition().ocrText(), std::optional<QString>(QStringLiteral("neu")));
        QCOMPARE(env.copiedTexts, QStringList{QStringLiteral("neu")});
        QVERIFY(!editor.recognition().isRunningOCR());

        // Nothing found: an empty result to show, and the clipboard left alone.
        recognizer.hold = false;
        recognizer.answer = nullptr;
        editor.recognition().runOCR();
        QTRY_COMPARE(editor.recognition().ocrText(), std::optional<QString>(QString()));
        QCOMPARE(env.copiedTexts.size(), 1);
        // Only the installed languages are asked for, German first.
        QCOMPARE(recognizer.askedLanguages, (QStringList{QStringLiteral("deu"), QStringLiteral("eng")}));

        // An editor closed while its recognition runs gets no result.
        recognizer.hold = true;
        auto closing = std::make_unique<EditorSession>(filled(30, 20, Qt::white), std::nullopt, env);
        closing->recognition().runOCR();
        QVERIFY(recognizer.waitForCalls(4));
        closing.reset();
        recognizer.release(3);
        ocr.waitForDone();
        QCoreApplication::sendPostedEvents(); // what came late is delivered now
        QCOMPARE(env.copiedTexts.size(), 1);
    }

    void liveTextOffersOnlyTheCurrentPicturesLines()
    {
        FakeTextRecognizer recognizer;
        recognizer.hold = true;
        recognizer.answer = [](const QImage& image, int) {
            return QList<RecognizedLine>{
                FakeTextRecognizer::line(QStringLiteral("Breite %1").arg(image.width()), QRect(10, 10, 200, 20))};
        };
        OCRService ocr(recognizer);
        env.ocr = &ocr;
        EditorSession editor(filled(800, 600, Qt::white), std::nullopt, env);
        EditorViewModel& vm = editor.model();
        QCOMPARE(recognizer.callCount(), 0); // nothing is read before Live Text is asked for
        editor.recognition().setLiveTextEnabled(true);
        QVERIFY(recognizer.waitForCalls(1));
        QVERIFY(editor.crop().applyCrop(QRectF(0, 0, 400, 300))); // a new picture while the first is read
        QVERIFY(recognizer.waitForCalls(2));
        recognizer.release(1);
        QTRY_COMPARE(editor.recognition().liveTextLines().value(0).text, QStringLiteral("Breite 400"));
        recognizer.release(0); // the first picture's lines arrive last: not installed
        ocr.waitForDone();
        QCoreApplication::sendPostedEvents(); // what came late is delivered now
        QCOMPARE(editor.recognition().liveTextLines().first().text, QStringLiteral("Breite 400"));

        // Off and on again: the same picture is not read again.
        editor.recognition().setLiveTextEnabled(false);
        editor.recognition().setLiveTextEnabled(true);
        QCOMPARE(recognizer.callCount(), 2);
        // Undo brings the first picture back: its old lines are gone at once, then read anew.
        vm.undo();
        QVERIFY(editor.recognition().liveTextLines().isEmpty());
        QVERIFY(recognizer.waitForCalls(3));
        recognizer.release(2);
        QTRY_COMPARE(editor.recognition().liveTextLines().value(0).text, QStringLiteral("Breite 800"));
    }

    void wordSelectionRunsBackwardsAndNeedsAWord()
    {
        LiveTextSelection selection;
        selection.setLines({FakeTextRecognizer::line(QStringLiteral("eins zwei drei"), QRect(0, 0, 300, 20)),
                            FakeTextRecognizer::line(QStringLiteral("vier fünf"), QRect(0, 40, 200, 20))});
        selection.begin({150, 10}); // on "zwei"
        selection.extend({900, 200}); // far beyond the end: the last word
        QCOMPARE(selection.selectedText(), QStringLiteral("zwei drei\nvier fünf"));
        selection.extend({5, 5}); // backwards, before the anchor
        QCOMPARE(selection.selectedText(), QStringLiteral("eins zwei"));
        selection.begin({500, 30}); // away from words: nothing
        selection.extend({50, 50});
        QVERIFY(selection.isEmpty());
    }
};

ZENTU_TEST_MAIN(tst_EditorResults)
#include "tst_editorresults.moc"
