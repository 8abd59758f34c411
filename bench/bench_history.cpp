// Loading and changing 10,000-entry screenshot and clipboard histories: the
// load runs at every start-up, a rewrite of the file after every change. A
// change is measured twice: what the main thread spends on it (what a hotkey
// pressed right after it waits for), and until it is on disk. The same for a
// clipboard history holding one 50 MB text.
#include "BenchMain.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/X11/X11ClipboardService.h"
#include "Models/ClipboardItem.h"
#include "Models/ScreenshotItem.h"
#include "Platform/KeyboardInfo.h"
#include "Platform/LoginItemService.h"
#include "Platform/UserDefaults.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int entries = 10000;

struct MemoryDefaults final : UserDefaults {
    QVariant value(const QString& key) const override { return values.value(key); }
    void setValue(const QString& key, const QVariant& v) override { values.insert(key, v); }
    void remove(const QString& key) override { values.remove(key); }
    bool removePersistentDomain(QString*) override
    {
        values.clear();
        return true;
    }
    QHash<QString, QVariant> values;
};
struct NoLoginItem final : LoginItemService {
    Status status() const override { return Status::notRegistered; }
    bool registerApp(QString*) override { return true; }
    bool unregisterApp(QString*) override { return true; }
};
struct AnsiKeyboard final : KeyboardInfo {
    bool isISO() const override { return false; }
};

struct Environment {
    QTemporaryDir dir;
    MemoryDefaults defaults;
    NoLoginItem loginItem;
    AnsiKeyboard keyboard;
    std::unique_ptr<SettingsManager> settings;
    const AppFolders folders{std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()};

    Environment()
    {
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        qputenv("HOME", dir.path().toUtf8());
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
        settings->update([](AppSettings& s) {
            s.maxScreenshotItems = 0;
            s.maxClipboardItems = 0;
        });
        folders.ensureDirectories();
        writeScreenshots();
        writeClipboard();
    }


    void writeScreenshots() const
    {
        QJsonArray array;
        const QDateTime start = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < entries; ++i) {
            ScreenshotItem item;
            item.id = QUuid::createUuid();
            item.createdAt = start.addSecs(-i);
            item.fileName = Storage::screenshotStem(item.createdAt, true) + QStringLiteral(".png");
            item.thumbnailFileName = Storage::screenshotStem(item.createdAt, true) + QStringLiteral("_thumb.png");
            item.width = 1920;
            item.height = 1080;
            item.captureKind = CaptureKind::area;
            AnnotationObject arrow;
            arrow.points = {{10, 10}, {200, 150}};
            arrow.lineWidth = 4;
            AnnotationObject text;
            text.kind = AnnotationKind::text;
            text.points = {{50, 50}};
            text.text = QStringLiteral("Hier klicken");
            text.fontSize = 28;
            item.annotations = {arrow, text};
            array.append(item.toJson());
            // Only records whose picture exists are loaded.
            QFile picture(folders.screenshotsDirectory() + QLatin1Char('/') + item.fileName);
            picture.open(QIODevice::WriteOnly);
        }
        Storage::writeJSON(folders.files(), array, folders.baseDirectory() + QStringLiteral("/screenshots.json"));
    }

    void writeClipboard() const
    {
        QJsonArray array;
        const QDateTime start = QDateTime::currentDateTimeUtc();
        const QString text = QString(300, QLatin1Char('x'));
        for (int i = 0; i < entries; ++i) {
            ClipboardItem item;
            item.id = QUuid::createUuid();
            item.createdAt = start.addSecs(-i);
            item.text = text + QString::number(i);
            item.preview = item.text->left(200);
            item.sourceAppBundleID = QStringLiteral("org.mozilla.firefox");
            item.contentHash = ClipboardHistoryStore::sha256Hex(item.text->toUtf8());
            array.append(item.toJson());
        }
        Storage::writeJSON(folders.files(), array, folders.baseDirectory() + QStringLiteral("/clipboard.json"));
    }
};

Environment& environment()
{
    static Environment env;
    return env;
}

void BM_ScreenshotHistoryLoad(benchmark::State& state)
{
    Environment& env = environment();
    for (auto _ : state) {
        ScreenshotHistoryStore store(*env.settings, env.folders);
        benchmark::DoNotOptimize(store.items().size());
        if (store.items().size() != entries)
            state.SkipWithError("history not read");
    }
}
BENCHMARK(BM_ScreenshotHistoryLoad)->Unit(benchmark::kMillisecond);

void BM_ScreenshotHistoryChange(benchmark::State& state)
{
    Environment& env = environment();
    ScreenshotHistoryStore store(*env.settings, env.folders);
    const bool durable = state.range(0);
    for (auto _ : state) {
        store.toggleFavorite(store.items().front()); // rewrites the whole file
        if (durable)
            store.waitForPendingWrites();
    }
    store.waitForPendingWrites();
}
BENCHMARK(BM_ScreenshotHistoryChange)->ArgName("untilOnDisk")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Where a store would copy an entry back to (never here).
ClipboardService& systemClipboard()
{
    static X11ClipboardService clipboard;
    return clipboard;
}

void BM_ClipboardHistoryLoad(benchmark::State& state)
{
    Environment& env = environment();
    for (auto _ : state) {
        ClipboardHistoryStore store(*env.settings, systemClipboard(), env.folders);
        benchmark::DoNotOptimize(store.items().size());
        if (store.items().size() != entries)
            state.SkipWithError("history not read");
    }
}
BENCHMARK(BM_ClipboardHistoryLoad)->Unit(benchmark::kMillisecond);

void BM_ClipboardHistoryChange(benchmark::State& state)
{
    Environment& env = environment();
    ClipboardHistoryStore store(*env.settings, systemClipboard(), env.folders);
    const bool durable = state.range(0);
    for (auto _ : state) {
        store.toggleFavorite(store.items().front());
        if (durable)
            store.waitForPendingWrites();
    }
    store.waitForPendingWrites();
}
BENCHMARK(BM_ClipboardHistoryChange)->ArgName("untilOnDisk")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A new copy recorded while the history holds a 50 MB text (200 entries, the
// default limit).
void BM_ClipboardCopyWith50MBEntry(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    MemoryDefaults defaults;
    NoLoginItem loginItem;
    AnsiKeyboard keyboard;
    SettingsManager settings(defaults, loginItem, keyboard);
    ClipboardHistoryStore store(settings, systemClipboard(), AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()));
    store.addText(QString(50 << 20, QLatin1Char('y')), std::nullopt);
    store.toggleFavorite(store.items().front()); // never trimmed away
    for (int i = 0; i < 199; ++i)
        store.addText(QStringLiteral("Eintrag %1").arg(i), std::nullopt);
    store.waitForPendingWrites();
    const bool durable = state.range(0);
    int n = 0;
    for (auto _ : state) {
        store.addText(QStringLiteral("neu %1").arg(n++), std::nullopt);
        if (durable)
            store.waitForPendingWrites();
    }
    store.waitForPendingWrites();
    qputenv("XDG_DATA_HOME", environment().dir.path().toUtf8());
}
BENCHMARK(BM_ClipboardCopyWith50MBEntry)->ArgName("untilOnDisk")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
