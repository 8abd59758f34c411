// The clipboard monitor on a fake clipboard: what gets recorded and from
// whom, what the sensitive-content filter keeps out, the app's own copies,
// reads that end after the history was switched off, and how it watches.
// And how a process is named as the source of a copy.
#include "Clipboard/ClipboardMonitor.h"
#include "Clipboard/Pasteboard.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ImageOps.h"
#include "fakes/FakeApplicationIdentity.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QGuiApplication>

class tst_ClipboardMonitor : public QObject {
    Q_OBJECT

    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeApplicationIdentity identity;
    std::shared_ptr<FakeClipboardService> clipboard;
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<ClipboardHistoryStore> store;
    std::unique_ptr<ClipboardMonitor> monitor;

    QStringList texts() const
    {
        QStringList out;
        for (const ClipboardItem& i : store->items())
            out.append(i.text.value_or(QStringLiteral("<%1>").arg(i.preview)));
        return out;
    }
    void set(void (*change)(AppSettings&)) { settings->update(change); }

private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
        defaults.values.clear();
        clipboard = std::make_shared<FakeClipboardService>();
        identity = {};
        settings = std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
        store = std::make_unique<ClipboardHistoryStore>(*settings, *clipboard, testFolders());
        clipboard->copyText(QStringLiteral("schon da"));
        monitor = std::make_unique<ClipboardMonitor>(*store, *settings, identity, *clipboard);
    }
    void cleanup()
    {
        monitor.reset();
        store.reset();
    }

    void recordsNewContentOnly()
    {
        monitor->poll();
        QVERIFY(store->items().isEmpty()); // present at launch
        clipboard->copyText(QStringLiteral("eins"));
        clipboard->copyText(QStringLiteral("zwei")); // same interval: only the last counts
        monitor->poll();
        monitor->poll();
        QCOMPARE(texts(), QStringList{"zwei"});

        // Blank text with an image: the image is recorded.
        clipboard->copy({{"text/plain", " \n\t"}, {"image/png", *ImageOps::pngData(filledImage(16, 9, Qt::red))}});
        monitor->poll();
        QCOMPARE(texts(), (QStringList{"<16×9>", "zwei"}));
        // An image only offered as another format, and nothing usable at all.
        clipboard->copy({{"text/uri-list", "file:///tmp/x"}}, filledImage(3, 3, Qt::blue));
        monitor->poll();
        clipboard->copy({{"text/uri-list", "file:///tmp/y"}});
        monitor->poll();
        QCOMPARE(texts(), (QStringList{"<3×3>", "<16×9>", "zwei"}));
    }

    // The window that answered names the source; without one, the owner or
    // else the active window does.
    void sourceIsTheOwnerThatAnswered()
    {
        identity.owner = FakeApplicationIdentity::app("org.gnome.TextEditor");
        identity.windows.insert(7, FakeApplicationIdentity::app("org.keepassxc.KeePassXC"));
        clipboard->answeringOwner = 7;
        clipboard->copyText(QStringLiteral("pw"));
        monitor->poll();
        QVERIFY(store->items().isEmpty());
        clipboard->answeringOwner = 0;
        identity.owner.reset();
        identity.front = FakeApplicationIdentity::app("org.kde.kate");
        clipboard->copyText(QStringLiteral("x"));
        monitor->poll();
        QCOMPARE(store->items().front().sourceAppBundleID, QStringLiteral("org.kde.kate"));
        identity.front.reset();
        clipboard->copyText(QStringLiteral("y"));
        monitor->poll();
        QVERIFY(!store->items().front().sourceAppBundleID);

        // An owner that names no application (xclip) while our own window is
        // in front: unknown, never the app itself.
        const qint64 self = QCoreApplication::applicationPid();
        identity.front = ApplicationIdentity::App{QStringLiteral("Zentu.it"), QStringLiteral("Zentu.it"), self};
        clipboard->copyText(QStringLiteral("aus xclip"));
        monitor->poll();
        QCOMPARE(texts().first(), QStringLiteral("aus xclip"));
        QVERIFY(!store->items().front().sourceAppBundleID);
        // A copy the user made in one of our windows (not an own write handed
        // in) is recorded once, under the app's own id.
        QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
        identity.windows.insert(9, ApplicationIdentity::App{QStringLiteral("Zentu.it"), QStringLiteral("Zentu.it"), self});
        clipboard->answeringOwner = 9;
        clipboard->copyText(QStringLiteral("markiert im Textfeld"));
        monitor->poll();
        clipboard->lateNotice();
        monitor->poll();
        QGuiApplication::setDesktopFileName(QString());
        QCOMPARE(texts().mid(0, 2), (QStringList{"markiert im Textfeld", "aus xclip"}));
        QCOMPARE(store->items().front().sourceAppBundleID, QStringLiteral("com.quorel.zentu"));
    }

    // Marked content is driven for real by the X11 test; here: the password
    // managers, a harmless hint value, and the filter switched off.
    void sensitiveContentStaysOutUnlessTheFilterIsOff()
    {
        const auto copy = [this](const char* text, const QString& owner, QMap<QString, QByteArray> marks = {}) {
            identity.owner = FakeApplicationIdentity::app(owner);
            clipboard->copyText(QString::fromUtf8(text), marks);
            monitor->poll();
        };
        for (const char* id : {"org.keepassxc.KeePassXC", "com.bitwarden.desktop", "1password", "org.gnome.World.Secrets",
                               "org.gnome.seahorse.Application", "org.kde.kwalletmanager5", "com.example.KEEPASS"})
            copy("pw", QString::fromLatin1(id));
        copy("geheim", "org.gnome.TextEditor", {{"org.nspasteboard.ConcealedType", {}}});
        copy("offen", "org.gnome.TextEditor", {{"x-kde-passwordManagerHint", "public"}});
        QCOMPARE(texts(), QStringList{"offen"});
        set([](AppSettings& s) { s.ignoreSensitiveContent = false; });
        copy("pw", "org.keepassxc.KeePassXC");
        copy("geheim", "org.gnome.TextEditor", {{"org.nspasteboard.ConcealedType", {}}});
        QCOMPARE(texts(), (QStringList{"geheim", "pw", "offen"}));
    }

    void ownCopiesAndSwitchedOffHistoryStayOut()
    {
        monitor->ownWrite(Pasteboard::copyImageWithPNG(*clipboard, filledImage(8, 8, Qt::green)));
        // A change notice arriving after our write does not make it a foreign copy.
        clipboard->lateNotice();
        monitor->poll();
        QVERIFY(store->items().isEmpty());

        // A write that lost to another program's newer copy: that copy is
        // recorded, also when it came in before the write returned.
        clipboard->loseWrites = true;
        monitor->ownWrite(clipboard->writeText(QStringLiteral("unsere")));
        monitor->poll();
        QCOMPARE(texts(), QStringList{"schneller"});
        clipboard->loseWrites = false;
        clipboard->lateNotice(); // content looked at once is not recorded again
        monitor->poll();
        QCOMPARE(store->items().size(), 1);
        store->clearAll(false);

        set([](AppSettings& s) { s.clipboardHistoryEnabled = false; });
        clipboard->copyText(QStringLiteral("aus"));
        monitor->poll();
        set([](AppSettings& s) { s.clipboardHistoryEnabled = true; });
        monitor->poll();
        QVERIFY(store->items().isEmpty());
    }

    void readsOneAtATimeAndKeepsNothingLate()
    {
        // While a read is out, newer changes wait for it; then the newest is read.
        clipboard->holdReads = true;
        clipboard->copyText(QStringLiteral("erste"));
        monitor->poll();
        QVERIFY(monitor->isBusy());
        clipboard->copyText(QStringLiteral("zweite"));
        clipboard->copyText(QStringLiteral("dritte"));
        monitor->poll();
        QCOMPARE(clipboard->reads, 1);
        clipboard->finishHeldRead();
        QCOMPARE(clipboard->reads, 2);
        clipboard->finishHeldRead();
        QVERIFY(!monitor->isBusy());
        QCOMPARE(texts(), (QStringList{"dritte", "erste"}));

        // Switched off while the read was out: not recorded.
        clipboard->copyText(QStringLiteral("zu spät"));
        monitor->poll();
        set([](AppSettings& s) { s.clipboardHistoryEnabled = false; });
        clipboard->finishHeldRead();
        // Nor after the monitor was stopped (the app quits or uninstalls).
        set([](AppSettings& s) { s.clipboardHistoryEnabled = true; });
        clipboard->copyText(QStringLiteral("nach dem Stopp"));
        monitor->poll();
        monitor->stop();
        clipboard->finishHeldRead();
        QCOMPARE(texts(), (QStringList{"dritte", "erste"}));
    }

    // Announced changes are seen without a poll; without announcements a
    // timer polls. Either way until stopped.
    void watchesUntilStopped_data()
    {
        QTest::addColumn<bool>("announcing");
        QTest::newRow("announced") << true;
        QTest::newRow("polled") << false;
    }
    void watchesUntilStopped()
    {
        QFETCH(bool, announcing);
        clipboard->announcing = announcing;
        monitor->start();
        monitor->start();
        QCOMPARE(monitor->isEventDriven(), announcing);
        clipboard->copyText(QStringLiteral("eins"));
        QTRY_COMPARE_WITH_TIMEOUT(texts(), QStringList{"eins"}, 3000);
        if (announcing) {
            // Copies within 0.4 s are one change, as with the poll, the last
            // one recorded: right after a look, and after a quiet spell.
            clipboard->copyText(QStringLiteral("zwei"));
            QTest::qWait(20);
            clipboard->copyText(QStringLiteral("drei"));
            QTRY_COMPARE_WITH_TIMEOUT(texts(), (QStringList{"drei", "eins"}), 3000);
            QTest::qWait(ClipboardMonitor::pollIntervalMs * 3);
            clipboard->copyText(QStringLiteral("vier"));
            QTest::qWait(8);
            clipboard->copyText(QStringLiteral("fünf"));
            QTRY_COMPARE_WITH_TIMEOUT(texts(), (QStringList{"fünf", "drei", "eins"}), 3000);
            QTest::qWait(ClipboardMonitor::pollIntervalMs);
            QCOMPARE(texts(), (QStringList{"fünf", "drei", "eins"}));
        }
        monitor->stop();
        QVERIFY(!monitor->isRunning());
    }

    // How a process is named as a source application: desktop files, GTK
    // application ids, WM_CLASS and the executable, in that order of trust.
    void sourceApplicationsAreNamedFromDesktopEntries()
    {
        QTemporaryDir dir;
        QVERIFY(plantFile(dir.filePath("org.keepassxc.KeePassXC.desktop"),
                          "[Desktop Entry]\nName=KeePassXC\nExec=keepassxc %f\nStartupWMClass=keepassxc\n"
                          "[Desktop Action New]\nName=Neu\nExec=other\n"));
        QVERIFY(plantFile(dir.filePath("kde/kate.desktop"), "[Desktop Entry]\nName=Kate\nExec=env QT_X=1 /usr/bin/kate -b %U\n"));
        QVERIFY(plantFile(dir.filePath("gone.desktop"), "[Desktop Entry]\nName=Weg\nExec=gone\nHidden=true\n"));
        const auto entries = DesktopEntryIndex::read({dir.path()});
        QCOMPARE(entries.size(), 3); // the hidden one too, which nothing is identified as

        using App = ApplicationIdentity::App;
        // A GTK application id is the desktop-file id itself.
        QCOMPARE(X11ApplicationIdentity::identify(7, "org.gnome.TextEditor", "gnome-text-editor", "x", entries),
                 (App{"org.gnome.TextEditor", "org.gnome.TextEditor", 7}));
        QCOMPARE(X11ApplicationIdentity::identify(7, "org.keepassxc.KeePassXC", "", "", entries)->name,
                 QStringLiteral("KeePassXC"));
        // WM_CLASS matched through StartupWMClass, then the executable through Exec.
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "KeePassXC", "", entries),
                 (App{"org.keepassxc.KeePassXC", "KeePassXC", 7}));
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "", "kate", entries), (App{"kde-kate", "Kate", 7}));
        // Nothing known: the class, else the executable, else nothing.
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "Xterm", "xterm", entries)->id, QStringLiteral("Xterm"));
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "", "gone", entries)->id, QStringLiteral("gone"));
        QVERIFY(!X11ApplicationIdentity::identify(7, "", "", "", entries));
    }
};

ZENTU_TEST_MAIN(tst_ClipboardMonitor)
#include "tst_ClipboardMonitor.moc"
