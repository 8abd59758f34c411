// The global hotkeys against a recording backend: what is registered and
// replaced, what is refused or skipped (and logged), how a press reaches its
// action; and the combinations themselves: their Linux names, the key table
// and a key press read as a combination.
#include "Hotkeys/HotkeyManager.h"
#include "Localization/Localizer.h"
#include "Platform/CarbonKeyCodes.h"
#include "Storage/SettingsManager.h"
#include "Debug/DebugLog.h"
#include "fakes/FakeGlobalHotkeys.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QKeyEvent>

namespace {
using Grabs = QList<QPair<uint32_t, uint32_t>>;

struct Rig {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    FakeGlobalHotkeys backend;
    SettingsManager settings{defaults, login, keyboard};
    HotkeyManager manager{backend, keyboard};
    QList<HotkeyAction> actions;
    explicit Rig(bool iso = false)
    {
        keyboard.iso = iso;
        manager.onAction = [this](HotkeyAction a) { actions << a; };
        DebugLog::restart();
    }
    Grabs active() const
    {
        Grabs out;
        for (const auto& r : backend.active)
            out << qMakePair(r.keyCode, r.modifiers);
        return out;
    }
};
} // namespace

class TestHotkeyManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void registersEveryActionAndReplacesItsGrabs_data()
    {
        QTest::addColumn<bool>("iso");
        QTest::addColumn<uint>("areaKey");
        QTest::newRow("iso") << true << 10u;
        QTest::newRow("ansi") << false << 19u;
    }
    void registersEveryActionAndReplacesItsGrabs()
    {
        QFETCH(bool, iso);
        QFETCH(uint, areaKey);
        Rig rig(iso);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.active(), (Grabs{{areaKey, 768}, {50, 768}, {50, 256}, {43, 768}, {47, 768}, {22, 768}, {26, 768}, {9, 768}}));
        QCOMPARE(rig.backend.active.last().id, 8u);
        QCOMPARE(debugLogMessages().value(5),
                 QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=22 mods=768 id=6"));

        // A changed area combination registers alone, under new identifiers.
        rig.settings.setHotkey({0, HotkeyCombo::command | HotkeyCombo::option}, HotkeyAction::captureArea);
        rig.manager.registerAll(rig.settings);
        QCOMPARE(rig.backend.unregistered, (QList<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(rig.active(), (Grabs{{0, 0x900}, {22, 768}, {26, 768}, {9, 768}}));
        QCOMPARE(rig.backend.active.first().id, 9u);
        QCOMPARE(rig.backend.handlerInstalls, 1);

        // A press of a replaced identifier is logged and dropped.
        rig.backend.press(3);
        QTRY_VERIFY(debugLogMessages().contains(QStringLiteral("Hotkey-Event empfangen id=3 -> UNBEKANNT")));
        rig.manager.unregisterAll();
        QVERIFY(rig.backend.active.isEmpty() && rig.manager.idToAction().isEmpty());
        QCOMPARE(rig.manager.nextID(), 13u);
        QVERIFY(rig.actions.isEmpty());
    }

    void combinationsThatCannotBeGrabbedLeaveTheOthersWorking()
    {
        Rig rig;
        // Refused by the desktop: logged, its identifier used up.
        rig.backend.refuse.insert(qMakePair(26u, 768u), 10);
        // Without Super, Alt or Ctrl on a typing key: never grabbed globally.
        rig.settings.setHotkey({0, HotkeyCombo::shift}, HotkeyAction::captureFullScreen);
        // Already the area action's: skipped without a word.
        rig.settings.setHotkey({43, 768}, HotkeyAction::openClipboard);
        rig.manager.registerAll(rig.settings);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("Hotkey FEHLER action=captureWindow keyCode=26 mods=768 status=10")));
        QVERIFY(log.contains(QStringLiteral("Hotkey FEHLER action=captureFullScreen keyCode=0 mods=512 status=2")));
        QVERIFY(!log.join('\n').contains(QLatin1String("openClipboard")));
        QCOMPARE(rig.manager.idToAction().size(), 5);
        QCOMPARE(rig.manager.nextID(), 8u);
        for (const auto& r : rig.backend.attempts)
            QVERIFY(r.keyCode != 0);
        rig.backend.press(4);
        QTRY_COMPARE(rig.actions, QList<HotkeyAction>{HotkeyAction::captureArea});

        // Function keys type nothing: Shift alone is enough there.
        rig.settings.setHotkey({96, HotkeyCombo::shift}, HotkeyAction::captureFullScreen);
        rig.manager.registerAll(rig.settings);
        QVERIFY(rig.manager.isRegistered(HotkeyAction::captureFullScreen, {96, HotkeyCombo::shift}));
    }

    void pressesReachTheirActionAfterTheHandlerReturns()
    {
        Rig rig;
        rig.manager.registerAll(rig.settings);
        rig.backend.press(6);
        QVERIFY(rig.actions.isEmpty());
        QTRY_COMPARE(rig.actions, (QList<HotkeyAction>{HotkeyAction::captureFullScreen}));
        rig.backend.press(2); // an extra combination of the area action
        QTRY_COMPARE(rig.actions.size(), 2);
        QCOMPARE(rig.actions[1], HotkeyAction::captureArea);
        QVERIFY(debugLogMessages().contains(QStringLiteral("Hotkey-Event empfangen id=6 -> captureFullScreen")));

        // Inside the app: X keycode 11 is the "2" key (Carbon 19), 49 the grave key (Carbon 50).
        auto press = [](quint32 scanCode, Qt::KeyboardModifiers mods) {
            return QKeyEvent(QEvent::KeyPress, Qt::Key_2, mods, scanCode, 0, 0);
        };
        const auto superShift = Qt::MetaModifier | Qt::ShiftModifier;
        QVERIFY(rig.manager.matches(HotkeyAction::captureArea, press(11, superShift)));
        QVERIFY(rig.manager.matches(HotkeyAction::captureArea, press(49, Qt::MetaModifier)));
        QVERIFY(!rig.manager.matches(HotkeyAction::captureArea, press(11, Qt::ShiftModifier)));
        QVERIFY(!rig.manager.matches(HotkeyAction::captureFullScreen, press(11, superShift)));
        rig.manager.unregisterAll();
        QVERIFY(!rig.manager.matches(HotkeyAction::captureArea, press(11, superShift)));
    }

    void combinationsReadWithLinuxKeyNames()
    {
        QCOMPARE((HotkeyCombo{0, 0x1000 | 0x800 | 0x200 | 0x100}).displayString(), QStringLiteral("Super+Ctrl+Alt+Shift+A"));
        QCOMPARE((HotkeyCombo{10, 0x300}).displayString(), QStringLiteral("Super+Shift+<"));
        QCOMPARE((HotkeyCombo{53, 0x800}).displayString(), QStringLiteral("Alt+Esc"));
        QCOMPARE(HotkeyCombo::keyName(50), QStringLiteral("Taste 50"));
        // Words follow the interface language; key caps do not.
        const auto localizer = std::make_shared<Localizer>([] { return QStringList{QStringLiteral("de")}; });
        const Localizer::Scope installed(localizer);
        localizer->setLanguage(QStringLiteral("en"));
        QCOMPARE((HotkeyCombo{49, 0x1000}).displayString(), QStringLiteral("Ctrl+Space"));
        localizer->setLanguage(QStringLiteral("de"));
        QCOMPARE((HotkeyCombo{49, 0}).displayString(), QStringLiteral("Leertaste"));

        // Every named key maps to one X key of its own and back.
        QSet<uint32_t> x11Codes;
        for (uint32_t carbon : CarbonKeyCodes::knownCarbonCodes()) {
            const auto x11 = CarbonKeyCodes::toX11Keycode(carbon);
            QVERIFY2(x11 && !x11Codes.contains(*x11), qPrintable(QString::number(carbon)));
            x11Codes.insert(*x11);
            QCOMPARE(CarbonKeyCodes::fromX11Keycode(*x11), std::optional<uint32_t>(carbon));
        }
        for (uint32_t code = 0; code < 128; ++code)
            if (!HotkeyCombo::keyName(code).startsWith("Taste "))
                QVERIFY2(CarbonKeyCodes::toX11Keycode(code), qPrintable(QString::number(code)));
        QCOMPARE(CarbonKeyCodes::toX11Keycode(10), std::optional<uint32_t>(94)); // the ISO key, <LSGT>

        // A key press is a combination only with a modifier, and only on a key with a code.
        QCOMPARE(HotkeyCombo::from(38, Qt::NoModifier), std::nullopt);
        QCOMPARE(HotkeyCombo::from(38, Qt::KeypadModifier), std::nullopt);
        QCOMPARE(HotkeyCombo::from(13, Qt::MetaModifier | Qt::ShiftModifier), std::optional(HotkeyCombo{21, 0x300}));
        QCOMPARE(HotkeyCombo::from(64, Qt::AltModifier), std::nullopt); // the Alt key itself
    }
};

ZENTU_TEST_MAIN(TestHotkeyManager)
#include "tst_hotkeymanager.moc"
