// Registration order, de-duplication, identifiers and dispatch of the global
// hotkeys, against a recording backend.
#include "Storage/DebugLog.h"
#include "Hotkeys/HotkeyManager.h"
#include "Settings/SettingsManager.h"
#include "fakes/FakeGlobalHotkeys.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>
#include <QKeyEvent>

namespace {
struct Rig {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    FakeGlobalHotkeys backend;
    SettingsManager settings{defaults, login, keyboard};
    HotkeyManager manager{backend, keyboard};
    QList<HotkeyAction> actions;
    Rig(bool iso)
    {
        keyboard.iso = iso;
        manager.onAction = [this](HotkeyAction a) { actions << a; };
        DebugLog::restart();
    }
};
}

class TestHotkeyManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsRegisterEightInOrder_data()
    {
        QTest::addColumn<bool>("iso");
        QTest::addColumn<uint>("areaKey");
        QTest::newRow("iso") << true << 10u;
        QTest::newRow("ansi") << false << 19u;
    }
    void defaultsRegisterEightInOrder()
    {
        QFETCH(bool, iso);
        QFETCH(uint, areaKey);
        Rig rig(iso);
        rig.manager.registerAll(rig.settings);
        const QList<QPair<uint, uint>> expected{{areaKey, 768}, {50, 768}, {50, 256}, {43, 768},
                                                {47, 768}, {22, 768}, {26, 768}, {9, 768}};
        QCOMPARE(rig.backend.active.size(), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(rig.backend.active[i].id, uint32_t(i + 1));
            const QPair<uint, uint> got(rig.backend.active[i].keyCode, rig.backend.active[i].modifiers);
            QCOMPARE(got, expected[i]);
        }
        const QStringList log = debugLogMessages();
        QCOMPARE(log.value(0), QStringLiteral("Hotkey registriert action=captureArea keyCode=%1 mods=768 id=1").arg(areaKey));
        QCOMPARE(log.value(2), QStringLiteral("Hotkey registriert action=captureArea keyCode=50 mods=256 id=3"));
        QCOMPARE(log.value(5), QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=22 mods=768 id=6"));
        QCOMPARE(log.value(7), QStringLiteral("Hotkey registriert action=openClipboard keyCode=9 mods=768 id=8"));
        QCOMPARE(rig.manager.nextID(), 9u);
        QCOMPARE(rig.backend.handlerInstalls, 1);
    }

    void reRegistrationReplacesAndKeepsCountingIds()
    {
        Rig rig(true);
        rig.manager.registerAll(rig.settings);
        // A changed area combination registers alone; a stored copy of the
        // default would still bring the extras.
        rig.settings.setHotkey({0, HotkeyCombo::command | HotkeyCombo::option}, HotkeyAction::captureArea);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.backend.unregistered, (QList<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(rig.backend.active.size(), 4);
        QCOMPARE(rig.backend.active[0].id, 9u);
        QCOMPARE(rig.backend.active[0].keyCode, 0u);
        QCOMPARE(rig.backend.active[3].id, 12u);
        QCOMPARE(rig.backend.handlerInstalls, 1);

        rig.settings.setHotkey({10, 768}, HotkeyAction::captureArea);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.backend.active.size(), 8);
        QCOMPARE(rig.backend.active[0].id, 13u);

        rig.manager.unregisterAll();
        QVERIFY(rig.backend.active.isEmpty());
        QVERIFY(rig.manager.idToAction().isEmpty());
        QCOMPARE(rig.manager.nextID(), 21u);
    }

    void sharedComboGoesToTheEarlierActionSilently()
    {
        Rig rig(false);
        rig.settings.setHotkey({22, 768}, HotkeyAction::captureWindow);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.backend.active.size(), 7);
        QCOMPARE(rig.manager.idToAction().value(6), HotkeyAction::captureFullScreen);
        // The skipped one takes no identifier and writes no line.
        QCOMPARE(rig.manager.idToAction().value(7), HotkeyAction::openClipboard);
        for (const QString& line : debugLogMessages())
            QVERIFY(!line.contains(QLatin1String("captureWindow")));
    }

    void refusedGrabIsLoggedAndOthersStillWork()
    {
        Rig rig(false);
        rig.backend.refuse.insert(qMakePair(26u, 768u), 10);
        rig.manager.registerAll(rig.settings);
        QVERIFY(debugLogMessages().contains(QStringLiteral("Hotkey FEHLER action=captureWindow keyCode=26 mods=768 status=10")));
        QCOMPARE(rig.backend.active.size(), 7);
        // The failed attempt used up its identifier.
        QCOMPARE(rig.manager.idToAction().value(8), HotkeyAction::openClipboard);
        QVERIFY(!rig.manager.idToAction().contains(7));
    }

    void plainKeysAreNeverGrabbedGlobally()
    {
        Rig rig(false);
        rig.settings.setHotkey({0, HotkeyCombo::shift}, HotkeyAction::captureFullScreen);      // Shift+A
        rig.settings.setHotkey({96, HotkeyCombo::shift}, HotkeyAction::captureWindow);        // Shift+F5
        rig.settings.setHotkey({9, 0}, HotkeyAction::openClipboard);                          // V
        rig.manager.registerAll(rig.settings);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("Hotkey FEHLER action=captureFullScreen keyCode=0 mods=512 status=2")));
        QVERIFY(log.contains(QStringLiteral("Hotkey FEHLER action=openClipboard keyCode=9 mods=0 status=2")));
        QVERIFY(log.contains(QStringLiteral("Hotkey registriert action=captureWindow keyCode=96 mods=512 id=7")));
        for (const auto& r : rig.backend.attempts)
            QVERIFY(r.keyCode != 0 && r.keyCode != 9);
    }

    void pressIsDispatchedAfterTheHandlerReturns()
    {
        Rig rig(false);
        rig.manager.registerAll(rig.settings);
        rig.backend.press(6);
        QVERIFY(rig.actions.isEmpty());
        QTRY_COMPARE(rig.actions, (QList<HotkeyAction>{HotkeyAction::captureFullScreen}));
        rig.backend.press(2); // an extra combination of the area action
        QTRY_COMPARE(rig.actions.size(), 2);
        QCOMPARE(rig.actions[1], HotkeyAction::captureArea);
        QVERIFY(debugLogMessages().contains(QStringLiteral("Hotkey-Event empfangen id=6 -> captureFullScreen")));
    }

    void keyPressesInsideTheAppMatchRegisteredCombos()
    {
        Rig rig(false);
        rig.manager.registerAll(rig.settings);
        // X keycode 11 is the "2" key (Carbon 19), 49 the grave key (Carbon 50).
        auto press = [](quint32 scanCode, Qt::KeyboardModifiers mods) {
            return QKeyEvent(QEvent::KeyPress, Qt::Key_2, mods, scanCode, 0, 0);
        };
        const auto superShift = Qt::MetaModifier | Qt::ShiftModifier;
        QVERIFY(rig.manager.matches(HotkeyAction::captureArea, press(11, superShift)));
        QVERIFY(rig.manager.matches(HotkeyAction::captureArea, press(49, Qt::MetaModifier)));
        QVERIFY(!rig.manager.matches(HotkeyAction::captureArea, press(11, Qt::ShiftModifier)));
        QVERIFY(!rig.manager.matches(HotkeyAction::captureFullScreen, press(11, superShift)));
        QVERIFY(rig.manager.matches(HotkeyAction::captureFullScreen, press(15, superShift)));
        rig.manager.unregisterAll();
        QVERIFY(!rig.manager.matches(HotkeyAction::captureArea, press(11, superShift)));
    }

    void staleIdIsLoggedAndDropped()
    {
        Rig rig(false);
        rig.manager.registerAll(rig.settings);
        rig.manager.registerAll(rig.settings);
        rig.backend.press(3);
        QTRY_VERIFY(debugLogMessages().contains(QStringLiteral("Hotkey-Event empfangen id=3 -> UNBEKANNT")));
        QTest::qWait(20);
        QVERIFY(rig.actions.isEmpty());
    }
};

ZENTU_TEST_MAIN(TestHotkeyManager)
#include "tst_hotkeymanager.moc"
