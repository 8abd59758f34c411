// Loading and changing 10,000-entry screenshot and clipboard histories: the
// load runs at every start-up, a journal line after every change. A change is
// measured twice: what the main thread spends on it (what a hotkey pressed
// right after it waits for), and until it is on disk. The same for a
// clipboard history holding one 50 MB text.
//
// And what one recorded copy costs with a history of 200 and of 5,000
// entries at its limit (each new entry trims the oldest): bytes written and
// CPU time of the whole process (writer thread included) per change, folding
// the journal into the file included; beside it, what rewriting the whole
// file on every change (as earlier versions did) costs.
#include "BenchMain.h"
#include "BenchServices.h"
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
#include "Storage/HistoryFile.h"
#include "Storage/Storage.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <atomic>
#include <ctime>

namespace {

constexpr int entries = 10000;

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
        store.toggleFavorite(store.items().front()); // one journal line
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
    BenchSettings benchSettings;
    SettingsManager& settings = benchSettings.manager;
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

// The system's file calls, counting the bytes written.
struct CountingFileCalls final : FileCalls {
    PosixFileCalls real;
    std::atomic<qint64> bytes{0};
    int createNew(const QByteArray& p, mode_t m) override { return real.createNew(p, m); }
    int openAppend(const QByteArray& p) override { return real.openAppend(p); }
    qint64 write(int fd, const char* d, qint64 n) override
    {
        const qint64 r = real.write(fd, d, n);
        if (r > 0)
            bytes += r;
        return r;
    }
    int sync(int fd) override { return real.sync(fd); }
    qint64 size(int fd) override { return real.size(fd); }
    int truncate(int fd, qint64 n) override { return real.truncate(fd, n); }
    int close(int fd) override { return real.close(fd); }
    int rename(const QByteArray& a, const QByteArray& b) override { return real.rename(a, b); }
    int renameNoReplace(const QByteArray& a, const QByteArray& b) override { return real.renameNoReplace(a, b); }
    int remove(const QByteArray& p) override { return real.remove(p); }
    int syncFolder(const QByteArray& f) override { return real.syncFolder(f); }
    int readAll(const QByteArray& p, QByteArray* d) override { return real.readAll(p, d); }
};

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A copied text as the history records it: about 800 bytes on disk.
ClipboardItem copiedText(int n)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.createdAt = QDateTime::currentDateTimeUtc();
    item.text = QStringLiteral("Kopierter Text Nummer %1 ").arg(n) + QString(260, QLatin1Char('t'));
    item.preview = item.text->left(200);
    item.sourceAppBundleID = QStringLiteral("org.mozilla.firefox");
    item.contentHash = ClipboardHistoryStore::sha256Hex(item.text->toUtf8());
    return item;
}

void BM_ClipboardCopyCost(benchmark::State& state)
{
    const int entries = int(state.range(0));
    const bool journal = state.range(1);
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    auto calls = std::make_shared<CountingFileCalls>();
    const AppFolders folders(std::make_shared<XdgPaths>(), calls);
    folders.ensureDirectories();
    QList<ClipboardItem> items;
    for (int i = 0; i < entries; ++i)
        items.append(copiedText(-i));
    const QString path = folders.baseDirectory() + QStringLiteral("/clipboard.json");
    Storage::writeJSON(*calls, QJsonDocument::fromJson(HistoryFile::text(items)).array(), path);
    BenchSettings benchSettings;
    SettingsManager& settings = benchSettings.manager;
    settings.update([entries](AppSettings& s) { s.maxClipboardItems = entries; });
    ClipboardHistoryStore store(settings, systemClipboard(), folders);
    store.waitForPendingWrites();
    const qint64 bytesBefore = calls->bytes;
    const double cpuBefore = processCpuMs();
    int n = 0;
    for (auto _ : state) {
        if (journal) {
            store.addText(copiedText(n++).text.value(), std::nullopt);
            store.waitForPendingWrites();
        } else {
            // The whole list, encoded and written anew.
            items.prepend(copiedText(n++));
            items.removeLast();
            Storage::writeFileAtomically(*calls, path, HistoryFile::text(items));
        }
    }
    const double changes = double(state.iterations());
    state.counters["bytes_per_change"] = double(calls->bytes - bytesBefore) / changes;
    state.counters["cpu_ms_per_change"] = (processCpuMs() - cpuBefore) / changes;
    state.counters["file_bytes"] = double(QFileInfo(path).size());
    qputenv("XDG_DATA_HOME", environment().dir.path().toUtf8());
}
// 6,000 changes: more than it takes the journal to grow as large as a
// 5,000-entry file, so folding it in is part of the figure.
BENCHMARK(BM_ClipboardCopyCost)
    ->ArgNames({"entries", "journal"})
    ->Args({200, 1})
    ->Args({5000, 1})
    ->Args({200, 0})
    ->Args({5000, 0})
    ->Iterations(6000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
