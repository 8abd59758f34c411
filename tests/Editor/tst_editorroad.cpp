// Editor windows on the program's road, with fake platform services and the
// real screenshot history: a replaced picture against the capture's own
// background PNG write, and one window per screenshot. (Closing and quitting
// with an editor open are driven with the real program on X11.)
#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeAppPlatform.h"
#include "fakes/FakeWindowContents.h"
#include "support/EditorAnnotations.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QImage noisy(int w, int h)
{
    return noisyImage(w, h, QImage::Format_RGB32);
}

QJsonObject storedRecord()
{
    return historyOnDisk(testFolders().baseDirectory() + QStringLiteral("/screenshots.json")).at(0).toObject();
}

} // namespace

class tst_EditorRoad : public QObject {
    Q_OBJECT

    struct App {
        FakeAppPlatform services;
        FakeWindowContents contents;
        std::unique_ptr<AppDelegate> delegate;
        AppCoordinator& coordinator() { return delegate->coordinator(); }
        ScreenshotHistoryStore& store() { return *coordinator().environment().screenshotStore; }
        App()
        {
            services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
            contents.editor = [this](const QImage& image, const ScreenshotItem& item) {
                return EditorWindowController::forHistory(image, item, store());
            };
            delegate = std::make_unique<AppDelegate>(services.platform(), services, &contents);
        }
        EditorWindowController* editor(size_t i = 0)
        {
            return qobject_cast<EditorWindowController*>(coordinator().editorWindows().at(i).get());
        }
    };

    static void drawArrow(EditorSession& editor)
    {
        editor.model().setTool(EditorTool::arrow);
        editor.drawing().beginDrag({20, 30});
        editor.drawing().updateDrag({120, 90});
        editor.drawing().endDrag();
    }

private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        testFolders().ensureDirectories();
    }

    void aReplacedPictureWinsOverTheCapturesPendingWrite()
    {
        App app;
        const QImage shot = noisy(2400, 1600);
        const ScreenshotItem item = app.store().add(shot, CaptureKind::area);
        QVERIFY(app.store().hasPendingImage(item.id));
        app.coordinator().openEditor(shot, item);
        EditorViewModel& vm = app.editor()->viewModel();
        vm.setTool(EditorTool::crop);
        QVERIFY(app.editor()->session().crop().applyCrop({10.4, 20.6, 100.2, 50.1})); // the whole pixels around it
        const QImage cut = shot.copy(10, 20, 101, 51);
        drawArrow(app.editor()->session());
        app.editor()->close();

        app.store().waitForPendingWrites();
        QCoreApplication::processEvents(); // the write's completion, had it not been cancelled
        // The cut picture has a name of its own; the capture's is gone.
        const QJsonObject record = storedRecord();
        const QString name = record.value("fileName").toString();
        QVERIFY(name != item.fileName);
        QVERIFY(!QFile::exists(testFolders().screenshotsDirectory() + "/" + item.fileName));
        QCOMPARE(QImage(testFolders().screenshotsDirectory() + "/" + name).convertToFormat(QImage::Format_RGB32), cut);
        QCOMPARE(app.store().image(app.store().items().front()).convertToFormat(QImage::Format_RGB32), cut);
        QCOMPARE(record.value("width").toInt(), 101);
        QCOMPARE(record.value("height").toInt(), 51);
        QCOMPARE(record.value("annotations").toArray().size(), 1);
        const QImage thumb(testFolders().thumbnailsDirectory() + "/" + record.value("thumbnailFileName").toString());
        QVERIFY(!thumb.isNull() && std::abs(thumb.width() * 51 - thumb.height() * 101) <= 101);
    }

    void aScreenshotOpensInOneWindowOnly()
    {
        App app;
        const QImage shot = noisy(300, 200);
        const ScreenshotItem item = app.store().add(shot, CaptureKind::area);
        app.coordinator().openEditor(shot, item);
        EditorWindowController* first = app.editor();
        app.coordinator().openEditor(shot, item);
        QCOMPARE(app.coordinator().editorWindows().size(), size_t(1));
        QCOMPARE(app.editor(), first);
        app.coordinator().openEditor(shot, app.store().add(shot, CaptureKind::area));
        QCOMPARE(app.coordinator().editorWindows().size(), size_t(2));
    }
};

ZENTU_TEST_MAIN(tst_EditorRoad)
#include "tst_editorroad.moc"
