// The clipboard history on a real X server: another program owns the
// CLIPBOARD with texts, an image and marked texts; exactly the unmarked ones
// reach clipboard.json, with that program as their source, and the app's own
// copies never do, while a copy the user makes in our own window (Ctrl+C in
// the recognised-text sheet) is recorded once. A write of ours that the server
// refuses for a newer copy leaves that copy recorded, and every later one. A
// copied file is offered as file managers paste it. Copies of two programs
// a few milliseconds apart are one change; a picture of 8192 x 8192 is
// recorded. Owners that change while being read, answer late, never finish
// or send too much get nothing recorded, and hotkeys keep working meanwhile.
#include "Clipboard/ClipboardMonitor.h"
#include "Clipboard/Pasteboard.h"
#include "Editor/OCRResultView.h"
#include "Hotkeys/HotkeyManager.h"
#include "Platform/ClipboardService.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/X11ClipboardService.h"
#include "Platform/X11/X11GlobalHotkeys.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/ChildNamed.h"
#include "support/DebugLogMessages.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QDeadlineTimer>
#include <QDir>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

class tst_ClipboardMonitor_x11 : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<X11ApplicationIdentity> identity;
    std::unique_ptr<X11ClipboardService> systemClipboard;
    std::unique_ptr<ClipboardHistoryStore> store;
    std::unique_ptr<ClipboardMonitor> monitor;
    std::unique_ptr<QProcess> owner;

    // Starts the helper owning the clipboard and waits until the monitor has
    // handled the change it caused.
    bool own(const QStringList& args)
    {
        const qint64 before = systemClipboard->changeCount();
        return startOwner(args) && QTest::qWaitFor([&] { return settled(before); }, 10000);
    }
    bool startOwner(const QStringList& args)
    {
        release();
        owner = std::make_unique<QProcess>();
        owner->start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), args);
        return owner->waitForStarted(5000) && said("ready");
    }
    // The helper has printed this line (lines before it are passed over).
    bool said(const QByteArray& line)
    {
        return QTest::qWaitFor([&] {
            while (owner->canReadLine() || owner->waitForReadyRead(20))
                if (owner->canReadLine() && owner->readLine().trimmed() == line)
                    return true;
            return false;
        }, 10000);
    }
    // Every change since `before` has been read and dealt with.
    bool settled(qint64 before)
    {
        const ClipboardService& clipboard = *systemClipboard;
        return clipboard.changeCount() > before && monitor->lastChangeCount() == clipboard.changeCount()
            && !monitor->isBusy();
    }
    void release()
    {
        if (!owner)
            return;
        owner->closeWriteChannel();
        if (!owner->waitForFinished(5000))
            owner->kill();
        owner.reset();
    }
    QJsonArray history()
    {
        store->waitForPendingWrites();
        return historyOnDisk(store->historyFilePath());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        systemClipboard = std::make_unique<X11ClipboardService>();
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
        identity = std::make_unique<X11ApplicationIdentity>();
        store = std::make_unique<ClipboardHistoryStore>(*settings, *systemClipboard, testFolders());
        monitor = std::make_unique<ClipboardMonitor>(*store, *settings, *identity, *systemClipboard);
        store->onInternalWrite = [this](const ClipboardWrite& write) { monitor->ownWrite(write); };
        monitor->start();
    }
    void cleanupTestCase()
    {
        release();
        monitor.reset();
    }

    void onlyUnmarkedContentIsRecorded()
    {
        // The server has XFixes: other programs' copies are announced, no poll runs.
        QVERIFY(monitor->isEventDriven());
        QVERIFY(own({"text", "Hallo aus einem anderen Programm"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), 1, 15000);
        QVERIFY(own({"marked", "org.nspasteboard.ConcealedType", "1", "geheim 1"}));
        QVERIFY(own({"image", "64", "48"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), 2, 15000);
        QVERIFY(own({"marked", "org.nspasteboard.TransientType", "1", "geheim 2"}));
        QVERIFY(own({"marked", "org.nspasteboard.AutoGeneratedType", "1", "geheim 3"}));
        QVERIFY(own({"marked", "x-kde-passwordManagerHint", "secret", "geheim 4"}));
        // An image of several megabytes arrives in pieces (INCR).
        QVERIFY(own({"image", "1000", "800", "noise"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), 3, 15000);
        release();

        QStringList recorded;
        QList<QImage> pictures;
        for (const QJsonValue& v : history()) {
            const QJsonObject e = v.toObject();
            recorded << QStringList{e["type"].toString(), e["text"].toString(e["preview"].toString()), e["sourceAppBundleID"].toString()}.join('/');
            pictures << QImage(testFolders().clipboardImagesDirectory() + "/" + e["imageFileName"].toString());
        }
        QCOMPARE(recorded, (QStringList{"image/1000×800/clipboard_owner", "image/64×48/clipboard_owner",
                                        "text/Hallo aus einem anderen Programm/clipboard_owner"}));
        QCOMPARE(pictures.at(0).size(), QSize(1000, 800));
        QCOMPARE(pictures.at(1).pixelColor(10, 10), QColor(20, 120, 220));
    }

    // What other programs read of our copies is the editor results' test.
    void ownCopiesStayOut()
    {
        const qsizetype before = store->items().size();
        QImage image(30, 20, QImage::Format_ARGB32);
        image.fill(QColor(200, 10, 10));
        monitor->ownWrite(Pasteboard::copyImageWithPNG(*systemClipboard, image));

        // Copying an entry back is an own write too.
        store->copyToPasteboard(store->items().back());
        // Something copied afterwards by another program is recorded, so the
        // poll has run past both own writes.
        QVERIFY(own({"text", "danach"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 15000);
        release();
        const QJsonArray entries = history();
        QCOMPARE(entries.size(), before + 1);
        QCOMPARE(entries.at(0).toObject().value("text").toString(), QStringLiteral("danach"));
        for (const QJsonValue& e : entries)
            QVERIFY(e.toObject().value("preview").toString() != QStringLiteral("30×20"));
    }

    void aWriteThatLostToANewerCopyLeavesThatCopyRecorded()
    {
        const qsizetype before = store->items().size();
        // Another program takes the clipboard now; this process has seen no
        // event since, so its write stands for an earlier moment and the
        // server refuses it (the GUI loop must not run in between).
        owner = std::make_unique<QProcess>();
        owner->start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"text", "schneller"});
        QVERIFY(owner->waitForStarted(5000));
        QDeadlineTimer deadline(10000);
        while (!owner->canReadLine() && !deadline.hasExpired())
            owner->waitForReadyRead(50);
        QCOMPARE(owner->readLine().trimmed(), QByteArray("ready"));
        const ClipboardWrite write = systemClipboard->writeText(QStringLiteral("zu spät"));
        QVERIFY(!write.held);
        monitor->ownWrite(write);
        // That copy is recorded, and so is every later one: the monitor
        // never takes the refused write for content of its own.
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 15000);
        QCOMPARE(store->items().first().text, std::optional<QString>(QStringLiteral("schneller")));
        QVERIFY(own({"text", "später"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().first().text, std::optional<QString>(QStringLiteral("später")), 15000);
        release();
    }

    void aFileIsOfferedAsFileManagersPasteIt()
    {
        const qsizetype before = store->items().size();
        const QString path = QDir::tempPath() + QStringLiteral("/Zentu Bild.png");
        const ClipboardWrite write = systemClipboard->writeFile(path);
        QVERIFY(write.held);
        monitor->ownWrite(write);
        QProcess reader;
        reader.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"read"});
        QVERIFY(reader.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(reader.state() == QProcess::NotRunning, 15000);
        const QString out = QString::fromUtf8(reader.readAll());
        const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
        for (const char* format : {"text/uri-list", "x-special/gnome-copied-files", "text/plain"})
            QVERIFY2(out.section("formats: ", 1).section('\n', 0, 0).split(',').contains(QLatin1String(format)), qPrintable(out));
        QVERIFY2(out.contains("urls: " + QUrl::fromLocalFile(path).toString()), qPrintable(out));
        QVERIFY2(out.contains("gnome: copy|" + url), qPrintable(out));
        QVERIFY2(out.contains("text: " + path), qPrintable(out));
        // An own write: not recorded by the monitor.
        QTest::qWait(2 * ClipboardMonitor::pollIntervalMs);
        QCOMPARE(store->items().size(), before);
    }

    void aPictureWaitsAsItsPngAndPastesInEveryForm()
    {
        // Our own picture copy keeps only its PNG; a program that pastes it
        // still gets the whole picture, as PNG or in any other image form.
        QImage picture(320, 200, QImage::Format_RGB32);
        picture.fill(QColor(12, 200, 90));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
        const ClipboardWrite write = systemClipboard->writeImage(picture, png);
        QVERIFY(write.held);
        monitor->ownWrite(write);
        const QMimeData* ours = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        QVERIFY(ours && ours->data(QStringLiteral("image/png")) == png);
        QProcess reader;
        reader.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"read"});
        QVERIFY(reader.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(reader.state() == QProcess::NotRunning, 15000);
        const QString out = QString::fromUtf8(reader.readAll());
        const QStringList formats = out.section("formats: ", 1).section('\n', 0, 0).split(',');
        for (const char* format : {"image/png", "image/bmp"})
            QVERIFY2(formats.contains(QLatin1String(format)), qPrintable(out));
        QVERIFY2(out.contains("image: 320x200") && out.contains("pixel: #0cc85a"), qPrintable(out));
    }

    void ctrlCInTheRecognisedTextSheetIsRecordedOnce()
    {
        // A copy the user makes in one of our windows is no own write handed
        // to the monitor: it is recorded, once, under the app's own id.
        QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
        const qsizetype before = store->items().size();
        OCRResultView sheet(QStringLiteral("Rechnung 2024\nBetrag 17,50 EUR"), {});
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet, 15000));
        childNamed<QPlainTextEdit>(sheet, "textView")->setFocus();
        // The second line, selected with the keyboard, then Ctrl+C.
        QVERIFY(xdotool({"key", "ctrl+End", "shift+Home", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 15000);
        QCOMPARE(store->items().first().text, std::optional<QString>(QStringLiteral("Betrag 17,50 EUR")));
        QCOMPARE(store->items().first().sourceAppBundleID, std::optional<QString>(QStringLiteral("com.quorel.zentu")));
        QTest::qWait(3 * ClipboardMonitor::pollIntervalMs);
        QCOMPARE(store->items().size(), before + 1);
        QGuiApplication::setDesktopFileName(QString());
    }

    void activeWindowNamesItsApplication()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("aktiv"));
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(identity->frontmost().has_value(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(identity->frontmost()->pid, qint64(QCoreApplication::applicationPid()), 15000);
        QCOMPARE(identity->frontmost()->id, QStringLiteral("tst_ClipboardMonitor_x11"));

        // The app's own windows go by its own id and name, also where an
        // installed entry claims their window class: the entries are not read
        // for them (a copy from the editor would load them all).
        QTemporaryDir apps;
        QVERIFY(plantFile(apps.filePath("org.example.Claimer.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Claimer\nExec=claimer\n"
                          "StartupWMClass=tst_ClipboardMonitor_x11\n"));
        X11ApplicationIdentity claimed({apps.path()});
        QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
        const std::optional<ApplicationIdentity::App> own = claimed.frontmost();
        QGuiApplication::setDesktopFileName(QString());
        QVERIFY(own);
        QCOMPARE(own->id, QStringLiteral("com.quorel.zentu"));
        QCOMPARE(own->name, QGuiApplication::applicationDisplayName());
        QCOMPARE(claimed.frontmost()->id, QStringLiteral("tst_ClipboardMonitor_x11"));
    }

    void aHungOwnerDoesNotHoldUpTheApp()
    {
        // Each answer is time-boxed and a hung owner is asked only once, so the
        // change is handled long before a single untimed read would give up.
        const qsizetype before = store->items().size();
        QVERIFY(own({"stall", "nie gelesen"}));
        owner->kill();
        owner->waitForFinished(5000);
        owner.reset();
        QCOMPARE(store->items().size(), before);
        QVERIFY(debugLogText().contains("Besitzer antwortet nicht rechtzeitig (TARGETS)"));
    }

    void anOwnerChangeDuringTheReadRecordsNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("lastWord");
        // The format list comes from the first window, the text would come
        // from the second, which marks it as concealed.
        QTest::newRow("between format list and text")
            << QStringList{"switch-after-formats", "offen", "geheim"} << QByteArray("switched");
        // The first window's answer is still due when the second takes over,
        // and arrives just before the second one's own list.
        QTest::newRow("while an answer is due")
            << QStringList{"late-formats", "offen", "geheim", "200"} << QByteArray("answered late");
        QTest::newRow("after the answer timed out")
            << QStringList{"late-formats", "offen", "geheim", "800"} << QByteArray("answered late");
    }
    void anOwnerChangeDuringTheReadRecordsNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, lastWord);
        const qsizetype before = store->items().size();
        const qint64 count = systemClipboard->changeCount();
        QVERIFY(startOwner(args));
        QVERIFY(said(lastWord));
        // Both changes handled: the first owner's, the second's.
        QVERIFY(QTest::qWaitFor([&] { return settled(count + 1); }, 10000));
        QCOMPARE(store->items().size(), before);
        for (const QJsonValue& e : history())
            QVERIFY(!e.toObject().value("text").toString().contains("geheim"));
        QVERIFY(own({"text", QStringLiteral("danach: %1").arg(QTest::currentDataTag())}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 15000);
        release();
    }

    void anEndlessOwnerNeitherBlocksHotkeysNorIsRecorded()
    {
        X11GlobalHotkeys backend;
        FakeKeyboardInfo keys;
        HotkeyManager hotkeys(backend, keys);
        bool readingWhenPressed = false;
        QList<HotkeyAction> actions;
        hotkeys.onAction = [&](HotkeyAction a) {
            readingWhenPressed = monitor->isBusy();
            actions << a;
        };
        hotkeys.registerAll(*settings);

        const qsizetype before = store->items().size();
        QVERIFY(startOwner({"endless", "250"})); // each piece well within the answer limit
        QVERIFY(said("piece 1"));
        QVERIFY(monitor->isBusy());
        // Super+Shift+6 while pieces keep coming.
        QCOMPARE(QProcess::execute("xdotool", {"keydown", "Super_L", "keydown", "Shift_L", "key", "15", "keyup",
                                               "Shift_L", "keyup", "Super_L"}),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(actions, QList<HotkeyAction>{HotkeyAction::captureFullScreen}, 10000);
        QVERIFY(readingWhenPressed);
        // The overall limit ends the read; nothing of it is kept.
        QTRY_VERIFY_WITH_TIMEOUT(!monitor->isBusy(), 10000);
        QCOMPARE(store->items().size(), before);
        QVERIFY(debugLogText().contains("Lesen dauert zu lange, übersprungen (UTF8_STRING)"));
        hotkeys.unregisterAll();
        release();
    }

    void aBurstOfCopiesIsOneChangeTheLastRecorded()
    {
        // Two programs copy 6 ms apart after a quiet second: one change, the
        // last copy is recorded.
        QProcess first, second;
        const auto ready = [](QProcess& p, const QByteArray& line) {
            return QTest::qWaitFor([&] { return p.canReadLine() ? p.readLine().trimmed() == line : (p.waitForReadyRead(20), false); },
                                   10000);
        };
        first.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"on-line", "zuerst kopiert"});
        second.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"on-line", "gleich danach kopiert"});
        QVERIFY(ready(first, "ready") && ready(second, "ready"));
        const qsizetype before = store->items().size();
        const qint64 changes = systemClipboard->changeCount();
        QTest::qWait(1000); // the quiet spell
        first.write("\n");
        QVERIFY(ready(first, "taken"));
        QTest::qWait(6);
        second.write("\n");
        QVERIFY(ready(second, "taken"));
        QTRY_VERIFY_WITH_TIMEOUT(systemClipboard->changeCount() >= changes + 2 && settled(changes), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 10000);
        QCOMPARE(store->items().first().text, QStringLiteral("gleich danach kopiert"));
        QVERIFY(!QTest::qWaitFor([&] { return store->items().size() > before + 1; }, 1200));
        for (QProcess* p : {&first, &second}) {
            p->closeWriteChannel();
            p->waitForFinished(5000);
        }
    }

    void aLargePictureFromAnotherProgramIsRecorded()
    {
        // 8192 x 8192 pixels, 256 MB decoded: twice what Qt decodes unasked.
        const qsizetype before = store->items().size();
        QVERIFY(own({"image", "8192", "8192"}));
        QTRY_COMPARE_WITH_TIMEOUT(store->items().size(), before + 1, 60000);
        QCOMPARE(store->items().first().preview, QStringLiteral("8192×8192"));
        const QString file = testFolders().clipboardImagesDirectory() + "/" + *store->items().first().imageFileName;
        QTRY_COMPARE_WITH_TIMEOUT(QImageReader(file).size(), QSize(8192, 8192), 60000);
        release();
    }

    void contentAboveTheSizeLimitIsSkipped()
    {
        X11ClipboardReader::Limits small;
        small.maxBytes = 100 * 1024;
        systemClipboard->setReadLimits(small);
        const qsizetype before = store->items().size();
        QVERIFY(own({"image", "1000", "800", "noise"})); // several MB, in pieces
        QCOMPARE(store->items().size(), before);
        QVERIFY(debugLogText().contains("Inhalt zu groß, übersprungen"));
        systemClipboard->setReadLimits({});
        release();
    }
};

ZENTU_TEST_MAIN(tst_ClipboardMonitor_x11)
#include "tst_ClipboardMonitor_x11.moc"
