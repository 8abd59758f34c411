// The real program's data folder on a real X server, as a hostile or an
// earlier setup leaves it. Links planted in place of debug.log, the two
// history files and the Thumbnails folder are replaced by files and a folder
// of the program's own, and logged: a capture and a copy leave every file
// they point to unchanged, byte for byte and in its mode. After the start
// every file in the folder is the user's alone (0600), every folder too
// (0700), also what an earlier version left open. A history file with one
// bad token keeps its valid records, pictures whose records went with it are
// taken back, and thumbnails no record names are gone. The settings file is never written through a link either, and is
// private from its first write.
//
// Then the clipboard history beside the program's captures: another program
// copies a text at once after the full-screen hotkey, while the capture is
// taken, copied and stored. Whichever copy the server keeps, that text is
// recorded, and so is every copy after it; the capture is announced as copied
// only when the clipboard took it. A copy by a program whose selection window
// names no application (xclip) while one of our windows is in front is not
// recorded as ours.
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "support/ClipboardOwners.h"
#include "support/FilledImage.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace {

constexpr QFileDevice::Permissions openToAll(0x6644);
constexpr QFileDevice::Permissions groupAndOthers(0x0077);

struct Snapshot {
    QByteArray bytes;
    QFileDevice::Permissions mode;
    bool operator==(const Snapshot&) const = default;
};
Snapshot snapshot(const QString& path) { return {fileContents(path), QFile::permissions(path)}; }

QByteArray screenshotRecord(char letter, const char* file)
{
    return QStringLiteral(R"({"annotations":[],"captureKind":"area","createdAt":"2026-01-01T10:00:00Z","fileName":"%2","height":5,"id":"00000000-0000-0000-0000-00000000000%1","isFavorite":false,"width":5})")
        .arg(QString(QLatin1Char(letter)), QLatin1String(file))
        .toUtf8();
}

} // namespace

class TestDataFolderX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    QTemporaryDir m_outside;
    QString base() const { return m_real.dataFolder(); }
    ClipboardOwners m_owners;

    QStringList recordedTexts() const
    {
        QStringList out;
        for (const QJsonValue& v : m_real.historyRecords(QStringLiteral("clipboard.json")))
            out << v.toObject().value("text").toString(QStringLiteral("<%1>").arg(v.toObject().value("preview").toString()));
        return out;
    }
    qsizetype captures() const { return m_real.historyRecords(QStringLiteral("screenshots.json")).size(); }
    // Another program takes the clipboard with a text and keeps serving it;
    // with `onLine`, started ready and taking it when told (takeNow).
    QProcess* copyFromOtherProgram(const QString& text, bool onLine = false) { return m_owners.copy(text, onLine); }
    // What any other program reads from the clipboard now.
    QString clipboardAsOthersSeeIt()
    {
        QProcess reader;
        reader.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"read"});
        if (!reader.waitForStarted(5000) || !QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 15000))
            return {};
        return QString::fromUtf8(reader.readAll());
    }
    int lostCopies() const { return int(m_real.debugLog().count(QStringLiteral("CAPTURE nicht in die Zwischenablage kopiert"))); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(m_outside.isValid());
    }
    void cleanupTestCase() { stopQuietly(m_app); }

    void plantedLinksAreReplacedNeverWrittenThrough()
    {
        // Files elsewhere, open to all as the user's own files often are.
        const QString out = m_outside.path();
        QVERIFY(QDir().mkpath(out + "/thumbs"));
        QMap<QString, Snapshot> before;
        for (const char* name : {"/log.txt", "/clip.json", "/shots.json", "/thumbs/keep.png"}) {
            QVERIFY(plantFile(out + name, QByteArray("fremder Inhalt ") + name));
            QVERIFY(QFile::setPermissions(out + name, openToAll));
            before.insert(out + name, snapshot(out + name));
        }

        // A data folder of an earlier version: open to all, with the links.
        QVERIFY(QDir().mkpath(base() + "/Screenshots"));
        QVERIFY(QDir().mkpath(base() + "/ClipboardImages"));
        for (const QString& dir : {base(), base() + "/Screenshots", base() + "/ClipboardImages"})
            QVERIFY(QFile::setPermissions(dir, QFileDevice::Permissions(0x7755)));
        QVERIFY(filledImage(5, 5, Qt::blue).save(base() + "/Screenshots/older.png"));
        QVERIFY(QFile::setPermissions(base() + "/Screenshots/older.png", openToAll));
        for (const auto& [target, at] : {std::pair{"/log.txt", "/debug.log"}, {"/clip.json", "/clipboard.json"},
                                         {"/shots.json", "/screenshots.json"}, {"/thumbs", "/Thumbnails"}})
            QVERIFY(QFile::link(out + target, base() + at));

        QVERIFY(startQuietly(m_real, m_app));
        // A capture writes its picture, thumbnail and record; another
        // program's copy writes the clipboard history.
        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 1, 15000);
        QProcess owner;
        owner.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"text", "kopiert"});
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("clipboard.json")).size(), 1, 15000);
        owner.closeWriteChannel();
        owner.waitForFinished(5000);
        const QString thumbnail = m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject().value("thumbnailFileName").toString();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(base() + "/Thumbnails/" + thumbnail), 15000);
        stopQuietly(m_app);

        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(snapshot(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(QDir(out + "/thumbs").entryList(QDir::Files), QStringList{"keep.png"});
        for (const char* name : {"/debug.log", "/clipboard.json", "/screenshots.json", "/Thumbnails"})
            QVERIFY2(!QFileInfo(base() + name).isSymLink() && QFileInfo::exists(base() + name), name);
        QVERIFY(m_real.debugLog().contains(QStringLiteral("Verknüpfung statt eigener Datei")));

        // Every file and folder is the user's alone now.
        QDirIterator it(base(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        int files = 0;
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            QVERIFY2(!(info.permissions() & groupAndOthers), qPrintable(info.filePath()));
            files += info.isFile();
        }
        QVERIFY(!(QFile::permissions(base()) & groupAndOthers));
        QVERIFY(files >= 6); // log, two histories, two pictures, a thumbnail
    }

    void aStartOverADamagedHistoryKeepsItsValidRecordsAndTakesBackPictures()
    {
        for (const char* file : {"a.png", "b.png"})
            QVERIFY(filledImage(5, 5, Qt::green).save(base() + "/Screenshots/" + file));
        const QByteArray damaged = "[" + screenshotRecord('A', "a.png") + ",{\"id\": NaN}," + screenshotRecord('B', "b.png") + "]";
        QVERIFY(plantFile(base() + "/screenshots.json", damaged));
        const QString stale = base() + "/Thumbnails/Zentu.it_Screenshot_2026-01-01_10-00-00-000_thumb.png";
        QVERIFY(plantFile(stale));
        QVERIFY(startQuietly(m_real, m_app));
        // The two valid records, and the pictures whose records went with the
        // replaced file (the capture and the earlier version's picture),
        // taken back with new thumbnails.
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 4, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(historyFaults(base()).isEmpty(), 15000);
        // A thumbnail no record names is gone; the two taken back have theirs.
        QVERIFY(!QFile::exists(stale));
        QCOMPARE(QDir(base() + "/Thumbnails").entryList(QDir::Files).size(), 2);
        stopQuietly(m_app);
    }

    void theSettingsFileIsNeverWrittenThroughALink()
    {
        const QString outside = m_outside.path() + "/other.conf";
        QVERIFY(plantFile(outside, "[General]\nfremd=1\n"));
        QVERIFY(QFile::setPermissions(outside, openToAll));
        const Snapshot before = snapshot(outside);
        const QString path = m_outside.path() + "/config/com.quorel.zentu.conf";
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(QFile::link(outside, path));
        {
            SettingsFileUserDefaults defaults(testFileCalls(), path);
            defaults.setValue(QStringLiteral("zentu.settings.v1"), QByteArray("{}"));
        }
        QVERIFY(snapshot(outside) == before);
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(QFile::permissions(path) & groupAndOthers, QFileDevice::Permissions());
        QCOMPARE(SettingsFileUserDefaults(testFileCalls(), path).value(QStringLiteral("zentu.settings.v1")).toByteArray(), QByteArray("{}"));
    }

    void everyCopyAroundACaptureIsRecorded()
    {
        QVERIFY(startQuietly(m_real, m_app));
        for (int round = 1; round <= 5; ++round) {
            const qsizetype shots = captures();
            const int lostBefore = lostCopies();
            const QString during = QStringLiteral("während %1").arg(round);
            const QString after = QStringLiteral("danach %1").arg(round);
            // The full-screen hotkey, and at once another program's copy.
            QProcess* other = copyFromOtherProgram(during, true);
            QVERIFY(pressHotkey("15"));
            other->write("take\n");
            other->waitForBytesWritten(1000);
            QTRY_COMPARE_WITH_TIMEOUT(captures(), shots + 1, 15000);
            // Under load the copies may take long to arrive; what the program
            // logged meanwhile tells a slow copy from a lost one.
            QVERIFY2(QTest::qWaitFor([&] { return recordedTexts().contains(during); }, 30000),
                     qPrintable(m_real.debugLog().right(3000)));
            // The capture is announced as copied only when the clipboard holds
            // it: then it came after the other copy, which was recorded first.
            const QString now = clipboardAsOthersSeeIt();
            if (now.contains(QStringLiteral("image: 1920x1080")))
                QCOMPARE(lostCopies(), lostBefore);
            else if (lostCopies() > lostBefore)
                QVERIFY2(now.contains(QStringLiteral("text: ") + during), qPrintable(now));
            // Copies after the capture keep being recorded.
            copyFromOtherProgram(after);
            QVERIFY2(QTest::qWaitFor([&] { return recordedTexts().value(0) == after; }, 30000),
                     qPrintable(recordedTexts().value(0) + u'\n' + m_real.debugLog().right(3000)));
        }
        // The captures themselves never entered the clipboard history.
        for (const QString& text : recordedTexts())
            QVERIFY2(!text.startsWith('<'), qPrintable(text));
    }

    void aCopyNamingNoApplicationIsNotOursWhileOurWindowIsInFront()
    {
        // The clipboard history window comes to the front (Super+Shift+V).
        X11Probe x;
        QVERIFY(pressHotkey("55"));
        QTRY_COMPARE_WITH_TIMEOUT(x.pid(x.activeWindow()), m_app.processId(), 15000);
        // xclip's selection window carries neither a class nor a pid.
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard"});
        QVERIFY(xclip.waitForStarted(5000));
        xclip.write("aus xclip");
        xclip.closeWriteChannel();
        QJsonObject entry;
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            const QJsonArray records = m_real.historyRecords(QStringLiteral("clipboard.json"));
            entry = records.isEmpty() ? QJsonObject() : records.at(0).toObject();
            return entry.value("text").toString() == QStringLiteral("aus xclip");
        }(), 15000);
        const QString source = entry.value("sourceAppBundleID").toString();
        QVERIFY2(source != QStringLiteral("com.quorel.zentu") && !source.contains(QStringLiteral("Zentu"), Qt::CaseInsensitive),
                 qPrintable(source));
        xclip.kill();
        xclip.waitForFinished(5000);
    }
};

ZENTU_TEST_MAIN(TestDataFolderX11)
#include "tst_datafolder_x11.moc"
