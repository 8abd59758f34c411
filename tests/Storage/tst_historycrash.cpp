// Crash consistency of both histories: a child process changes them (an
// editor among them cutting a capture and drawing on it) while its writers
// are held after every possible number of jobs, is killed with SIGKILL there,
// and what it left on disk is checked and reloaded: every record names a
// picture that decodes and agrees with it, nothing acknowledged is lost, and
// a picture written before its record is taken back at the next start. The
// child reports only after its changes returned: a held writer never holds up
// the caller.
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSet>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

QJsonArray fileArray(const QString& name)
{
    return historyOnDisk(testFolders().baseDirectory() + "/" + name);
}

// The states the child's changes pass through, in order, as the file lists them.
const QStringList screenshotStates{
    "area/40/0/0",
    "window/50/0/0,area/40/0/0",
    "window/50/0/0,area/20/0/1",
    "window/50/1/0,area/20/0/1",
    "window/50/1/0",
    "fullScreen/60/0/0,window/50/1/0",
};
const QStringList clipboardStates{
    "text/erster Text,image/20×10",
    "image/25×25,text/erster Text,image/20×10",
    "text/zweiter Text,image/25×25,text/erster Text,image/20×10",
    "text/zweiter Text,image/25×25,text/erster Text",
};

QString screenshotState(const QJsonArray& records)
{
    QStringList parts;
    for (const QJsonValue& v : records) {
        const QJsonObject o = v.toObject();
        parts << QStringLiteral("%1/%2/%3/%4")
                     .arg(o["captureKind"].toString())
                     .arg(o["width"].toInt())
                     .arg(int(o["isFavorite"].toBool()))
                     .arg(o["annotations"].toArray().size());
    }
    return parts.join(',');
}

QString clipboardState(const QJsonArray& records)
{
    QStringList parts;
    for (const QJsonValue& v : records)
        parts << v.toObject()["type"].toString() + "/" + v.toObject()["preview"].toString();
    return parts.join(',');
}

} // namespace

class tst_HistoryCrash : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeClipboardService clipboard;

    // Every record on disk has its picture, of the record's size (and a
    // screenshot its thumbnail, of the picture's proportions).
    static QString missingPictures()
    {
        QStringList missing;
        for (const QJsonValue& v : fileArray("screenshots.json")) {
            const QJsonObject o = v.toObject();
            const QImage picture(testFolders().screenshotsDirectory() + "/" + o["fileName"].toString());
            if (picture.size() != QSize(o["width"].toInt(), o["height"].toInt()))
                missing << o["fileName"].toString();
            const QImage thumb(testFolders().thumbnailsDirectory() + "/" + o["thumbnailFileName"].toString());
            if (thumb.isNull() || std::abs(thumb.width() * o["height"].toInt() - thumb.height() * o["width"].toInt()) > o["width"].toInt())
                missing << o["thumbnailFileName"].toString();
        }
        for (const QJsonValue& v : fileArray("clipboard.json")) {
            const QJsonObject o = v.toObject();
            if (o["type"].toString() == "image" && QImage(testFolders().clipboardImagesDirectory() + "/" + o["imageFileName"].toString()).isNull())
                missing << o["imageFileName"].toString();
        }
        return missing.join(", ");
    }

private Q_SLOTS:
    void killedAtEveryJobLeavesAConsistentHistory()
    {
        qsizetype lastShots = 0, lastTexts = 0, recovered = 0;
        for (int jobs = 0;; ++jobs) {
            QDir(testFolders().baseDirectory()).removeRecursively();
            QProcess child;
            child.start(QStringLiteral(ZENTU_HISTORY_CRASH_CHILD), {QString::number(jobs)});
            QVERIFY(child.waitForStarted(5000));
            QByteArray output;
            QVERIFY(QTest::qWaitFor([&] {
                child.waitForReadyRead(50);
                output += child.readAllStandardOutput();
                return output.contains("held ");
            }, 20000));
            child.kill(); // SIGKILL: no destructor, no flush
            QVERIFY(child.waitForFinished(5000));
            const QStringList lines = QString::fromUtf8(output).split('\n');
            const QStringList acked = lines.value(0).split(' ');
            const QStringList held = lines.value(1).split(' ');
            QCOMPARE(acked.size(), 4);

            const QString where = QStringLiteral("killed after %1 jobs").arg(jobs);
            QVERIFY2(missingPictures().isEmpty(), qPrintable(where + ": record without picture: " + missingPictures()));
            // On disk is always a state the changes passed through, never an
            // older one than before: nothing acknowledged is lost.
            const QJsonArray shots = fileArray("screenshots.json");
            const QJsonArray texts = fileArray("clipboard.json");
            const qsizetype shotState = screenshotStates.indexOf(screenshotState(shots));
            const qsizetype textState = clipboardStates.indexOf(clipboardState(texts));
            QVERIFY2(shotState >= lastShots, qPrintable(where + ": " + screenshotState(shots)));
            QVERIFY2(textState >= lastTexts, qPrintable(where + ": " + clipboardState(texts)));
            lastShots = shotState;
            lastTexts = textState;
            if (shotState < 4)
                QCOMPARE(shots.last().toObject()["id"].toString(), acked[1]);
            QCOMPARE(texts.last().toObject()["id"].toString(), textState < 3 ? acked[2] : acked[3]);

            // Reloaded as at the next start: everything on disk is shown, and
            // a capture whose record the kill stopped is taken back.
            SettingsManager settings(defaults, loginItem, keyboard);
            ScreenshotHistoryStore shotStore(settings, testFolders());
            ClipboardHistoryStore textStore(settings, clipboard, testFolders());
            QSet<QString> shown;
            for (const ScreenshotItem& item : shotStore.items()) {
                shown.insert(item.id.toString(QUuid::WithoutBraces).toUpper());
                QCOMPARE(shotStore.image(item).size(), QSize(item.width, item.height));
            }
            for (const QJsonValue& v : shots)
                QVERIFY2(shown.contains(v.toObject()["id"].toString()), qPrintable(where));
            recovered += shotStore.items().size() - shots.size();
            QCOMPARE(textStore.items().size(), texts.size());

            if (held.value(1) == "0" && held.value(2) == "0") {
                // Nothing was held: the last state is on disk.
                QCOMPARE(shotState, screenshotStates.size() - 1);
                QCOMPARE(textState, clipboardStates.size() - 1);
                QVERIFY(jobs > 8); // every crash point was tried
                QVERIFY(recovered > 0); // some kill fell between a picture and its record
                qInfo("%d kills, %lld captures taken back from their pictures", jobs + 1, qlonglong(recovered));
                break;
            }
        }
    }
};

ZENTU_TEST_MAIN(tst_HistoryCrash)
#include "tst_historycrash.moc"
