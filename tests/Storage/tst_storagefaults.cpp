// Both histories on a disk that gives out (full, or failing with EIO) after
// any number of bytes, the number swept over everything one change writes:
// the thumbnail, the picture, the journal line, the history file at quit.
// After each: every record that was on disk is still there, every record's
// picture decodes and agrees with it, no temporary file is left, the problem
// is one episode told once; and once the disk takes writes again, a retry
// brings the change to disk. A history that may not be read is left alone
// until it can be, then joined with what was recorded meanwhile.
#include "Platform/Qt/XdgPaths.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/SettingsManager.h"
#include "Storage/StorageHealth.h"
#include "fakes/FailingFileCalls.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/FilledImage.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/NoisyImage.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonObject>
#include <QSet>
#include <cerrno>

namespace {

struct Rig {
    std::shared_ptr<FailingFileCalls> calls = std::make_shared<FailingFileCalls>();
    AppFolders folders{std::make_shared<XdgPaths>(), calls};
    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeClipboardService clipboard;
    SettingsManager settings{defaults, loginItem, keyboard};
    std::unique_ptr<ClipboardHistoryStore> texts;
    std::unique_ptr<ScreenshotHistoryStore> shots;
    std::unique_ptr<StorageHealth> health;
    int episodes = 0;
    int told = 0;
    int ended = 0;

    void open()
    {
        texts = std::make_unique<ClipboardHistoryStore>(settings, clipboard, folders);
        shots = std::make_unique<ScreenshotHistoryStore>(settings, folders);
        health = std::make_unique<StorageHealth>(3600 * 1000); // retried by hand
        QObject::connect(texts.get(), &ClipboardHistoryStore::writeOutcome, health.get(), &StorageHealth::report);
        QObject::connect(shots.get(), &ScreenshotHistoryStore::writeOutcome, health.get(), &StorageHealth::report);
        health->addSource([this] { return texts->hasUnwrittenChanges(); }, [this] { texts->retryWrites(); });
        health->addSource([this] { return shots->hasUnwrittenChanges(); }, [this] { shots->retryWrites(); });
        QObject::connect(health.get(), &StorageHealth::episodeStarted, health.get(), [this] {
            ++episodes;
            told += health->takeAnnouncement();
            health->takeAnnouncement(); // never twice
        });
        QObject::connect(health.get(), &StorageHealth::episodeEnded, health.get(), [this] { ++ended; });
    }
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            texts->waitForPendingWrites();
            shots->waitForPendingWrites();
            QCoreApplication::processEvents();
        }
    }
    void retry()
    {
        texts->retryWrites();
        shots->retryWrites();
        settle();
    }
    void close()
    {
        health.reset();
        shots.reset();
        texts.reset();
    }
    // A small history of each kind, on disk.
    void seed()
    {
        shots->add(noisyImage(24, 18), CaptureKind::area);
        shots->add(noisyImage(18, 24), CaptureKind::window);
        shots->toggleFavorite(shots->items().front());
        texts->addText(QStringLiteral("erster Text"), QStringLiteral("org.example.App"));
        texts->addImage(noisyImage(16, 12), std::nullopt);
        texts->addText(QStringLiteral("zweiter Text"), std::nullopt);
        settle();
    }
};

QStringList faults(const AppFolders& folders, QSet<QString>* ids)
{
    return historyFaults(folders.baseDirectory(), ids);
}

QString idOf(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

// Every byte near the start and the end of what a change writes, and points
// spread over the rest (each of its files gets several).
QList<qint64> budgets(qint64 total)
{
    const qint64 step = std::max<qint64>(1, total / 60);
    QList<qint64> out;
    for (qint64 n = 0; n <= total; n += (n < 32 || n > total - 32) ? 1 : step)
        out << n;
    return out;
}

// One kind of change and what it left on disk once written.
struct Change {
    const char* name;
    std::function<void(Rig&)> act;
    std::function<bool(Rig&, const QSet<QString>&)> onDisk;
};

} // namespace

class TestStorageFaults : public QObject {
    Q_OBJECT

    // Totals over every sweep, for the record.
    int m_runs = 0, m_failedRuns = 0, m_lost = 0, m_wrong = 0, m_episodes = 0, m_told = 0;

    // How much `act` writes after the seed when the disk takes it all.
    static qint64 written(const std::function<void(Rig&)>& act)
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        Rig rig;
        rig.open();
        rig.seed();
        const qint64 before = rig.calls->written();
        act(rig);
        return rig.calls->written() - before;
    }

    void sweep(const Change& change)
    {
        const qint64 total = written([&](Rig& rig) {
            change.act(rig);
            rig.settle();
        });
        QVERIFY(total > 0);
        for (const qint64 budget : budgets(total)) {
            const QString where = QStringLiteral("%1, failing after %2 of %3 bytes").arg(QLatin1String(change.name)).arg(budget).arg(total);
            QDir(testFolders().baseDirectory()).removeRecursively();
            Rig rig;
            rig.open();
            rig.seed();
            QSet<QString> before;
            QVERIFY2(faults(rig.folders, &before).isEmpty(), qPrintable(where));
            rig.calls->failAfter(budget, budget % 2 ? EIO : ENOSPC);
            change.act(rig);
            rig.settle();
            const bool failed = rig.calls->refusals() > 0;
            QSet<QString> after;
            const QStringList wrong = faults(rig.folders, &after);
            const qsizetype lost = (before - after).size();
            ++m_runs;
            m_failedRuns += failed;
            m_lost += int(lost);
            m_wrong += int(wrong.size());
            m_episodes += rig.episodes;
            m_told += rig.told;
            QVERIFY2(wrong.isEmpty(), qPrintable(where + ": " + wrong.join(' ')));
            QVERIFY2(lost == 0, qPrintable(where));
            QCOMPARE(rig.episodes, int(failed));
            QCOMPARE(rig.told, int(failed));

            // The disk takes writes again: the change reaches it.
            rig.calls->heal();
            rig.retry();
            after.clear();
            QVERIFY2(faults(rig.folders, &after).isEmpty(), qPrintable(where));
            QVERIFY2(change.onDisk(rig, after), qPrintable(where + ": not written after the retry"));
            QCOMPARE(rig.ended, rig.episodes);
            QVERIFY(!rig.shots->hasUnwrittenChanges() && !rig.texts->hasUnwrittenChanges());
        }
    }

private Q_SLOTS:
    void cleanupTestCase()
    {
        qInfo("%d runs, %d with a failing disk: %d records lost, %d records not agreeing with their "
              "pictures, %d episodes, %d told",
              m_runs, m_failedRuns, m_lost, m_wrong, m_episodes, m_told);
    }

    void aCapture()
    {
        QUuid id;
        sweep({"capture", [&id](Rig& rig) { id = rig.shots->add(noisyImage(30, 20), CaptureKind::area).id; },
               [&id](Rig&, const QSet<QString>& ids) { return ids.contains(idOf(id)); }});
    }

    void anEditorsPicture()
    {
        sweep({"edit",
               [](Rig& rig) {
                   AnnotationObject arrow;
                   arrow.points = {{1, 1}, {8, 6}};
                   rig.shots->updateImage(noisyImage(12, 9), {arrow}, rig.shots->items().back());
               },
               [](Rig& rig, const QSet<QString>&) {
                   const QJsonArray records = historyOnDisk(rig.shots->historyFilePath());
                   const QJsonObject edited = records.last().toObject();
                   return edited["width"].toInt() == 12 && edited["annotations"].toArray().size() == 1;
               }});
    }

    void aFavourite()
    {
        sweep({"favourite", [](Rig& rig) { rig.shots->toggleFavorite(rig.shots->items().back()); },
               [](Rig& rig, const QSet<QString>&) {
                   return historyOnDisk(rig.shots->historyFilePath()).last().toObject()["isFavorite"].toBool();
               }});
    }

    void aCopiedText()
    {
        sweep({"text", [](Rig& rig) { rig.texts->addText(QStringLiteral("dritter Text"), std::nullopt); },
               [](Rig& rig, const QSet<QString>& ids) { return ids.contains(idOf(rig.texts->items().front().id)); }});
    }

    void aCopiedPicture()
    {
        sweep({"clipboard picture", [](Rig& rig) { rig.texts->addImage(noisyImage(20, 14), std::nullopt); },
               [](Rig& rig, const QSet<QString>& ids) { return ids.contains(idOf(rig.texts->items().front().id)); }});
    }

    // A quit folds each journal into its history file; failing anywhere in
    // it, the next start still reads every record.
    void aQuit()
    {
        const qint64 total = written([](Rig& rig) { rig.close(); });
        QVERIFY(total > 0);
        for (const qint64 budget : budgets(total)) {
            QDir(testFolders().baseDirectory()).removeRecursively();
            QSet<QString> before, after;
            {
                Rig rig;
                rig.open();
                rig.seed();
                QVERIFY(faults(rig.folders, &before).isEmpty());
                rig.calls->failAfter(budget, budget % 2 ? EIO : ENOSPC);
                rig.close();
            }
            Rig next;
            const QStringList wrong = faults(next.folders, &after);
            ++m_runs;
            m_lost += int((before - after).size());
            m_wrong += int(wrong.size());
            QVERIFY2(wrong.isEmpty() && before == after, qPrintable(QStringLiteral("quit failing after %1 of %2").arg(budget).arg(total)));
            next.open();
            QCOMPARE(next.shots->items().size() + next.texts->items().size(), before.size());
        }
    }

    // A history that may not be read (EIO here; EACCES in the permission
    // test) is never set aside, overwritten or cleaned up after; once it can
    // be read, what was recorded meanwhile joins it.
    void anUnreadableHistoryIsLeftAlone()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        QSet<QString> before;
        QByteArray shotsFile, textsFile;
        {
            Rig rig;
            rig.open();
            rig.seed();
            rig.close(); // folded into the files
            QVERIFY(faults(rig.folders, &before).isEmpty());
            shotsFile = fileContents(testFolders().baseDirectory() + "/screenshots.json");
            textsFile = fileContents(testFolders().baseDirectory() + "/clipboard.json");
        }
        const QStringList thumbnails = QDir(testFolders().thumbnailsDirectory()).entryList(QDir::Files);
        Rig rig;
        rig.calls->failReading(testFolders().baseDirectory() + "/screenshots.json", EIO);
        rig.calls->failReading(testFolders().baseDirectory() + "/clipboard.json", EACCES);
        rig.open();
        rig.health->reportUnreadable();
        QVERIFY(rig.shots->items().isEmpty() && rig.texts->items().isEmpty());
        QCOMPARE(rig.shots->unreadableError(), EIO);
        const ScreenshotItem added = rig.shots->add(noisyImage(22, 11), CaptureKind::area);
        rig.texts->addText(QStringLiteral("neu"), std::nullopt);
        rig.settle();
        rig.retry(); // still unreadable: nothing changes
        QCOMPARE(fileContents(testFolders().baseDirectory() + "/screenshots.json"), shotsFile);
        QCOMPARE(fileContents(testFolders().baseDirectory() + "/clipboard.json"), textsFile);
        QVERIFY(QDir(testFolders().baseDirectory()).entryList({"*.unreadable-*"}).isEmpty());
        for (const QString& name : thumbnails)
            QVERIFY(QFile::exists(testFolders().thumbnailsDirectory() + '/' + name));
        QCOMPARE(rig.episodes, 1);
        QCOMPARE(rig.told, 1);

        rig.calls->failReading(testFolders().baseDirectory() + "/screenshots.json", 0);
        rig.calls->failReading(testFolders().baseDirectory() + "/clipboard.json", 0);
        rig.retry();
        QCOMPARE(rig.shots->items().size(), 3);
        QCOMPARE(rig.shots->items().front().id, added.id);
        QCOMPARE(rig.texts->items().size(), 4);
        QSet<QString> after;
        QVERIFY(faults(rig.folders, &after).isEmpty());
        QVERIFY((before - after).isEmpty());
        QCOMPARE(after.size(), before.size() + 2);
        QCOMPARE(rig.ended, 1);
    }
};

ZENTU_TEST_MAIN(TestStorageFaults)
#include "tst_storagefaults.moc"
