// The screenshot history against a temporary data folder: adding with the
// background PNG write, trimming with favourites, removal and clearing while
// writes are pending, edits, reloading, and broken or hostile history files.
#include "Storage/DebugLog.h"
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
    static void writeHistory(const QByteArray& content)
    {
        Storage::ensureDirectories();
        QFile file(historyPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    static QJsonArray fileArray()
    {
        QFile f(historyPath());
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).array() : QJsonArray();
    }
    static QList<QByteArray> asideContents()
    {
        QList<QByteArray> out;
        for (const QString& name : QDir(Storage::baseDirectory()).entryList({"screenshots.json.unreadable-*"})) {
            QFile f(Storage::baseDirectory() + "/" + name);
            out.append(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
        }
        return out;
    }
    static QString logText()
    {
        QFile log(DebugLog::filePath());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

private Q_SLOTS:
    void init()
    {
        QDir(Storage::baseDirectory()).removeRecursively();
        defaults.values.clear();
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
    }

    void addServesAtOnceAndWritesInBackground()
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
        // Served from memory until the files exist.
        QCOMPARE(store.thumbnail(item).size(), QSize(320, 128));
        QCOMPARE(store.image(item), image);
        store.waitForPendingWrites();
        QVERIFY(!store.hasPendingImage(item.id));
        QCOMPARE(QImage(full(item)).convertToFormat(QImage::Format_ARGB32), image);
        QCOMPARE(QImage(thumb(item)).size(), QSize(320, 128));
        QCOMPARE(store.thumbnail(item).size(), QSize(320, 128));
        // Nothing but the owner may read them.
        for (const QString& path : {full(item), thumb(item), historyPath()})
            QCOMPARE(QFile::permissions(path) & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());

        const ScreenshotItem tall = store.add(filled(1000, 5000, Qt::red), CaptureKind::scrolling, {});
        store.waitForPendingWrites();
        QCOMPARE(QImage(thumb(tall)).size(), QSize(320, 233));

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
        store.waitForPendingWrites();
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
        store.waitForPendingWrites();
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
        QCOMPARE(store.image(item), cropped); // at once
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
        QVERIFY(logText().contains("PNG konnte nicht geschrieben werden"));
        // The record of a picture that is not on disk is not written either.
        QVERIFY(fileArray().isEmpty());
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
        for (const char* name : {"a.png", "b.png"})
            QVERIFY(filled(5, 5, Qt::blue).save(Storage::screenshotsDirectory() + "/" + name));
        writeHistory(R"([
 {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1},
 {"annotations":[],"captureKind":"window","createdAt":"2026-03-01T10:00:00Z","fileName":"b.png","height":1,"id":"00000000-0000-0000-0000-00000000000B","isFavorite":true,"width":1,"unknown":3}
])");
        ScreenshotHistoryStore store(*settings);
        QCOMPARE(store.items().size(), 2);
        QCOMPARE(store.items().at(0).fileName, QStringLiteral("b.png"));
        // No thumbnail named: the full image stands in, and edits write none.
        QCOMPARE(store.thumbnail(store.items().at(0)).size(), QSize(5, 5));
        store.updateImage(filled(8, 8, Qt::red), {}, store.items().at(0));
        store.waitForPendingWrites();
        QVERIFY(filesIn(Storage::thumbnailsDirectory()).isEmpty());
    }

    void unreadableFileIsMovedAsideNotOverwritten()
    {
        const QByteArray content("{{{ kaputt");
        writeHistory(content);
        ScreenshotHistoryStore store(*settings);
        QVERIFY(store.items().isEmpty());
        store.add(filled(10, 10, Qt::red), CaptureKind::area, {});
        store.waitForPendingWrites();
        QCOMPARE(asideContents(), QList<QByteArray>{content});
        QVERIFY(logText().contains("screenshots.json nicht lesbar"));
    }

    void brokenRecordsAreSkippedAndTheRestShown()
    {
        // A newer version's kind, a missing key, a picture that is gone: only
        // those records go, the original is kept aside, the file is cleaned.
        Storage::ensureDirectories();
        QVERIFY(filled(5, 5, Qt::blue).save(Storage::screenshotsDirectory() + "/a.png"));
        const QByteArray content = R"([
 {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":5,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":5},
 {"annotations":[],"captureKind":"video","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000B","isFavorite":false,"width":1},
 {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"a.png","height":1,"id":"00000000-0000-0000-0000-00000000000C","width":1},
 {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"weg.png","height":1,"id":"00000000-0000-0000-0000-00000000000D","isFavorite":false,"width":1}
])";
        writeHistory(content);
        ScreenshotHistoryStore store(*settings);
        QCOMPARE(store.items().size(), 1);
        QCOMPARE(store.items().front().fileName, QStringLiteral("a.png"));
        store.waitForPendingWrites();
        QCOMPARE(asideContents(), QList<QByteArray>{content});
        QCOMPARE(fileArray().size(), 1);
        const QString log = logText();
        QVERIFY(log.contains("Eintrag 2 von 4 in screenshots.json nicht lesbar, übersprungen (id 00000000-0000-0000-0000-00000000000B)"));
        QVERIFY(log.contains("Eintrag 3 von 4 in screenshots.json nicht lesbar"));
        QVERIFY(log.contains("Bild fehlt, Eintrag übersprungen: weg.png"));
        // A clean file loads without another copy.
        ScreenshotHistoryStore again(*settings);
        QCOMPARE(again.items().size(), 1);
        QCOMPARE(asideContents().size(), 1);
    }

    void hostileFileNamesTouchNothing()
    {
        const QString victim = Storage::baseDirectory() + "/victim.txt";
        Storage::ensureDirectories();
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("keep me");
        v.close();
        writeHistory(R"([{"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"../victim.txt","thumbnailFileName":"../victim.txt","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1},
                       {"annotations":[],"captureKind":"area","createdAt":"2026-01-01T09:00:00Z","fileName":"..","height":1,"id":"00000000-0000-0000-0000-00000000000B","isFavorite":false,"width":1}])");
        // Such names name no picture of ours: the records are not shown, and
        // handing them in anyway touches nothing.
        ScreenshotHistoryStore store(*settings);
        QVERIFY(store.items().isEmpty());
        const ScreenshotItem hostile = *ScreenshotItem::fromJson(QJsonDocument::fromJson(R"({"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"../victim.txt","thumbnailFileName":"../victim.txt","height":1,"id":"00000000-0000-0000-0000-00000000000A","isFavorite":false,"width":1})").object());
        QVERIFY(store.image(hostile).isNull());
        store.remove(hostile);
        store.clearAll(false);
        store.waitForPendingWrites();
        QVERIFY(QDir(Storage::baseDirectory()).exists());
        QFile check(victim);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("keep me"));
    }
};

ZENTU_TEST_MAIN(tst_ScreenshotHistoryStore)
#include "tst_ScreenshotHistoryStore.moc"
