// The hotkey recorder's states and the Hotkeys tab around it: what is stored,
// what is registered again, and what is turned down.
#include "SettingsFixture.h"
#include "Settings/HotkeyRecorderView.h"
#include "Settings/HotkeysSettingsTab.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr uint32_t superShift = HotkeyCombo::command | HotkeyCombo::shift;

// A window around the widget, active, so focus moves as it does for the user.
struct Host {
    QWidget window;
    QLineEdit other;
    explicit Host(QWidget* content)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(content);
        layout->addWidget(&other);
        window.show();
        window.activateWindow();
    }
};
} // namespace

class TestHotkeyRecorder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recorderStateTable()
    {
        SettingsFixture f;
        const HotkeyCombo start{22, superShift};
        auto* recorder = new HotkeyRecorderView(start, f.beeper);
        QList<HotkeyCombo> reported;
        recorder->onChange = [&](const HotkeyCombo& c) { reported << c; };
        Host host(recorder);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QCOMPARE(recorder->text(), start.displayString());

        // Click starts, a second click stops; Escape alone cancels without a report.
        recorder->click();
        QCOMPARE(recorder->accessibleName(), QStringLiteral("Taste drücken …"));
        QTRY_VERIFY(recorder->hasFocus());
        recorder->click();
        QVERIFY(!recorder->isRecording());
        recorder->click();
        pressKey(recorder, Qt::Key_Escape, XKey::escape);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(recorder->text(), start.displayString());

        // Modifier keys on their own wait for the key; a bare key, Tab, and
        // Escape with Caps Lock on beep and keep asking (and keep the focus).
        recorder->click();
        pressKey(recorder, Qt::Key_Shift, XKey::shiftL, Qt::ShiftModifier, 0x1);
        QCOMPARE(f.beeper.beeps, 0);
        pressKey(recorder, Qt::Key_A, XKey::a);
        pressKey(recorder, Qt::Key_Tab, XKey::tab);
        pressKey(recorder, Qt::Key_Escape, XKey::escape, {}, 0x2);
        QCOMPARE(f.beeper.beeps, 3);
        QVERIFY(recorder->isRecording() && recorder->hasFocus());

        // The owner's new combination waits while recording.
        recorder->setCombo({9, superShift});
        QCOMPARE(recorder->text(), QStringLiteral("Taste drücken …"));

        // Super+Escape is a combination, not a cancel; it is shown at once.
        pressKey(recorder, Qt::Key_Escape, XKey::escape, Qt::MetaModifier, 0x40);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(reported, (QList<HotkeyCombo>{HotkeyCombo{53, HotkeyCombo::command}}));
        QVERIFY(!recorder->hasFocus());
        recorder->setCombo({9, superShift});
        QCOMPARE(recorder->text(), (HotkeyCombo{9, superShift}.displayString()));

        // Losing the focus ends recording without a report.
        recorder->click();
        host.other.setFocus();
        QTRY_VERIFY(!recorder->isRecording());
        QCOMPARE(recorder->text(), (HotkeyCombo{9, superShift}.displayString()));

        // The recorder itself takes Shift+letter; a refusal from its owner
        // beeps, is handed back, and recording goes on.
        QStringList refusals;
        recorder->refusalReason = [](const HotkeyCombo& c) { return c.keyCode == 0 ? QStringLiteral("nein") : QString(); };
        recorder->onRefused = [&](const QString& why) { refusals << why; };
        recorder->click();
        pressKey(recorder, Qt::Key_A, XKey::a, Qt::ShiftModifier, 0x1);
        QCOMPARE(refusals, QStringList{QStringLiteral("nein")});
        QVERIFY(f.beeper.beeps == 4 && recorder->isRecording());
        pressKey(recorder, Qt::Key_ParenLeft, XKey::nine, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        QCOMPARE(reported.last(), (HotkeyCombo{25, superShift}));
        QCOMPARE(reported.size(), 2);
    }

    void tabKeepsEscapeOutAndResetsToTheDefault()
    {
        SettingsFixture f;
        auto* tab = new HotkeysSettingsTab(*f.settings, *f.hotkeys, f.beeper);
        Host host(tab);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        HotkeyRecorderView* recorder = tab->recorder(HotkeyAction::captureFullScreen);
        QCOMPARE(QAccessible::queryAccessibleInterface(recorder)->text(QAccessible::Name), recorder->text());

        // Escape calls neither the store nor the registration.
        const int writes = f.defaults.writes;
        const int attempts = int(f.backend.attempts.size());
        recorder->click();
        pressKey(recorder, Qt::Key_Escape, XKey::escape);
        QCOMPARE(f.defaults.writes, writes);
        QCOMPARE(f.backend.attempts.size(), attempts);

        // Reset after a recorded combination: the entry goes, the default is live again.
        const HotkeyCombo nine{25, superShift};
        recorder->click();
        pressKey(recorder, Qt::Key_ParenLeft, XKey::nine, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, nine));
        tab->resetButton(HotkeyAction::captureFullScreen)->click();
        QVERIFY(!f.stored().hotkeys.contains(QStringLiteral("captureFullScreen")));
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, {22, superShift}));
        QVERIFY(!f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, nine));
        QCOMPARE(recorder->text(), (HotkeyCombo{22, superShift}.displayString()));
    }

    void tabRefusesCombinationsThatCannotWork()
    {
        SettingsFixture f;
        auto* tab = new HotkeysSettingsTab(*f.settings, *f.hotkeys, f.beeper);
        Host host(tab);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        HotkeyRecorderView* recorder = tab->recorder(HotkeyAction::captureFullScreen);
        const HotkeyCombo before = f.settings->hotkey(HotkeyAction::captureFullScreen);
        const int attempts = int(f.backend.attempts.size());

        // Shift alone on a typing key would be grabbed from every application.
        recorder->click();
        pressKey(recorder, Qt::Key_A, XKey::a, Qt::ShiftModifier, 0x1);
        QCOMPARE(f.beeper.beeps, 1);
        QVERIFY(recorder->isRecording());
        QVERIFY(!tab->hint().isEmpty());
        // Another action's combination (the scrolling capture's Super+Shift+7).
        pressKey(recorder, Qt::Key_Ampersand, XKey::seven, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        QCOMPARE(f.beeper.beeps, 2);
        QVERIFY(tab->hint().contains(label(HotkeyAction::captureWindow)));
        pressKey(recorder, Qt::Key_Escape, XKey::escape);
        QCOMPARE(f.settings->hotkey(HotkeyAction::captureFullScreen), before);
        QCOMPARE(f.backend.attempts.size(), attempts);

        // A combination the desktop will not hand over: the working one stays.
        f.backend.refuse.insert(qMakePair(25u, superShift), 10);
        recorder->click();
        pressKey(recorder, Qt::Key_ParenLeft, XKey::nine, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        QCOMPARE(f.beeper.beeps, 3);
        QCOMPARE(f.settings->hotkey(HotkeyAction::captureFullScreen), before);
        QVERIFY(!f.stored().hotkeys.contains(QStringLiteral("captureFullScreen")));
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, before));
        QCOMPARE(recorder->text(), before.displayString());
        QVERIFY(tab->hint().contains(HotkeyCombo{25, superShift}.displayString()));

        // A reset onto a combination another action took meanwhile is refused.
        f.settings->setHotkey({1, superShift}, HotkeyAction::captureArea);
        f.settings->setHotkey({19, superShift}, HotkeyAction::openClipboard);
        tab->resetButton(HotkeyAction::captureArea)->click();
        QCOMPARE(f.beeper.beeps, 4);
        QCOMPARE(f.settings->hotkey(HotkeyAction::captureArea), (HotkeyCombo{1, superShift}));
    }
};

ZENTU_TEST_MAIN(TestHotkeyRecorder)
#include "tst_hotkeyrecorder.moc"
