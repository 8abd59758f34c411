// Both history stores against a temporary data folder. What they share runs
// once per store: trimming around favourites, clearing and reloading, the
// owner-only files, newest-first loading, broken and hostile history files.
// Then what each does on its own: the screenshot store's background picture
// writes racing removal and edits, pictures taken back at start, the
// clipboard store's duplicates, previews and copying back, and the journal
// of changes beside a history file.
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/HistoryFile.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/FilledImage.h"
#include "support/DebugLogMessages.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

namespace {

QString id(char letter) { return QStringLiteral("00000000-0000-0000-0000-00000000000") + QLatin1Char(letter); }

// What differs between the two stores, for the cases they share.
struct ScreenshotStore {
    using Store = ScreenshotHistoryStore;
    using Item = ScreenshotItem;
    static constexpr const char* fileName = "screenshots.json";
    static std::unique_ptr<Store> make(SettingsManager& s, FakeClipboardService&) { return std::make_unique<Store>(s, testFolders()); }
    static void add(Store& store, QColor c) { store.add(filledImage(10, 10, c), CaptureKind::area, {}); }
    static QString pictureDir() { return testFolders().screenshotsDirectory(); }
    static QString picture(const Item& i) { return i.fileName; }
    static void setLimit(SettingsManager& s, qint64 n) { s.update([n](AppSettings& a) { a.maxScreenshotItems = n; }); }
    // A record of a picture named `file`; `kind` "video" stands for a newer version's.
    static QByteArray record(char letter, const char* createdAt, const QString& file, const char* kind = "area")
    {
        // A hostile name goes into the thumbnail's field as well.
        const QString thumbnail = file.contains(QLatin1String("..")) ? QStringLiteral(R"("thumbnailFileName":"%1",)").arg(file) : QString();
        return QStringLiteral(R"({"annotations":[],"captureKind":"%1","createdAt":"%2","fileName":"%3",%5"height":1,"id":"%4","isFavorite":false,"width":1})")
            .arg(QLatin1String(kind), QLatin1String(createdAt), file, id(letter), thumbnail).toUtf8();
    }
};

struct ClipboardStore {
    using Store = ClipboardHistoryStore;
    using Item = ClipboardItem;
    static constexpr const char* fileName = "clipboard.json";
    static std::unique_ptr<Store> make(SettingsManager& s, FakeClipboardService& c) { return std::make_unique<Store>(s, c, testFolders()); }
    static void add(Store& store, QColor c) { store.addImage(filledImage(10, 10, c), std::nullopt); }
    static QString pictureDir() { return testFolders().clipboardImagesDirectory(); }
    static QString picture(const Item& i) { return i.imageFileName.value_or(QString()); }
    static void setLimit(SettingsManager& s, qint64 n) { s.update([n](AppSettings& a) { a.maxClipboardItems = n; }); }
    static QByteArray record(char letter, const char* createdAt, const QString& file, const char* type = "image")
    {
        return QStringLiteral(R"({"id":"%1","createdAt":"%2","type":"%3","imageFileName":"%4","preview":"1×1","isFavorite":false,"contentHash":"%1"})")
            .arg(id(letter), QLatin1String(createdAt), QLatin1String(type), file).toUtf8();
    }
};

QString historyPath(const char* fileName) { return testFolders().baseDirectory() + QLatin1Char('/') + QLatin1String(fileName); }

QJsonArray fileArray(const char* fileName) { return historyOnDisk(historyPath(fileName)); }

// What was set aside (links planted at such names left out).
QList<QByteArray> asideContents(const char* fileName)
{
    QList<QByteArray> out;
    for (const QFileInfo& aside : QDir(testFolders().baseDirectory()).entryInfoList({QLatin1String(fileName) + ".unreadable-*"}))
        if (!aside.isSymLink())
            out.append(fileContents(aside.filePath()));
    return out;
}

// Links planted at the names a file would be set aside to in the next
// seconds, all pointing at one file of someone else.
QString plantAsideLinks(const char* fileName)
{
    const QString victim = qEnvironmentVariable("HOME") + QStringLiteral("/fremde-datei");
    plantFile(victim, "fremd");
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = -1; s <= 5; ++s)
        QFile::link(victim, historyPath(fileName) + QStringLiteral(".unreadable-") + now.addSecs(s).toString(QStringLiteral("yyyyMMdd-HHmmss")));
    return victim;
}

} // namespace

class tst_HistoryStores : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeClipboardService clipboard;
    std::unique_ptr<SettingsManager> settings;

    template <class K> auto make() { return K::make(*settings, clipboard); }

    template <class K> void trimKeepsFavourites()
    {
        K::setLimit(*settings, 3);
        auto store = make<K>();
        K::add(*store, Qt::blue);
        const auto oldest = store->items().front();
        K::add(*store, Qt::green);
        K::add(*store, Qt::red);
        store->toggleFavorite(store->items().at(1));
        K::add(*store, Qt::yellow);
        QCOMPARE(store->items().size(), 3);
        QVERIFY(store->items().at(2).isFavorite); // kept, older than the one trimmed
        QVERIFY(!store->items().contains(oldest));
        store->waitForPendingWrites();
        QVERIFY(!QFile::exists(K::pictureDir() + QLatin1Char('/') + K::picture(oldest)));

        // Only favourites at the limit: the newcomer goes at once, leaving no file.
        K::setLimit(*settings, 2);
        store->clearAll(false);
        K::add(*store, Qt::blue);
        store->toggleFavorite(store->items().front());
        K::add(*store, Qt::green);
        store->toggleFavorite(store->items().front());
        K::add(*store, Qt::red);
        QCOMPARE(store->items().size(), 2);
        store->waitForPendingWrites();
        QCOMPARE(QDir(K::pictureDir()).entryList(QDir::Files).size(), 2);

        K::setLimit(*settings, 0); // no limit
        for (int i = 0; i < 4; ++i)
            K::add(*store, QColor(i, i, i));
        QCOMPARE(store->items().size(), 6);
    }

    template <class K> void clearKeepsFavouritesAcrossAReload()
    {
        {
            auto store = make<K>();
            K::add(*store, Qt::blue);
            K::add(*store, Qt::green);
            store->toggleFavorite(store->items().front());
            K::add(*store, Qt::red);
            store->clearAll(true);
            QCOMPARE(store->items().size(), 1);
            store->waitForPendingWrites();
            const QString kept = K::pictureDir() + QLatin1Char('/') + K::picture(store->items().front());
            QCOMPARE(QDir(K::pictureDir()).entryList(QDir::Files).size(), 1);
            // Nothing but the owner may read what is stored.
            for (const QString& path : {kept, historyPath(K::fileName)})
                QCOMPARE(QFile::permissions(path) & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());
        }
        auto reloaded = make<K>();
        QCOMPARE(reloaded->items().size(), 1);
        QVERIFY(reloaded->items().front().isFavorite);
        QCOMPARE(reloaded->image(reloaded->items().front()).pixelColor(0, 0), QColor(Qt::green));
    }

    // A record whose picture is gone would show an entry that copies nothing.
    template <class K> void loadsNewestFirstSkippingRecordsWithoutTheirPicture()
    {
        for (const char* name : {"a.png", "b.png", "c.png"})
            QVERIFY(filledImage(5, 5, Qt::blue).save(K::pictureDir() + QLatin1Char('/') + QLatin1String(name)));
        QVERIFY(plantFile(historyPath(K::fileName),
                          "[" + K::record('A', "2026-01-01T10:00:00Z", "a.png") + ","
                              + K::record('B', "2026-02-01T10:00:00Z", "b.png") + ","
                              + K::record('D', "2026-03-01T10:00:00Z", "weg.png") + ","
                              + K::record('C', "2026-02-01T10:00:00Z", "c.png") + "]"));
        auto store = make<K>();
        QStringList order;
        for (const auto& item : store->items())
            order << K::picture(item);
        QCOMPARE(order, (QStringList{"b.png", "c.png", "a.png"}));
        QVERIFY(debugLogText().contains(QStringLiteral("Bild fehlt, Eintrag übersprungen: weg.png")));
    }

    template <class K> void brokenFilesAreKeptAsideNotOverwritten()
    {
        // A record of a newer version hides nothing else; the original is kept
        // aside and the file cleaned, once.
        QVERIFY(filledImage(5, 5, Qt::blue).save(K::pictureDir() + QStringLiteral("/a.png")));
        const QByteArray broken = "[" + K::record('A', "2026-01-01T10:00:00Z", "a.png") + ","
                                  + K::record('B', "2026-01-01T10:00:00Z", "a.png", "video") + "]";
        QVERIFY(plantFile(historyPath(K::fileName), broken));
        // Links planted at the names it would be set aside to are never
        // written through or replaced: it goes to a name of its own.
        const QString victim = plantAsideLinks(K::fileName);
        {
            auto store = make<K>();
            QCOMPARE(store->items().size(), 1);
            store->waitForPendingWrites();
        }
        QCOMPARE(asideContents(K::fileName), QList<QByteArray>{broken});
        QCOMPARE(fileContents(victim), QByteArray("fremd"));
        QCOMPARE(fileArray(K::fileName).size(), 1);
        QVERIFY(debugLogText().contains(QStringLiteral("Eintrag 2 von 2 in %1 nicht lesbar, übersprungen").arg(QLatin1String(K::fileName))));
        QCOMPARE(make<K>()->items().size(), 1);
        QCOMPARE(asideContents(K::fileName).size(), 1);

        // A file that is no JSON at all is not overwritten by the next change.
        QDir(testFolders().baseDirectory()).removeRecursively();
        QVERIFY(plantFile(historyPath(K::fileName), "{{{ kaputt"));
        plantAsideLinks(K::fileName);
        auto store = make<K>();
        QVERIFY(store->items().isEmpty());
        K::add(*store, Qt::red);
        store->waitForPendingWrites();
        QCOMPARE(fileContents(victim), QByteArray("fremd"));
        QCOMPARE(asideContents(K::fileName), QList<QByteArray>{"{{{ kaputt"});
        QVERIFY(debugLogText().contains(QStringLiteral("%1 nicht lesbar").arg(QLatin1String(K::fileName))));
        QFile::remove(victim);
    }

    template <class K> void hostileFileNamesTouchNothing()
    {
        const QString victim = testFolders().baseDirectory() + QStringLiteral("/victim.png");
        QVERIFY(filledImage(4, 4, Qt::red).save(victim));
        const QByteArray hostile = K::record('A', "2026-01-01T10:00:00Z", "../victim.png");
        QVERIFY(plantFile(historyPath(K::fileName), "[" + hostile + "," + K::record('B', "2026-01-01T09:00:00Z", "..") + "]"));
        // Such names name no picture of ours: not shown, and handed in anyway
        // they touch nothing.
        auto store = make<K>();
        QVERIFY(store->items().isEmpty());
        const auto item = *K::Item::fromJson(QJsonDocument::fromJson(hostile).object());
        QVERIFY(store->image(item).isNull());
        store->remove(item);
        store->clearAll(false);
        store->waitForPendingWrites();
        QVERIFY(QFile::exists(victim));
        QVERIFY(QDir(K::pictureDir()).exists());
    }

    // Two records of one picture: trimming or removing one keeps the file the
    // other still names; a number beyond reason is held to its range.
    template <class K> void aPictureTwoRecordsNameStays()
    {
        QVERIFY(filledImage(6, 6, Qt::green).save(K::pictureDir() + QStringLiteral("/shared.png")));
        QByteArray favourite = K::record('A', "2026-01-01T10:00:00Z", "shared.png");
        favourite.replace("\"isFavorite\":false", "\"isFavorite\":true");
        QByteArray absurd = K::record('B', "2026-01-01T09:00:00Z", "shared.png");
        absurd.replace("\"width\":1", "\"width\":1e308");
        QVERIFY(plantFile(historyPath(K::fileName), "[" + favourite + "," + absurd + "]"));
        K::setLimit(*settings, 2);
        auto store = make<K>();
        QCOMPARE(store->items().size(), 2);
        K::add(*store, Qt::red); // trims the absurd record
        store->waitForPendingWrites();
        QCOMPARE(store->items().size(), 2);
        QVERIFY(store->items().at(1).isFavorite);
        QVERIFY(QFile::exists(K::pictureDir() + QStringLiteral("/shared.png")));
        QVERIFY(!store->image(store->items().at(1)).isNull());
        // Written back within its range, never as a wrapped-around number.
        for (const QJsonValue& v : fileArray(K::fileName))
            if (v.toObject().contains("width"))
                QVERIFY(v.toObject().value("width").toDouble() >= 0);
    }

    // One bad token or a nesting too deep for the parser: the unreadable file
    // is kept aside, every valid record stays in the history.
    template <class K> void oneBadTokenHidesNothingElse()
    {
        const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
        for (const QByteArray& bad : {QByteArray(R"({"id": NaN, "createdAt": "2026-01-01T08:00:00Z"})"),
                                      QByteArray(R"({"annotations": )") + deep + "}"}) {
            init();
            const QByteArray content = "[\n" + K::record('A', "2026-01-01T10:00:00Z", "a.png") + ",\n" + bad + ",\n"
                                       + K::record('B', "2026-01-01T09:00:00Z", "b.png") + "\n]";
            QVERIFY(plantFile(historyPath(K::fileName), content));
            for (const char* file : {"a.png", "b.png"})
                QVERIFY(filledImage(5, 5, Qt::blue).save(K::pictureDir() + QLatin1Char('/') + QLatin1String(file)));
            {
                auto store = make<K>();
                QCOMPARE(store->items().size(), 2);
                store->waitForPendingWrites();
            }
            QCOMPARE(asideContents(K::fileName), QList<QByteArray>{content});
            QCOMPARE(fileArray(K::fileName).size(), 2);
            QVERIFY(debugLogText().contains(QStringLiteral("2 von 3 Einträgen aus %1 gerettet").arg(QLatin1String(K::fileName))));
        }
    }

private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        testFolders().ensureDirectories();
        defaults.values.clear();
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
        clipboard.ownWrites = 0;
    }

    void bothStores_data()
    {
        QTest::addColumn<bool>("screenshots");
        QTest::newRow("screenshots") << true;
        QTest::newRow("clipboard") << false;
    }
    void bothStores()
    {
        QFETCH(bool, screenshots);
        const auto each = [&](auto&& forScreenshots, auto&& forClipboard) {
            init();
            screenshots ? forScreenshots() : forClipboard();
        };
#define ZENTU_BOTH(step) each([this] { step<ScreenshotStore>(); }, [this] { step<ClipboardStore>(); }); \
    if (QTest::currentTestFailed()) return
        ZENTU_BOTH(trimKeepsFavourites);
        ZENTU_BOTH(clearKeepsFavouritesAcrossAReload);
        ZENTU_BOTH(loadsNewestFirstSkippingRecordsWithoutTheirPicture);
        ZENTU_BOTH(brokenFilesAreKeptAsideNotOverwritten);
        ZENTU_BOTH(hostileFileNamesTouchNothing);
        ZENTU_BOTH(aPictureTwoRecordsNameStays);
        ZENTU_BOTH(oneBadTokenHidesNothingElse);
#undef ZENTU_BOTH
    }

    // The screenshot store answers from memory while the picture is written
    // in the background; the thumbnail keeps the picture's proportions.
    void screenshotAddServesAtOnceAndWritesInBackground()
    {
        ScreenshotHistoryStore store(*settings, testFolders());
        QSignalSpy changed(&store, &ScreenshotHistoryStore::itemsChanged);
        const QImage image = noisyImage(1000, 400);
        const ScreenshotItem item = store.add(image, CaptureKind::area, {});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(store.thumbnail(item).size(), QSize(320, 128));
        QCOMPARE(store.image(item), image);
        store.waitForPendingWrites();
        QCOMPARE(QImage(testFolders().screenshotsDirectory() + "/" + item.fileName).convertToFormat(QImage::Format_ARGB32), image);
    }

    void screenshotRemoveAndClearWinOverPendingWrites()
    {
        ScreenshotHistoryStore store(*settings, testFolders());
        const ScreenshotItem removed = store.add(noisyImage(1500, 1500), CaptureKind::area, {});
        store.remove(removed);
        store.waitForPendingWrites();
        QVERIFY(!QFile::exists(testFolders().screenshotsDirectory() + "/" + removed.fileName));
        QVERIFY(!QFile::exists(testFolders().thumbnailsDirectory() + "/" + *removed.thumbnailFileName));

        // A written file goes to the Trash on remove.
        const ScreenshotItem written = store.add(filledImage(20, 20, Qt::red), CaptureKind::area, {});
        store.waitForPendingWrites();
        store.remove(written);
        store.waitForPendingWrites();
        QVERIFY(QFile::exists(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath("Trash/files/" + written.fileName)));

        store.add(noisyImage(1500, 1500), CaptureKind::area, {});
        store.clearAll(false);
        store.waitForPendingWrites();
        QVERIFY(QDir(testFolders().screenshotsDirectory()).isEmpty());

        // An editor saving a record removed meanwhile changes nothing. (An
        // edit racing the first write is the editor road's test.)
        ScreenshotItem stranger = store.add(filledImage(20, 10, Qt::red), CaptureKind::area, {});
        stranger.id = QUuid::createUuid();
        store.updateImage(filledImage(600, 300, Qt::yellow), {}, stranger);
        store.toggleFavorite(stranger);
        store.waitForPendingWrites();
        ScreenshotHistoryStore reloaded(*settings, testFolders());
        QCOMPARE(reloaded.items().front().width, 20);
        QVERIFY(!reloaded.items().front().isFavorite);
    }

    void screenshotFailedWriteIsLoggedAndImageKept()
    {
        ScreenshotHistoryStore store(*settings, testFolders());
        // A plain file where the folder should be: every PNG write fails.
        QDir(testFolders().screenshotsDirectory()).removeRecursively();
        QVERIFY(plantFile(testFolders().screenshotsDirectory()));
        const QImage image = filledImage(30, 30, Qt::magenta);
        const ScreenshotItem item = store.add(image, CaptureKind::area, {});
        store.waitForPendingWrites();
        QCOMPARE(store.image(item), image);
        QVERIFY(debugLogText().contains(QStringLiteral("STORAGE nicht geschrieben, wird wiederholt: ") + testFolders().screenshotsDirectory()));
        // The record of a picture that is not on disk is not written either.
        QVERIFY(fileArray(ScreenshotStore::fileName).isEmpty());
    }

    void screenshotsInTheSameMillisecondGetDistinctNames()
    {
        ScreenshotHistoryStore store(*settings, testFolders());
        store.setClock([] { return QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3, 42)); });
        const ScreenshotItem a = store.add(filledImage(20, 20, Qt::red), CaptureKind::area, {});
        const ScreenshotItem b = store.add(filledImage(20, 20, Qt::blue), CaptureKind::area, {});
        QCOMPARE(a.fileName, "Zentu.it_Screenshot_2026-03-07_09-05-03-042.png");
        QCOMPARE(b.fileName, "Zentu.it_Screenshot_2026-03-07_09-05-03-042-2.png");
        store.waitForPendingWrites();
        QCOMPARE(QImage(testFolders().screenshotsDirectory() + "/" + a.fileName).pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(QImage(testFolders().screenshotsDirectory() + "/" + b.fileName).pixelColor(0, 0), QColor(Qt::blue));
    }

    // A picture in Screenshots/ that no record names (its record was not
    // written before a kill, or the history could not be read) is taken back:
    // its date from its name, kind area, a new thumbnail. One that does not
    // decode is set aside and never listed.
    void screenshotPicturesWithoutRecordsAreTakenBack()
    {
        const QString dir = testFolders().screenshotsDirectory();
        QVERIFY(noisyImage(30, 20).save(dir + "/Zentu.it_Screenshot_2026-03-07_09-05-03-042-2.png"));
        QVERIFY(filledImage(12, 8, Qt::green).save(dir + "/eigenes.png"));
        QVERIFY(plantFile(dir + "/kaputt.png", "kein PNG"));
        {
            ScreenshotHistoryStore store(*settings, testFolders());
            QCOMPARE(store.items().size(), 2);
            const ScreenshotItem named = store.items().constLast().width == 30 ? store.items().constLast() : store.items().constFirst();
            QCOMPARE(named.createdAt, QDateTime(QDate(2026, 3, 7), QTime(9, 5, 3, 42)));
            QCOMPARE(named.captureKind, CaptureKind::area);
            QCOMPARE(QSize(named.width, named.height), QSize(30, 20));
            store.waitForPendingWrites();
            QCOMPARE(QImage(testFolders().thumbnailsDirectory() + '/' + *named.thumbnailFileName).size(), QSize(30, 20));
        }
        QVERIFY(!QFile::exists(dir + "/kaputt.png"));
        QCOMPARE(QDir(dir).entryList({"kaputt.png.unreadable-*"}).size(), 1);
        // Taken back once: the next start finds them recorded.
        QCOMPARE(ScreenshotHistoryStore(*settings, testFolders()).items().size(), 2);
        QVERIFY(historyFaults(testFolders().baseDirectory()).isEmpty());
    }

    // The journal beside a history file holds the changes since the file was
    // written whole; a quit folds it into the file, which keeps its format. A
    // journal that names other content (the file was written whole after it,
    // by this program before a kill or by an older version) is ignored; a line
    // a kill cut short is dropped, the lines before it kept.
    void theJournalContinuesOnlyItsOwnFile()
    {
        const QString path = historyPath(ClipboardStore::fileName);
        const QString journal = path + ".journal";
        const auto texts = [&] {
            const ClipboardHistoryStore store(*settings, clipboard, testFolders());
            QStringList out;
            for (const ClipboardItem& item : store.items())
                out << item.text.value_or(QString());
            return out;
        };
        // Both files as a kill leaves them while the store runs.
        std::optional<QByteArray> killedFile;
        QByteArray killedJournal;
        const auto killHere = [&](ClipboardHistoryStore& store) {
            store.waitForPendingWrites();
            killedFile = QFile::exists(path) ? std::optional(fileContents(path)) : std::nullopt;
            killedJournal = fileContents(journal);
        };
        const auto restoreKilled = [&] {
            return (killedFile ? plantFile(path, *killedFile) : QFile::remove(path)) && plantFile(journal, killedJournal);
        };
        {
            ClipboardHistoryStore store(*settings, clipboard, testFolders());
            store.addText(QStringLiteral("eins"), std::nullopt);
            store.addText(QStringLiteral("zwei"), std::nullopt);
            killHere(store);
            QVERIFY(!killedJournal.isEmpty());
            QVERIFY(!QFile::exists(path)); // nothing but the journal so far
        }
        // Folded at quit, in the file's own format.
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(fileContents(path), HistoryFile::text(ClipboardHistoryStore(*settings, clipboard, testFolders()).items()));
        QCOMPARE(texts(), (QStringList{"zwei", "eins"}));
        // Killed before the quit: the journal carries the changes.
        QVERIFY(restoreKilled());
        QCOMPARE(texts(), (QStringList{"zwei", "eins"}));
        // A journal older than the file it lies beside changes nothing.
        {
            ClipboardHistoryStore store(*settings, clipboard, testFolders());
            store.addText(QStringLiteral("drei"), std::nullopt);
            store.remove(store.items().back());
            killHere(store);
        }
        const QByteArray folded = fileContents(path);
        QVERIFY(plantFile(journal, killedJournal));
        QCOMPARE(texts(), (QStringList{"drei", "zwei"}));
        // An older version wrote the file whole: its content wins.
        QVERIFY(restoreKilled());
        QVERIFY(plantFile(path, "[]"));
        QCOMPARE(texts(), QStringList());
        // A line cut short by a kill is dropped; the lines before it stay.
        QVERIFY(plantFile(path, folded));
        {
            ClipboardHistoryStore store(*settings, clipboard, testFolders());
            store.addText(QStringLiteral("vier"), std::nullopt);
            killHere(store);
        }
        QVERIFY(plantFile(path, killedFile.value()));
        QVERIFY(plantFile(journal, killedJournal + "{\"op\":\"put\",\"record\":{\"id\":\"00000000-0000-0000-0000-00000000000A\",\"crea"));
        QCOMPARE(texts(), (QStringList{"vier", "drei", "zwei"}));
    }

    // A kill after an edit's record reached the journal but before the
    // replaced picture was deleted: the next start deletes it, never takes it
    // back as a capture of its own.
    void aPictureAnEditReplacedIsNotTakenBack()
    {
        const QString path = historyPath(ScreenshotStore::fileName);
        QByteArray journal, original;
        QString originalName;
        {
            ScreenshotHistoryStore store(*settings, testFolders());
            const ScreenshotItem item = store.add(filledImage(40, 30, Qt::red), CaptureKind::area);
            store.waitForPendingWrites();
            originalName = item.fileName;
            original = fileContents(testFolders().screenshotsDirectory() + '/' + originalName);
            store.updateImage(filledImage(20, 15, Qt::blue), {}, item);
            store.waitForPendingWrites();
            journal = fileContents(path + ".journal");
        }
        QFile::remove(path);
        QVERIFY(plantFile(path + ".journal", journal));
        QVERIFY(plantFile(testFolders().screenshotsDirectory() + '/' + originalName, original));
        ScreenshotHistoryStore store(*settings, testFolders());
        QCOMPARE(store.items().size(), 1);
        QCOMPARE(store.items().front().width, 20);
        store.waitForPendingWrites();
        QVERIFY(!QFile::exists(testFolders().screenshotsDirectory() + '/' + originalName));
        QCOMPARE(QDir(testFolders().screenshotsDirectory()).entryList(QDir::Files).size(), 1);
    }

    void clipboardTextEntries()
    {
        ClipboardHistoryStore store(*settings, clipboard, testFolders());
        store.addText(QString(), QStringLiteral("org.example.App"));
        QVERIFY(store.items().isEmpty());
        store.addText(QStringLiteral("Zeile 1\nZeile 2\r\n"), QStringLiteral("org.example.App"));
        QCOMPARE(store.items().front().preview, QStringLiteral("Zeile 1 Zeile 2\r "));
        // 200 user-perceived characters, not 200 code units.
        const QString flags = QString(300, QChar(0x1F1E9)).replace(QChar(0x1F1E9), QStringLiteral("🇩🇪"));
        store.addText(flags, std::nullopt);
        QCOMPARE(store.items().front().preview, flags.left(200 * 4));
    }

    void clipboardDuplicatesMoveToTheTop()
    {
        settings->update([](AppSettings& s) { s.maxClipboardItems = 2; });
        ClipboardHistoryStore store(*settings, clipboard, testFolders());
        store.addText(QStringLiteral("eins"), QStringLiteral("a"));
        store.toggleFavorite(store.items().front());
        store.addText(QStringLiteral("zwei"), QStringLiteral("b"));
        const QUuid firstID = store.items().at(1).id;
        store.addText(QStringLiteral("eins"), QStringLiteral("other"));
        QCOMPARE(store.items().size(), 2);
        QCOMPARE(store.items().front().id, firstID);
        QCOMPARE(store.items().front().sourceAppBundleID, QStringLiteral("a"));
        QVERIFY(store.items().front().isFavorite);
        // The same picture twice is one entry and one file.
        store.addImage(filledImage(1920, 1080, Qt::red), std::nullopt);
        store.addImage(filledImage(1920, 1080, Qt::red), std::nullopt);
        QCOMPARE(store.items().front().displayPreview(), QStringLiteral("Bild 1920×1080"));
        store.waitForPendingWrites();
        QCOMPARE(QDir(testFolders().clipboardImagesDirectory()).entryList(QDir::Files).size(), 1);

        settings->update([](AppSettings& s) { s.avoidDuplicates = false; });
        store.addText(QStringLiteral("eins"), std::nullopt);
        store.addText(QStringLiteral("eins"), std::nullopt);
        QCOMPARE(store.items().at(0).contentHash, store.items().at(1).contentHash);
    }

    void clipboardCopyBack()
    {
        ClipboardHistoryStore store(*settings, clipboard, testFolders());
        int internalWrites = 0;
        store.onInternalWrite = [&](const ClipboardWrite&) { ++internalWrites; };
        store.addImage(filledImage(10, 10, Qt::blue), std::nullopt);
        store.addText(QStringLiteral("Hallo"), std::nullopt);
        const ClipboardItem image = store.items().at(1);
        QCOMPARE(store.image(image).pixelColor(3, 3), QColor(Qt::blue)); // before its file exists

        store.copyToPasteboard(image);
        QCOMPARE(internalWrites, 1);
        QCOMPARE(store.lastCopiedID(), image.id);
        QCOMPARE(store.items().front().id, image.id);
        QCOMPARE(clipboard.objectImage.pixelColor(0, 0), QColor(Qt::blue));

        // A picture whose file has gone is not "copied": nothing changes.
        store.waitForPendingWrites();
        QFile::remove(testFolders().clipboardImagesDirectory() + "/" + *image.imageFileName);
        const qint64 before = clipboard.count;
        const auto order = store.items();
        store.copyToPasteboard(image);
        QCOMPARE(clipboard.count, before);
        QCOMPARE(store.items(), order);
        QCOMPARE(internalWrites, 1);
        // A hostile record handed in writes nothing to the clipboard.
        store.copyToPasteboard(*ClipboardItem::fromJson(
            QJsonDocument::fromJson(ClipboardStore::record('A', "2026-01-01T10:00:00Z", "../victim.png")).object()));
        QCOMPARE(internalWrites, 1);

        store.clearAll(false);
        QVERIFY(store.lastCopiedID()); // kept after a clear
    }
};

ZENTU_TEST_MAIN(tst_HistoryStores)
#include "tst_historystores.moc"
