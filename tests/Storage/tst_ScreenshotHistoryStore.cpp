// The screenshot history against a temporary data folder: adding with the
// background PNG write, trimming with favourites, removal and clearing while
// writes are pending, edits, reloading, and broken or hostile history files.
#include "Debug/DebugLog.h"
#include "Settings/SettingsManager.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSignalSpy>

class tst_ScreenshotHistoryStore : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    std::unique_ptr<SettingsManager> settings;

    static QImage filled(int w, int h, QColor color)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }
    static QImage noisy(int w, int h) { return noisyImage(w, h); }
    static QString full(const ScreenshotItem& i) { return Storage::screenshotsDirectory() + "/" + i.fileName; }
    static QString thumb(const ScreenshotItem& i) { return Storage::thumbnailsDirectory() + "/" + *i.thumbnailFileName; }
    static QString historyPath() { return Storage::baseDirectory() + "/screenshots.json"; }
    void setLimit(qint64 limit)
    {
        settings->update([&](AppSettings& s) { s.maxScreenshotItems = limit; });
    }
    static QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files); }

private Q_SLOTS:
    void init()
    {
        QDir(Storage::baseDirectory()).removeRecursively();
        defaults.values.clear();
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
    }

    void addWritesThumbnailAtOnceAndImageInBackground()
    {
        ScreenshotHistoryStore store(*settings);
        QSignalSpy changed(&store, &ScreenshotHistoryStore::itemsChanged);
        const QImage image = noisy(1000, 400);
        const ScreenshotItem item = store.add(image, CaptureKind::area, {});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(store.items().size(), 1);
        QCOMPARE(item.width, 1000);
        QCOMPARE(item.height, 400);
        QVERIFY(item.fileName.startsWith("Zentu.it_Screenshot_"));
        QCOMPARE(*item.thumbnailFileName, item.fileName.chopped(4) + "_thumb.png");
        QCOMPARE(QImage(thumb(item)).size(), QSize(320, 128));
        QCOMPARE(store.image(item), image); // served from memory until the file exists
        store.waitForPendingWrites();
        QVERIFY(!store.hasPendingImage(item.id));
        QCOMPARE(QImage(full(item)).convertToFormat(QImage::Format_ARGB32), image);
        QCOMPARE(store.thumbnail(item).size(), QSize(320, 128));

        const ScreenshotItem tall = store.add(filled(1000, 5000, Qt::red), CaptureKind::scrolling, {});
        QCOMPARE(QImage(thumb(tall)).size(), QSize(320, 233));
        store.waitForPendingWrites();

        ScreenshotHistoryStore reloaded(*settings);
        QCOMPARE(reloaded.items().size(), 2);
        QCOMPARE(reloaded.items().at(0).id, tall.id);
        QCOMPARE(reloaded.items().at(1).fileName, item.fileName);
    }

    void trimKeepsFavouritesAndDropsTheRest()
    {
        setLimit(3);
        ScreenshotHistoryStore store(*settings);
        QList<ScreenshotItem> added;
        for (int i = 0; i < 3; ++i)
            added.append(store.add(filled(40, 30, Qt::blue), CaptureKind::window, {}));
        store.waitForPendingWrites();
        const ScreenshotItem fourth = store.add(filled(40, 30, Qt::green), CaptureKind::window, {});
        store.waitForPendingWrites();
        QCOMPARE(store.items().size(), 3);
        QCOMPARE(store.items().front().id, fourth.id);
        QVERIFY(!QFile::exists(full(added[0])));
        QVERIFY(!QFile::exists(thumb(added[0])));
        QVERIFY(QFile::exists(full(added[1])));

        // Two favourites at a limit of two: the new capture goes at once, and
        // neither its PNG nor its memory copy stays behind.
        setLimit(2);
        store.clearAll(false);
        store.toggleFavorite(store.add(filled(40, 30, Qt::blue), CaptureKind::area, {}));
        store.toggleFavorite(store.add(filled(40, 30, Qt::blue), CaptureKind::area, {}));
        const ScreenshotItem gone = store.add(noisy(1500, 1500), CaptureKind::area, {});
        QCOMPARE(gone.width, 1500);
        QCOMPARE(store.items().size(), 2);
        QVERIFY(!store.hasPendingImage(gone.id));
        store.waitForPendingWrites();
        QVERIFY(!QFile::exists(full(gone)));
        QVERIFY(!QFile::exists(thumb(gone)));
        QVERIFY(store.image(gone).isNull());

        setLimit(0);
        for (int i = 0; i < 4; ++i)
            store.add(filled(10, 10, Qt::blue), CaptureKind::area, {});
        QCOMPARE(store.items().size(), 6);
    }

    void removeAndClearWinOverPendingWrites()
    {
        ScreenshotHistoryStore store(*settings);
        const ScreenshotItem removed = store.add(noisy(1500, 1500), CaptureKind::area, {});
        store.remove(removed);
        QVERIFY(store.items().isEmpty());
        QVERIFY(!store.hasPendingImage(removed.id));
        store.waitForPendingWrites();
        QVERIFY(!QFile::exists(full(removed)));
        QVERIFY(!QFile::exists(thumb(removed)));

        // A written file goes to the Trash on remove, but clearing deletes.
        const ScreenshotItem written = store.add(filled(20, 20, Qt::red), CaptureKind::area, {});
        store.waitForPendingWrites();
        store.remove(written);
        QVERIFY(!QFile::exists(full(written)));
        QVERIFY(QFile::exists(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath("Trash/files/" + written.fileName)));

        const ScreenshotItem favourite = store.add(filled(20, 20, Qt::red), CaptureKind::area, {});
        store.toggleFavorite(favourite);
        store.add(noisy(1500, 1500), CaptureKind::area, {});
        store.add(noisy(1500, 1500), CaptureKind::area, {});
        store.clearAll(true);
        store.waitForPendingWrites();
        QCOMPARE(store.items().size(), 1);
        QCOMPARE(store.items().front().id, favourite.id);
        QCOMPARE(filesIn(Storage::screenshotsDirectory()), QStringList{favourite.fileName});
        QCOMPARE(filesIn(Storage::thumbnailsDirectory()), QStringList{*favourite.thumbnailFileName});
        store.clearAll(false);
        QVERIFY(filesIn(Storage::screenshotsDirectory()).isEmpty());
        ScreenshotHistoryStore reloaded(*settings);
        QVERIFY(reloaded.items().isEmpty());
    }

    void editsReplaceImageAndAnnotations()
    {
        ScreenshotHistoryStore store(*settings);
        const ScreenshotItem item = store.add(noisy(1500, 1500), CaptureKind::scrolling, {});
        const QImage cropped = filled(600, 300, Qt::yellow);
        AnnotationObject arrow;
        arrow.points = {{1, 1}, {9, 9}};
        store.updateImage(cropped, {arrow}, item);
        store.waitForPendingWrites(); // the first PNG must not land over the edit
        QCOMPARE(QImage(full(item)).pixelColor(5, 5), QColor(Qt::yellow));
        QCOMPARE(QImage(full(item)).size(), QSize(600, 300));
        QCOMPARE(QImage(thumb(item)).size(), QSize(320, 160)); // plain thumbnail now
        QCOMPARE(store.items().front().width, 600);
        QCOMPARE(store.items().front().annotations.size(), 1);
        QCOMPARE(store.items().front().captureKind, CaptureKind::scrolling);

        store.updateAnnotations({}, item);
        QVERIFY(store.items().front().annotations.isEmpty());
        ScreenshotItem stranger = item;
        stranger.id = QUuid::createUuid();
        store.updateAnnotations({arrow}, stranger);
        store.updateImage(cropped, {arrow}, stranger);
        store.toggleFavorite(stranger);
        QVERIFY(store.items().front().annotations.isEmpty());
        QVERIFY(!store.items().front().isFavorite);

        ScreenshotHistoryStore reloaded(*settings);
        QCOMPARE(reloaded.items().front().width, 600);
    }

    void failedBackgroundWriteIsLoggedAndImageKept()
    {
        ScreenshotHistoryStore store(*settings);
        // A plain file where the folder should be: every PNG write fails.
        QDir(Storage::screenshotsDirectory()).removeRecursively();
        QFile blocker(Storage::screenshotsDirectory());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QImage image = filled(30, 30, Qt::magenta);
        const ScreenshotItem item = store.add(image, CaptureKind::area, {});
        store.waitForPendingWrites();
        QCOMPARE(store.image(item), image);
        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("PNG konnte nicht geschrieben werden"));
    }

    void sameMillisecondGetsDistinctNames()
    {
        ScreenshotHistoryStore store(*settings);
        const QDateTime fixed = QDateTime::currentDateTime();
        store.setClock([fixed] { return fixed; });
        const ScreenshotItem a = store.add(filled(20, 20, Qt::red), CaptureKind::area, {});
        const ScreenshotItem b = store.add(filled(20, 20, Qt::blue), CaptureKind::area, {});
        QVERIFY(a.fileName != b.fileName);
        QCOMPARE(b.fileName, a.fileName.chopped(4) + "-2.png");
        QCOMPARE(*b.thumbnailFileName, a.fileName.chopped(4) + "-2_thumb.png");
        store.waitForPendingWrites();
        QCOMPARE(QImage(full(a)).pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(QImage(full(b)).pixelColor(0, 0), QColor(Qt::blue));

        // Equal times after a reload keep the file's order.
        ScreenshotHistoryStore reloaded(*settings);
        QCOMPARE(reloaded.items().at(0).id, b.id);
        QCOMPARE(reloaded.items().at(1).id, a.id);
    }

    void loadSortsNewestFirst()
    {
        Storage::ensureDirectories();
        QFile file(historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"([
 {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1},
 {"annotations":[],"captureKind":"window","createdAt":"2026-03-01T10:00:00Z","fileName":"b.png","height":1,"id":"00000000-0000-0000-0000-00000000000B","isFavorite":true,"width":1,"unknown":3}
])");
        file.close();
        ScreenshotHistoryStore store(*settings);
        QCOMPARE(store.items().size(), 2);
        QCOMPARE(store.items().at(0).fileName, QStringLiteral("b.png"));
        // No thumbnail named: the full image stands in, and edits write none.
        QVERIFY(store.thumbnail(store.items().at(0)).isNull());
        QImage(5, 5, QImage::Format_ARGB32).save(Storage::screenshotsDirectory() + "/b.png");
        QCOMPARE(store.thumbnail(store.items().at(0)).size(), QSize(5, 5));
        store.updateImage(filled(8, 8, Qt::red), {}, store.items().at(0));
        QVERIFY(filesIn(Storage::thumbnailsDirectory()).isEmpty());
    }

    void unreadableHistoryIsMovedAsideNotOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArray("{{{ kaputt");
        QTest::newRow("record lacks isFavorite") << QByteArray(R"([{"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000A","width":1}])");
        QTest::newRow("unknown kind") << QByteArray(R"([{"annotations":[],"captureKind":"video","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1}])");
    }
    void unreadableHistoryIsMovedAsideNotOverwritten()
    {
        QFETCH(QByteArray, content);
        Storage::ensureDirectories();
        QFile file(historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ScreenshotHistoryStore store(*settings);
        QVERIFY(store.items().isEmpty());
        store.add(filled(10, 10, Qt::red), CaptureKind::area, {});
        store.waitForPendingWrites();
        const QStringList aside = QDir(Storage::baseDirectory()).entryList({"screenshots.json.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(Storage::baseDirectory() + "/" + aside.front());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("screenshots.json nicht lesbar"));
    }

    void hostileFileNamesTouchNothing()
    {
        const QString victim = Storage::baseDirectory() + "/victim.txt";
        Storage::ensureDirectories();
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("keep me");
        v.close();
        QFile file(historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"([{"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"../victim.txt","thumbnailFileName":"../victim.txt","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1},
                       {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T09:00:00Z","fileName":"..","height":1,"id":"00000000-0000-0000-0000-00000000000B","isFavorite":false,"width":1}])");
        file.close();
        ScreenshotHistoryStore store(*settings);
        QCOMPARE(store.items().size(), 2);
        QVERIFY(store.image(store.items().at(0)).isNull());
        store.updateImage(filled(4, 4, Qt::red), {}, store.items().at(0));
        store.remove(store.items().at(0));
        store.clearAll(false);
        QVERIFY(QFile::exists(victim));
        QVERIFY(QDir(Storage::baseDirectory()).exists());
        QFile check(victim);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("keep me"));
    }
};

ZENTU_TEST_MAIN(tst_ScreenshotHistoryStore)
#include "tst_ScreenshotHistoryStore.moc"
