// The clipboard history against a temporary data folder and a fake clipboard:
// duplicates, trimming with favourites, copying back, removal, and broken or
// hostile history files.
#include "Storage/DebugLog.h"
#include "Settings/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/Storage.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

class tst_ClipboardHistoryStore : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeClipboardService clipboard;
    std::unique_ptr<SettingsManager> settings;

    std::unique_ptr<ClipboardHistoryStore> makeStore()
    {
        return std::make_unique<ClipboardHistoryStore>(*settings, clipboard);
    }
    static QImage filled(int w, int h, QColor c)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(c);
        return image;
    }
    static QString historyPath() { return Storage::baseDirectory() + "/clipboard.json"; }
    static QJsonArray fileArray()
    {
        QFile f(historyPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).array();
    }
    static void writeHistory(const QByteArray& content)
    {
        Storage::ensureDirectories();
        QFile f(historyPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private Q_SLOTS:
    void init()
    {
        QDir(Storage::baseDirectory()).removeRecursively();
        defaults.values.clear();
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
        clipboard.ownWrites = 0;
    }

    void textEntries()
    {
        auto store = makeStore();
        store->addText(QString(), QStringLiteral("org.example.App"));
        QVERIFY(store->items().isEmpty());
        const QString longText = QString(249, QLatin1Char('a')) + QStringLiteral("\n");
        store->addText(QStringLiteral("Zeile 1\nZeile 2\r\n"), QStringLiteral("org.example.App"));
        store->addText(longText, std::nullopt);
        store->addText(QStringLiteral("   "), std::nullopt);
        QCOMPARE(store->items().size(), 3);
        const ClipboardItem& lines = store->items().at(2);
        QCOMPARE(lines.preview, QStringLiteral("Zeile 1 Zeile 2\r "));
        QCOMPARE(lines.sourceAppBundleID, QStringLiteral("org.example.App"));
        QCOMPARE(lines.contentHash, QString::fromLatin1(QCryptographicHash::hash("Zeile 1\nZeile 2\r\n", QCryptographicHash::Sha256).toHex()));
        QCOMPARE(store->items().at(1).text->size(), 250);
        QCOMPARE(store->items().at(1).preview.size(), 200);
        // 200 user-perceived characters, not 200 code units.
        const QString flags = QString(300, QChar(0x1F1E9)).replace(QChar(0x1F1E9), QStringLiteral("🇩🇪"));
        store->addText(flags, std::nullopt);
        QCOMPARE(store->items().front().preview, flags.left(200 * 4));

        store->waitForPendingWrites();
        const QJsonObject first = fileArray().at(3).toObject();
        QCOMPARE(first.value("type").toString(), QStringLiteral("text"));
        QVERIFY(!first.contains("imageFileName"));
        QVERIFY(QRegularExpression("^[0-9a-f]{64}$").match(first.value("contentHash").toString()).hasMatch());
    }

    void duplicatesMoveToTheTopWithoutTrimming()
    {
        settings->update([](AppSettings& s) { s.maxClipboardItems = 2; });
        auto store = makeStore();
        store->addText(QStringLiteral("eins"), QStringLiteral("a"));
        store->toggleFavorite(store->items().front());
        store->addText(QStringLiteral("zwei"), QStringLiteral("b"));
        const QUuid firstID = store->items().at(1).id;
        store->addText(QStringLiteral("eins"), QStringLiteral("other"));
        QCOMPARE(store->items().size(), 2);
        QCOMPARE(store->items().front().id, firstID);
        QCOMPARE(store->items().front().sourceAppBundleID, QStringLiteral("a"));
        QVERIFY(store->items().front().isFavorite);

        settings->update([](AppSettings& s) { s.avoidDuplicates = false; });
        store->addText(QStringLiteral("eins"), std::nullopt);
        // A new entry trims the oldest non-favourite.
        QCOMPARE(store->items().size(), 2);
        QCOMPARE(store->items().at(0).contentHash, store->items().at(1).contentHash);
    }

    void trimmingWithFavouritesAndNoLimit()
    {
        settings->update([](AppSettings& s) { s.maxClipboardItems = 3; });
        auto store = makeStore();
        for (const char* t : {"a", "b", "c"}) {
            store->addText(QString::fromLatin1(t), std::nullopt);
            store->toggleFavorite(store->items().front());
        }
        store->addImage(filled(30, 20, Qt::red), std::nullopt);
        QCOMPARE(store->items().size(), 3);
        QVERIFY(std::all_of(store->items().begin(), store->items().end(), [](const ClipboardItem& i) { return i.isFavorite; }));
        store->waitForPendingWrites();
        QVERIFY(QDir(Storage::clipboardImagesDirectory()).isEmpty());

        settings->update([](AppSettings& s) { s.maxClipboardItems = 0; });
        for (int i = 0; i < 5; ++i)
            store->addText(QString::number(i), std::nullopt);
        QCOMPARE(store->items().size(), 8);
    }

    void imageEntries()
    {
        auto store = makeStore();
        const QImage red = filled(1920, 1080, Qt::red);
        store->addImage(red, QStringLiteral("org.gimp.GIMP"));
        store->addImage(red, std::nullopt); // duplicate: no second file
        QCOMPARE(store->items().size(), 1);
        const ClipboardItem item = store->items().front();
        QCOMPARE(item.type, ClipboardItemType::image);
        QCOMPARE(item.preview, QStringLiteral("1920×1080"));
        QCOMPARE(item.displayPreview(), QStringLiteral("Bild 1920×1080"));
        QVERIFY(QRegularExpression("^[0-9A-F-]{36}\\.png$").match(*item.imageFileName).hasMatch());
        QVERIFY(!item.imageFileName->startsWith(item.id.toString(QUuid::WithoutBraces).toUpper()));
        QCOMPARE(store->image(item).pixelColor(3, 3), QColor(Qt::red)); // before its file exists
        store->waitForPendingWrites();
        QCOMPARE(QFile::permissions(Storage::clipboardImagesDirectory() + "/" + *item.imageFileName) & QFileDevice::Permissions(0x0077),
                 QFileDevice::Permissions());
        QCOMPARE(QDir(Storage::clipboardImagesDirectory()).entryList(QDir::Files), QStringList{*item.imageFileName});
        QCOMPARE(store->image(item).pixelColor(3, 3), QColor(Qt::red));
        store->addImage(QImage(), std::nullopt);
        QCOMPARE(store->items().size(), 1);

        store->remove(item);
        QVERIFY(store->items().isEmpty());
        store->waitForPendingWrites();
        QVERIFY(QDir(Storage::clipboardImagesDirectory()).isEmpty());
        store->remove(item); // already gone: harmless
    }

    void copyBack()
    {
        auto store = makeStore();
        int internalWrites = 0;
        store->onInternalWrite = [&] { ++internalWrites; };
        store->addImage(filled(10, 10, Qt::blue), std::nullopt);
        store->addText(QStringLiteral("Hallo"), std::nullopt);
        const ClipboardItem image = store->items().at(1);

        store->copyToPasteboard(image);
        QCOMPARE(internalWrites, 1);
        QCOMPARE(store->lastCopiedID(), image.id);
        QCOMPARE(store->items().front().id, image.id);
        QVERIFY(clipboard.formats.contains("image/png"));
        QCOMPARE(clipboard.objectImage.pixelColor(0, 0), QColor(Qt::blue));

        store->copyToPasteboard(store->items().at(1));
        QCOMPARE(QString::fromUtf8(clipboard.formats.value("text/plain")), QStringLiteral("Hallo"));
        QCOMPARE(internalWrites, 2);

        // A picture whose file has gone is not "copied": nothing changes.
        store->waitForPendingWrites();
        QFile::remove(Storage::clipboardImagesDirectory() + "/" + *image.imageFileName);
        const qint64 before = clipboard.count;
        const QUuid lastCopied = *store->lastCopiedID();
        const auto order = store->items();
        store->copyToPasteboard(image);
        QCOMPARE(clipboard.count, before);
        QCOMPARE(*store->lastCopiedID(), lastCopied);
        QCOMPARE(store->items(), order);
        QCOMPARE(internalWrites, 2);

        store->clearAll(false);
        QCOMPARE(*store->lastCopiedID(), lastCopied); // kept after a clear
    }

    void clearAndReload()
    {
        {
            auto store = makeStore();
            store->addImage(filled(10, 10, Qt::blue), std::nullopt);
            store->addImage(filled(10, 10, Qt::green), std::nullopt);
            store->toggleFavorite(store->items().front());
            store->addText(QStringLiteral("weg"), std::nullopt);
            store->clearAll(true);
            QCOMPARE(store->items().size(), 1);
            store->waitForPendingWrites();
            QCOMPARE(QDir(Storage::clipboardImagesDirectory()).entryList(QDir::Files).size(), 1);
        }
        auto reloaded = makeStore();
        QCOMPARE(reloaded->items().size(), 1);
        QVERIFY(reloaded->items().front().isFavorite);
        QCOMPARE(reloaded->image(reloaded->items().front()).pixelColor(0, 0), QColor(Qt::green));
    }

    void loadOrderAndBrokenFiles()
    {
        writeHistory(R"([
 {"id":"00000000-0000-0000-0000-00000000000A","createdAt":"2026-01-01T10:00:00Z","type":"text","text":"alt","preview":"alt","isFavorite":false,"contentHash":"x"},
 {"id":"00000000-0000-0000-0000-00000000000B","createdAt":"2026-02-01T10:00:00Z","type":"text","text":"neu","preview":"neu","isFavorite":false,"contentHash":"y"},
 {"id":"00000000-0000-0000-0000-00000000000C","createdAt":"2026-02-01T10:00:00Z","type":"text","text":"neu2","preview":"neu2","isFavorite":false,"contentHash":"z"}
])");
        {
            auto store = makeStore();
            QCOMPARE(store->items().size(), 3);
            QCOMPARE(*store->items().at(0).text, QStringLiteral("neu"));
            QCOMPARE(*store->items().at(1).text, QStringLiteral("neu2"));
        }
        // One record of a newer version (an unknown type) hides nothing else.
        const QByteArray broken = R"([{"id":"00000000-0000-0000-0000-00000000000A","createdAt":"2026-01-01T10:00:00Z","type":"text","text":"alt","preview":"alt","isFavorite":false,"contentHash":"x"},
 {"id":"00000000-0000-0000-0000-00000000000B","createdAt":"2026-01-01T10:00:00Z","type":"video","preview":"v","isFavorite":false,"contentHash":"y"}])";
        writeHistory(broken);
        auto store = makeStore();
        QCOMPARE(store->items().size(), 1);
        QCOMPARE(*store->items().front().text, QStringLiteral("alt"));
        store->waitForPendingWrites();
        QCOMPARE(fileArray().size(), 1);
        const QStringList aside = QDir(Storage::baseDirectory()).entryList({"clipboard.json.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(Storage::baseDirectory() + "/" + aside.front());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), broken);
        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Eintrag 2 von 2 in clipboard.json nicht lesbar, übersprungen"));
    }

    void hostileFileNamesTouchNothing()
    {
        Storage::ensureDirectories();
        const QString victim = Storage::baseDirectory() + "/victim.png";
        filled(4, 4, Qt::red).save(victim);
        const QByteArray hostile = R"({"id":"00000000-0000-0000-0000-00000000000A","createdAt":"2026-01-01T10:00:00Z","type":"image","imageFileName":"../victim.png","preview":"4×4","isFavorite":false,"contentHash":"x"})";
        writeHistory("[" + hostile + R"(,
 {"id":"00000000-0000-0000-0000-00000000000B","createdAt":"2026-01-01T09:00:00Z","type":"image","imageFileName":"..","preview":"4×4","isFavorite":false,"contentHash":"y"}])");
        // Such names name no picture of ours: not shown, and handed in anyway
        // they touch nothing.
        auto store = makeStore();
        QVERIFY(store->items().isEmpty());
        const ClipboardItem item = *ClipboardItem::fromJson(QJsonDocument::fromJson(hostile).object());
        QVERIFY(store->image(item).isNull());
        store->copyToPasteboard(item);
        QCOMPARE(clipboard.ownWrites, 0);
        store->remove(item);
        store->clearAll(false);
        store->waitForPendingWrites();
        QVERIFY(QFile::exists(victim));
        QVERIFY(QDir(Storage::clipboardImagesDirectory()).exists());
    }
};

ZENTU_TEST_MAIN(tst_ClipboardHistoryStore)
#include "tst_ClipboardHistoryStore.moc"
