// The editor's results through the app's editor services, on fake services: a copy
// reaches the clipboard and the clipboard history exactly once as the app's
// own (and not at all with the history off), a save lands where the dialog
// says and a failed one is reported with its path; pinned pictures fit the
// screen, keep their aspect and opacity range and go when closed; the share
// folder is emptied at start-up and at quit.
#include "App/AppCoordinator.h"
#include "App/AppEditorEnvironment.h"
#include "Pinned/PinnedImageModel.h"
#include "Pinned/PinnedImageView.h"
#include "Pinned/PinnedImageWindowController.h"
#include "App/PinnedImages.h"
#include "App/ResultActions.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Editor/EditorSession.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ShareFolder.h"
#include "Storage/Storage.h"
#include "fakes/FakeAppPlatform.h"
#include "support/ChildNamed.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

class tst_ResultActions : public QObject {
    Q_OBJECT
    std::unique_ptr<FakeAppPlatform> services;
    std::unique_ptr<AppCoordinator> coordinator;
    std::unique_ptr<AppEditorEnvironment> environment;
    std::unique_ptr<EditorSession> editor;

    void setHistory(bool on)
    {
        coordinator->environment().settings->update([on](AppSettings& s) { s.clipboardHistoryEnabled = on; });
    }

private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
        services = std::make_unique<FakeAppPlatform>();
        coordinator = std::make_unique<AppCoordinator>(services->platform(), *services);
        environment = std::make_unique<AppEditorEnvironment>(coordinator->editorServices());
        editor = std::make_unique<EditorSession>(filledImage(120, 80, Qt::white, QImage::Format_ARGB32_Premultiplied),
                                               std::nullopt, *environment);
        editor->drawing().place(AnnotationKind::badge, {60, 40});
    }
    void cleanup()
    {
        editor.reset();
        environment.reset();
        coordinator.reset();
        services.reset();
    }

    void copiesAreRecordedOnceAsTheAppsOwn()
    {
        FakeClipboardService& clipboard = services->clipboardService;
        ClipboardHistoryStore& history = *coordinator->environment().clipboardStore;
        const auto pollAsForeign = [&] {
            clipboard.lateNotice(); // a notice that arrives after our write does not make it a new copy
            coordinator->clipboardMonitor().poll();
        };
        setHistory(true);
        editor->results().copyResult();
        environment->copyText(QStringLiteral("erkannter Text"));
        pollAsForeign();
        QCOMPARE(history.items().size(), 2);
        QCOMPARE(history.items().first().text, std::optional<QString>(QStringLiteral("erkannter Text")));
        QCOMPARE(history.items().first().sourceAppBundleID, std::optional<QString>(QStringLiteral("com.quorel.zentu")));
        // An older entry copied back from the history is not recorded again.
        history.copyToPasteboard(history.items().at(1));
        pollAsForeign();
        QCOMPARE(history.items().size(), 2);

        // With the history off: on the clipboard, in no history, not even through the poll.
        setHistory(false);
        editor->drawing().place(AnnotationKind::badge, {20, 20});
        editor->results().copyResult();
        QCOMPARE(clipboard.objectImage, editor->results().render());
        setHistory(true);
        pollAsForeign();
        QCOMPARE(history.items().size(), 2);
    }

    void savesLandWhereChosenAndFailuresAreReported()
    {
        FakeImageFileDialogs& dialogs = services->fileDialogs;
        QSignalSpy saved(&coordinator->editorServices().results, &ResultActions::saved);
        QSignalSpy failed(&coordinator->editorServices().results, &ResultActions::saveFailed);
        const QString exportFolder = testFolders().exportDirectory(coordinator->environment().settings->settings());
        QDir(exportFolder).removeRecursively();

        // Cancelled: nothing written, nothing said; the export folder was made for the dialog.
        editor->results().saveResult(QStringLiteral("Zentu.it_Screenshot_2026-03-04_05-06-07.png"));
        QCOMPARE(dialogs.saveFolders, QStringList{exportFolder});
        QVERIFY(QFileInfo(exportFolder).isDir());
        QCOMPARE(saved.size() + failed.size(), 0);

        // A name typed without the extension gets ".png"; the file is the flattened picture.
        dialogs.saveAnswer = exportFolder + QStringLiteral("/Ergebnis");
        editor->results().saveResult(QStringLiteral("x.png"));
        const QString path = exportFolder + QStringLiteral("/Ergebnis.png");
        QCOMPARE(saved.value(0).value(0).toString(), path);
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied), editor->results().render());

        // A place that cannot be written: the user is told, with the path;
        // nothing claims success, and the dialog offers the chosen name again
        // (in the export folder, as the chosen one is missing).
        const QString bad = exportFolder + QStringLiteral("/fehlt/gibt-es-nicht.png");
        dialogs.holdSave = true;
        editor->results().saveResult(QStringLiteral("x.png"));
        dialogs.answerSave(bad);
        QCOMPARE(QList<int>({int(saved.size()), int(failed.size())}), QList<int>({1, 1}));
        QVERIFY(!QFile::exists(bad));
        QCOMPARE(services->alertsFake.shown.size(), 1);
        const Alerts::Alert& alert = services->alertsFake.shown.first();
        QCOMPARE(alert.message, QStringLiteral("Speichern fehlgeschlagen"));
        QVERIFY2(alert.informativeText.contains(bad), qPrintable(alert.informativeText));
        QCOMPARE(dialogs.suggestedNames.last(), QStringLiteral("gibt-es-nicht.png"));
        QCOMPARE(dialogs.saveFolders.last(), exportFolder);
        const QString good = exportFolder + QStringLiteral("/gibt-es-nicht.png");
        dialogs.answerSave(good);
        QCOMPARE(saved.size(), 2);
        QCOMPARE(QImage(good).convertToFormat(QImage::Format_ARGB32_Premultiplied), editor->results().render());

        // Declining a new place ends it there.
        services->alertsFake.answers = {1};
        const int asked = dialogs.suggestedNames.size();
        editor->results().saveResult(QStringLiteral("x.png"));
        dialogs.answerSave(bad);
        QCOMPARE(failed.size(), 2);
        QCOMPARE(dialogs.suggestedNames.size(), asked + 1);
    }

    void pinnedPicturesFitTheScreenKeepTheirAspectAndGoWhenClosed()
    {
        using Controller = PinnedImageWindowController;
        QCOMPARE(Controller::layout({4000, 3000}, QSize(1440, 900)).content, QSize(720, 540));
        // Taller than the screen allows at the minimum width: the whole window fits, aspect kept.
        const Controller::Layout tall = Controller::layout({100, 1000}, QSize(1440, 900));
        QCOMPARE(QList<QSize>({tall.content, tall.minimum}), QList<QSize>(2, QSize(90, 900)));

        environment->pinImage(filledImage(4000, 3000, Qt::red, QImage::Format_ARGB32_Premultiplied));
        environment->pinImage(filledImage(50, 50, Qt::blue, QImage::Format_ARGB32_Premultiplied));
        PinnedImageWindowController* first = coordinator->editorServices().pinned.windows().front();
        QVERIFY(first->isVisible());

        // Opacity: the slider and the model stay within 0.2 … 1.0.
        PinnedImageModel& model = first->model();
        childNamed<QSlider>(first->view(), "opacitySlider")->setValue(50);
        QCOMPARE(model.opacity(), 0.5);
        model.setOpacity(0.05);
        QCOMPARE(model.opacity(), 0.2);
        QCOMPARE(childNamed<QSlider>(first->view(), "opacitySlider")->value(), 20);

        // Resizing keeps the aspect ratio, the minimum and the screen.
        const QRect start(100, 100, 400, 300);
        const QSize screen(1440, 900);
        QCOMPARE(PinnedImageView::resized(start, Qt::TopEdge | Qt::LeftEdge, {-40, 200}, {210, 158}, screen),
                 QRect(60, 70, 440, 330)); // the larger pull wins; the bottom-right corner stays
        QCOMPARE(PinnedImageView::resized(start, Qt::BottomEdge, {0, -500}, {210, 158}, screen).size(), QSize(211, 158));
        QCOMPARE(PinnedImageView::resized(start, Qt::RightEdge, {5000, 0}, {210, 158}, screen).size(), QSize(1200, 900));

        QPointer<PinnedImageWindowController> watched(first);
        childNamed<QToolButton>(first->view(), "closeButton")->click();
        QCOMPARE(coordinator->editorServices().pinned.windows().size(), 1);
        QTRY_VERIFY(watched.isNull());
    }

    void theShareFolderIsEmptiedAtStartAndAtQuit()
    {
        const QString folder = environment->shareFolder();
        const QString left = folder + QStringLiteral("/Zentu-0000ABCD.png");
        QVERIFY(QFile(left).open(QIODevice::WriteOnly));
        coordinator->start();
        QVERIFY(!QFile::exists(left));
        const QString shared = editor->sharing().shareItems().value(0).toUrl().toLocalFile();
        QVERIFY(QFile::exists(shared));
        coordinator.reset(); // the app quits
        QVERIFY(!QFile::exists(shared));
    }
};

ZENTU_TEST_MAIN(tst_ResultActions)
#include "tst_resultactions.moc"
