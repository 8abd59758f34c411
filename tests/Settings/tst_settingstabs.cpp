// The settings window's tabs with fakes around them. General: every control
// writes at once and follows changes made elsewhere, the delay keeps to its
// range without rewriting a stored value, the language switches only on a
// change, an unwritable folder and a refused login item are turned down with
// a note. Hotkeys: the recorder's states, Escape and reset, and combinations
// that cannot work turned down with a reason every time (to screen readers
// too), the note gone when its recording ends. History: preset and custom limits, a typed
// limit that counts only when editing finishes (never a trim on the way),
// confirmations before clearing. Privacy: the sensitive-content filter goes
// off only with the owner's password (also when the tab was rebuilt
// meanwhile), permission rows say what refuses and offer no button that
// cannot work, the notes name the account and the data folder, deleting
// everything asks first. About: version fallbacks, links, the hand-over to the update
// check and the uninstaller. And the settings record at start-up: the login
// item, a record kept aside.
#include "SettingsFixture.h"
#include "Platform/SettingsKeys.h"
#include "Settings/AboutSettingsTab.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/HistoryLimitRow.h"
#include "Settings/HistorySettingsTab.h"
#include "Settings/HotkeyRecorderView.h"
#include "Settings/HotkeysSettingsTab.h"
#include "Settings/LanguagePicker.h"
#include "Settings/PermissionRow.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/SettingsView.h"
#include "Ui/HoverRowButton.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Stepper.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"
#include "Ui/ToggleSwitch.h"
#include "support/ChildNamed.h"
#include "support/DarkPalette.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
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

struct HistoryTab {
    SettingsFixture f;
    HistorySettingsTab tab{*f.settings, *f.clipboardStore, *f.screenshotStore, f.alerts};
    HistoryTab()
    {
        tab.show();
        tab.activateWindow();
    }
};

void choose(HistoryLimitRow* row, const QString& entry)
{
    const int index = childNamed<QComboBox>(*row, "picker")->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    childNamed<QComboBox>(*row, "picker")->setCurrentIndex(index);
    Q_EMIT childNamed<QComboBox>(*row, "picker")->activated(index);
}

// Replaces the field's text key by key, as typed.
void typeInto(QLineEdit* field, const QString& text, const std::function<void()>& afterEachKey = {})
{
    field->setFocus();
    field->selectAll();
    for (const QChar c : text) {
        QTest::keyClick(field, c.toLatin1());
        if (afterEachKey)
            afterEachKey();
    }
}

QImage picture(QColor colour)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

PrivacySettingsTab* privacyTab(SettingsFixture& f)
{
    return new PrivacySettingsTab({*f.settings, *f.permissions, *f.clipboardStore, *f.screenshotStore, f.alerts,
                                   f.authenticator, f.beeper, f.appFolders});
}

// The controls a user can reach with Tab that tell screen readers no name.
QStringList unnamedControls(QWidget* root)
{
    QStringList out;
    for (QWidget* w : root->findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) && QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty())
            out << QString::fromLatin1(w->metaObject()->className());
    return out;
}

// The settings record as last written to these defaults.
std::optional<AppSettings> storedIn(FakeUserDefaults& d)
{
    return AppSettings::decode(d.value(SettingsKeys::settings).toByteArray());
}

} // namespace

class TestSettingsTabs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void delayStepperKeepsToItsRange()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        tab.show();
        Stepper* stepper = childNamed<Stepper>(tab, "delayStepper");
        stepper->stepDown();
        QCOMPARE(f.stored().captureDelaySeconds, 0);
        QCOMPARE(childNamed<QLabel>(tab, "delayValue")->text(), QStringLiteral("Sofort"));
        // A click on the upper half adds a second, written at once.
        QTest::mouseClick(stepper, Qt::LeftButton, {}, stepper->upperHalf().center().toPoint());
        QCOMPARE(f.stored().captureDelaySeconds, 1);
        for (int i = 0; i < 40; ++i)
            stepper->stepUp();
        QCOMPARE(f.stored().captureDelaySeconds, 30);

        // Screen readers: a spin box named by its label, reading the value text.
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(stepper);
        QCOMPARE(acc->role(), QAccessible::SpinBox);
        QCOMPARE(acc->text(QAccessible::Name), QStringLiteral("Verzögerung (Timer)"));
        QCOMPARE(acc->text(QAccessible::Value), QStringLiteral("30 s"));
        acc->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        QCOMPARE(f.stored().captureDelaySeconds, 29);

        // A stored value out of range shows the nearest end and is not written back.
        f.settings->update([](AppSettings& s) { s.captureDelaySeconds = 45; });
        QCOMPARE(stepper->value(), 30);
        QCOMPARE(f.stored().captureDelaySeconds, 45);
    }

    void controlsWriteAtOnceAndFollowChangesElsewhere()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        tab.show();
        const AppSettings before = f.stored();
        for (ToggleSwitch* t : {childNamed<ToggleSwitch>(tab, "cursorToggle"), childNamed<ToggleSwitch>(tab, "stampToggle"), childNamed<ToggleSwitch>(tab, "copyToggle"), childNamed<ToggleSwitch>(tab, "editorToggle")})
            QTest::mouseClick(t, Qt::LeftButton);
        // The format through its segment's own accessible entry.
        QAccessibleInterface* jpeg = QAccessible::queryAccessibleInterface(childNamed<SegmentedControl>(tab, "formatPicker"))->child(1);
        QCOMPARE(jpeg->text(QAccessible::Name), QStringLiteral("JPEG"));
        jpeg->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        const AppSettings after = f.stored();
        QCOMPARE(after.showCursorInScreenshot, !before.showCursorInScreenshot);
        QCOMPARE(after.stampTimestamp, !before.stampTimestamp);
        QCOMPARE(after.autoCopyToPasteboard, !before.autoCopyToPasteboard);
        QCOMPARE(after.openEditorAfterCapture, !before.openEditorAfterCapture);
        QCOMPARE(after.imageFormat, ImageFileFormat::jpeg);

        f.settings->update([](AppSettings& s) {
            s.stampTimestamp = false;
            s.imageFormat = ImageFileFormat::png;
        });
        QVERIFY(!childNamed<ToggleSwitch>(tab, "stampToggle")->isChecked());
        QCOMPARE(childNamed<SegmentedControl>(tab, "formatPicker")->currentIndex(), 0);
        QCOMPARE(unnamedControls(&tab), QStringList());
    }

    void languagePickerSwitchesOnlyOnAChange()
    {
        SettingsFixture f;
        auto tab = std::make_unique<GeneralSettingsTab>(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        LanguagePicker* picker = childNamed<LanguagePicker>(*tab, "languagePicker");
        QCOMPARE(picker->selection(), QStringLiteral("auto"));
        QSignalSpy changed(f.localizer.get(), &Localizer::langChanged);
        picker->choose(QStringLiteral("auto"));
        QCOMPARE(changed.count(), 0);
        QVERIFY(!f.defaults.values.contains(SettingsKeys::language));
        picker->choose(QStringLiteral("fr"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.localizer->lang(), QStringLiteral("fr"));

        // A picker made afterwards starts from the stored choice.
        tab = std::make_unique<GeneralSettingsTab>(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        QCOMPARE(childNamed<LanguagePicker>(*tab, "languagePicker")->currentText(), QStringLiteral("Français"));
        childNamed<LanguagePicker>(*tab, "languagePicker")->choose(QStringLiteral("auto"));
        QCOMPARE(f.defaults.value(SettingsKeys::language).toString(), QStringLiteral("auto"));
        QCOMPARE(f.localizer->lang(), QStringLiteral("de")); // the system's language again
    }

    void folderChooserRefusesWhatCannotBeWritten()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        tab.resize(640, 700);
        tab.show();
        const QString fallback = testFolders().exportDirectory(AppSettings{});
        // Cancel: nothing changes.
        childNamed<QPushButton>(tab, "changeFolderButton")->click();
        QCOMPARE(f.folders.startFolders, QStringList{fallback});
        QVERIFY(!f.stored().saveDirectoryPath);

        f.folders.answer = QStringLiteral("/nonexistent/zentu");
        childNamed<QPushButton>(tab, "changeFolderButton")->click();
        QVERIFY(!f.stored().saveDirectoryPath);
        QVERIFY(childNamed<QLabel>(tab, "folderError")->isVisible());
        QVERIFY(childNamed<QLabel>(tab, "folderError")->text().contains(QStringLiteral("/nonexistent/zentu")));

        QTemporaryDir chosen;
        f.folders.answer = chosen.path();
        childNamed<QPushButton>(tab, "changeFolderButton")->click();
        QCOMPARE(f.stored().saveDirectoryPath, std::optional<QString>(chosen.path()));
        QCOMPARE(childNamed<QLabel>(tab, "pathLabel")->toolTip(), chosen.path());
        QVERIFY(!childNamed<QLabel>(tab, "folderError")->isVisible());
        childNamed<QPushButton>(tab, "changeFolderButton")->click();
        QCOMPARE(f.folders.startFolders.last(), chosen.path());
    }

    void refusedLoginItemShowsTheRealStateAndSaysSo()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        tab.show();
        QTest::mouseClick(childNamed<ToggleSwitch>(tab, "launchToggle"), Qt::LeftButton);
        QVERIFY(f.login.enabled && f.stored().launchAtLogin);

        f.login.failing = true;
        QTest::mouseClick(childNamed<ToggleSwitch>(tab, "launchToggle"), Qt::LeftButton);
        QVERIFY(childNamed<ToggleSwitch>(tab, "launchToggle")->isChecked() && f.stored().launchAtLogin);
        QVERIFY(childNamed<QLabel>(tab, "launchError")->isVisible());
        QVERIFY(childNamed<QLabel>(tab, "launchError")->text().contains(QStringLiteral("abgelehnt")));

        f.login.failing = false;
        QTest::mouseClick(childNamed<ToggleSwitch>(tab, "launchToggle"), Qt::LeftButton);
        QVERIFY(!childNamed<ToggleSwitch>(tab, "launchToggle")->isChecked() && !f.login.enabled);
        QVERIFY(!childNamed<QLabel>(tab, "launchError")->isVisible());
    }

    void aBuildOfTheProgramNeverStartsAtLogin()
    {
        // A development build, where the installed copy's entry exists.
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        login.registrable = false;
        login.enabled = true;
        SettingsManager manager(defaults, login, keyboard);
        QCOMPARE(login.registerCalls, 0);
        QVERIFY(!manager.settings().launchAtLogin && !manager.launchAtLoginAvailable());
        // The first start at login is left to the installed copy.
        QVERIFY(!defaults.boolValue(SettingsKeys::launchAtLoginDefaulted));
        manager.setLaunchAtLogin(true);
        QVERIFY(login.registerCalls == 0 && login.unregisterCalls == 0 && !manager.settings().launchAtLogin);

        // The switch stays off, cannot be turned on, and says why under it.
        SettingsFixture f;
        f.login.registrable = false;
        SettingsManager settings(f.defaults, f.login, f.keyboard);
        GeneralSettingsTab tab(settings, f.defaults, *f.localizer, f.folders, testFolders());
        tab.show();
        QVERIFY(!childNamed<ToggleSwitch>(tab, "launchToggle")->isChecked() && !childNamed<ToggleSwitch>(tab, "launchToggle")->isEnabled());
        QVERIFY(childNamed<QLabel>(tab, "launchUnavailable")->isVisible());
        QVERIFY(childNamed<QLabel>(tab, "launchUnavailable")->text().contains(QStringLiteral("Build-Ordner")));
        QTest::mouseClick(childNamed<ToggleSwitch>(tab, "launchToggle"), Qt::LeftButton);
        QVERIFY(!childNamed<ToggleSwitch>(tab, "launchToggle")->isChecked() && f.login.registerCalls == 0);
        // An installed program has no such line.
        f.login.registrable = true;
        GeneralSettingsTab installed(*f.settings, f.defaults, *f.localizer, f.folders, testFolders());
        QVERIFY(!installed.findChild<QLabel*>(QStringLiteral("launchUnavailable")));
    }

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

    void hotkeysTabStoresResetsAndTurnsDownWhatCannotWork()
    {
        SettingsFixture f;
        auto* tab = new HotkeysSettingsTab(*f.settings, *f.hotkeys, f.beeper);
        Host host(tab);
        QVERIFY(QTest::qWaitForWindowActive(&host.window));
        QCOMPARE(unnamedControls(tab), QStringList());
        HotkeyRecorderView* recorder = tab->recorder(HotkeyAction::captureFullScreen);
        const HotkeyCombo before = f.settings->hotkey(HotkeyAction::captureFullScreen);
        const HotkeyCombo nine{25, superShift};
        auto pressSuperShiftNine = [&] {
            recorder->click();
            pressKey(recorder, Qt::Key_ParenLeft, XKey::nine, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        };

        // Recorded: stored and live; reset: the entry goes, the default is live again.
        pressSuperShiftNine();
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, nine));
        tab->resetButton(HotkeyAction::captureFullScreen)->click();
        QVERIFY(!f.stored().hotkeys.contains(QStringLiteral("captureFullScreen")));
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, before));
        QVERIFY(!f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, nine));
        QCOMPARE(recorder->text(), before.displayString());

        // Shift alone on a typing key would be grabbed from every application;
        // another action's combination (the scrolling capture's Super+Shift+7)
        // is that action's. Escape then stores and registers nothing.
        const int writes = f.defaults.writes;
        const int attempts = int(f.backend.attempts.size());
        recorder->click();
        pressKey(recorder, Qt::Key_A, XKey::a, Qt::ShiftModifier, 0x1);
        QVERIFY(f.beeper.beeps == 1 && recorder->isRecording() && !tab->hint().isEmpty());
        pressKey(recorder, Qt::Key_Ampersand, XKey::seven, Qt::ShiftModifier | Qt::MetaModifier, 0x41);
        QCOMPARE(f.beeper.beeps, 2);
        QVERIFY(tab->hint().contains(label(HotkeyAction::captureWindow)));
        pressKey(recorder, Qt::Key_Escape, XKey::escape);
        QCOMPARE(f.defaults.writes, writes);
        QCOMPARE(f.backend.attempts.size(), attempts);
        // The note went with the recording it answered.
        QVERIFY(tab->hint().isEmpty());

        // Every refusal says why, each time: a bare key, the same again,
        // Shift+Escape (Escape with a modifier is no cancel), a key no hotkey
        // can hold. Recording in another row ends this one and its note.
        recorder->click();
        pressKey(recorder, Qt::Key_A, XKey::a);
        QCOMPARE(tab->hint(), HotkeyRecorderView::needsModifier());
        const QList<QLabel*> labels = tab->findChildren<QLabel*>(); // said to screen readers as well
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
            return !l->isHidden() && QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name) == tab->hint();
        }));
        pressKey(recorder, Qt::Key_A, XKey::a);
        QCOMPARE(tab->hint(), HotkeyRecorderView::needsModifier());
        pressKey(recorder, Qt::Key_Escape, XKey::escape, Qt::ShiftModifier, 0x1);
        QVERIFY(recorder->isRecording());
        QVERIFY2(tab->hint().startsWith(QStringLiteral("Nur mit Shift")), qPrintable(tab->hint()));
        pressKey(recorder, Qt::Key_Pause, 127, Qt::ControlModifier, 0x4);
        QCOMPARE(tab->hint(), HotkeyRecorderView::unusableKey());
        QCOMPARE(f.beeper.beeps, 6);
        HotkeyRecorderView* other = tab->recorder(HotkeyAction::openClipboard);
        other->click();
        QTRY_VERIFY(!recorder->isRecording() && other->isRecording());
        QVERIFY(tab->hint().isEmpty());
        pressKey(other, Qt::Key_Escape, XKey::escape);
        QVERIFY(!other->isRecording());

        // A combination the desktop will not hand over: the working one stays.
        f.backend.refuse.insert(qMakePair(25u, superShift), 10);
        pressSuperShiftNine();
        QCOMPARE(f.beeper.beeps, 7);
        QCOMPARE(f.settings->hotkey(HotkeyAction::captureFullScreen), before);
        QVERIFY(!f.stored().hotkeys.contains(QStringLiteral("captureFullScreen")));
        QVERIFY(f.hotkeys->isRegistered(HotkeyAction::captureFullScreen, before));
        QCOMPARE(recorder->text(), before.displayString());
        QVERIFY(tab->hint().contains(nine.displayString()));

        // A reset onto a combination another action took meanwhile is refused.
        f.settings->setHotkey({1, superShift}, HotkeyAction::captureArea);
        f.settings->setHotkey({19, superShift}, HotkeyAction::openClipboard);
        tab->resetButton(HotkeyAction::captureArea)->click();
        QCOMPARE(f.beeper.beeps, 8);
        QCOMPARE(f.settings->hotkey(HotkeyAction::captureArea), (HotkeyCombo{1, superShift}));
    }

    void limitRowsSwitchBetweenPresetsAndCustom()
    {
        HistoryTab t;
        SettingsFixture& f = t.f;
        f.settings->update([](AppSettings& s) { s.maxClipboardItems = 250; });
        HistoryLimitRow* clip = childNamed<HistoryLimitRow>(t.tab, "clipboardLimit");
        HistoryLimitRow* shots = childNamed<HistoryLimitRow>(t.tab, "screenshotLimit");
        // A limit that is no preset: custom, with the number beside it.
        QVERIFY(clip->isCustomMode() && childNamed<QLineEdit>(*clip, "customField")->isVisible());
        QCOMPARE(childNamed<QLineEdit>(*clip, "customField")->text(), QStringLiteral("250"));
        QCOMPARE(childNamed<QComboBox>(*shots, "picker")->currentText(), QStringLiteral("200"));

        // Custom from a preset proposes 300 at once; again, it changes nothing.
        choose(shots, QStringLiteral("Benutzerdefiniert …"));
        choose(shots, QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(f.stored().maxScreenshotItems, 300);
        QCOMPARE(childNamed<QLineEdit>(*shots, "customField")->text(), QStringLiteral("300"));
        QCOMPARE(f.stored().maxClipboardItems, 250); // the rows are independent
        choose(shots, QStringLiteral("Unbegrenzt"));
        QCOMPARE(f.stored().maxScreenshotItems, 0);
        QVERIFY(!childNamed<QLineEdit>(*shots, "customField")->isVisible());

        // A limit set elsewhere is followed.
        f.settings->update([](AppSettings& s) { s.maxScreenshotItems = 42; });
        QCOMPARE(childNamed<QLineEdit>(*shots, "customField")->text(), QStringLiteral("42"));
        // Screen readers tell the two rows apart by their section.
        QCOMPARE(childNamed<QComboBox>(*clip, "picker")->accessibleDescription(), QStringLiteral("Zwischenablage"));
        QCOMPARE(childNamed<QLineEdit>(*shots, "customField")->accessibleDescription(), QStringLiteral("Screenshots"));
    }

    void typedLimitCountsOnlyWhenEditingFinishes()
    {
        HistoryTab t;
        SettingsFixture& f = t.f;
        QVERIFY(QTest::qWaitForWindowActive(&t.tab));
        for (int i = 0; i < 30; ++i)
            f.clipboardStore->addText(QStringLiteral("Eintrag %1").arg(i), std::nullopt);
        HistoryLimitRow* clip = childNamed<HistoryLimitRow>(t.tab, "clipboardLimit");
        choose(clip, QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(f.stored().maxClipboardItems, 300);

        // On the way to 250 neither 2 nor 25 is stored, and a copy arriving
        // between two keys trims nothing.
        int copies = 0;
        typeInto(childNamed<QLineEdit>(*clip, "customField"), QStringLiteral("250"), [&] {
            QCOMPARE(f.stored().maxClipboardItems, 300);
            f.clipboardStore->addText(QStringLiteral("Neu %1").arg(++copies), std::nullopt);
            QCOMPARE(f.clipboardStore->items().size(), 30 + copies);
        });
        // Another setting changing meanwhile leaves the typing alone.
        f.settings->update([](AppSettings& s) { s.avoidDuplicates = false; });
        QCOMPARE(childNamed<QLineEdit>(*clip, "customField")->text(), QStringLiteral("250"));
        QTest::keyClick(childNamed<QLineEdit>(*clip, "customField"), Qt::Key_Return);
        QCOMPARE(f.stored().maxClipboardItems, 250);
        QCOMPARE(f.clipboardStore->items().size(), 33);

        // Half a number ("-") is no number: nothing stored, the limit shown again.
        typeInto(childNamed<QLineEdit>(*clip, "customField"), QStringLiteral("-"));
        childNamed<ToggleSwitch>(t.tab, "duplicatesToggle")->setFocus();
        QTRY_COMPARE(childNamed<QLineEdit>(*clip, "customField")->text(), QStringLiteral("250"));
        // Leaving the field finishes the edit too; a preset's number ends custom mode.
        typeInto(childNamed<QLineEdit>(*clip, "customField"), QStringLiteral("500"));
        QCOMPARE(f.stored().maxClipboardItems, 250);
        childNamed<ToggleSwitch>(t.tab, "duplicatesToggle")->setFocus();
        QTRY_COMPARE(f.stored().maxClipboardItems, 500);
        QCOMPARE(childNamed<QComboBox>(*clip, "picker")->currentText(), QStringLiteral("500"));
        QVERIFY(!childNamed<QLineEdit>(*clip, "customField")->isVisible());
    }

    void clearingAsksFirstAndRemovesFavouritesToo()
    {
        HistoryTab t;
        SettingsFixture& f = t.f;
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        f.clipboardStore->addText(QStringLiteral("zwei"), std::nullopt);
        f.clipboardStore->toggleFavorite(f.clipboardStore->items().first());
        f.screenshotStore->toggleFavorite(f.screenshotStore->add(picture(Qt::blue), CaptureKind::area));

        // "Abbrechen", or the dialog closed otherwise: nothing happens.
        f.alerts.answers = {1, -1};
        childNamed<QPushButton>(t.tab, "clearClipboardButton")->click();
        childNamed<QPushButton>(t.tab, "clearClipboardButton")->click();
        QCOMPARE(f.clipboardStore->items().size(), 2);
        QCOMPARE(f.alerts.shown.first().message, QStringLiteral("Zwischenablage-Verlauf wirklich leeren?"));
        QCOMPARE(f.alerts.shown.first().defaultButton, 1); // Return never clears

        f.alerts.answers = {0, 0};
        childNamed<QPushButton>(t.tab, "clearClipboardButton")->click();
        QVERIFY(f.clipboardStore->items().isEmpty());
        QCOMPARE(f.screenshotStore->items().size(), 1);
        childNamed<QPushButton>(t.tab, "clearScreenshotsButton")->click();
        QCOMPARE(f.alerts.shown.last().message, QStringLiteral("Screenshot-Verlauf wirklich leeren?"));
        QVERIFY(f.screenshotStore->items().isEmpty());
    }

    void sensitiveFilterGoesOffOnlyWithThePassword()
    {
        SettingsFixture f;
        std::unique_ptr<PrivacySettingsTab> tab(privacyTab(f));
        tab->show();
        ToggleSwitch* toggle = childNamed<ToggleSwitch>(*tab, "sensitiveToggle");
        // Off asks, and stays on while the answer is open.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(f.authenticator.prompts.size(), 1);
        QCOMPARE(f.authenticator.prompts.first().reason, QStringLiteral("Schutz für sensible Inhalte deaktivieren"));
        QVERIFY(toggle->isChecked());
        // A wrong password or a cancel: still on, nothing shown.
        f.authenticator.answer(false);
        QVERIFY(toggle->isChecked() && f.settings->settings().ignoreSensitiveContent);
        QCOMPARE(f.alerts.shown.size(), 0);
        // The right password: off, stored.
        QTest::mouseClick(toggle, Qt::LeftButton);
        f.authenticator.answer(true);
        QVERIFY(!toggle->isChecked() && !f.stored().ignoreSensitiveContent);
        // On again needs nothing.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked() && f.stored().ignoreSensitiveContent);
        QCOMPARE(f.authenticator.prompts.size(), 2);
        // No check possible: one beep, still on.
        f.authenticator.available = false;
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(f.beeper.beeps, 1);
        QCOMPARE(f.authenticator.prompts.size(), 2);
        QVERIFY(toggle->isChecked());
    }

    void answerAfterTheTabWasRebuiltStillCounts()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        view.show();
        view.selectTab(SettingsTab::privacy);
        QPointer<PrivacySettingsTab> first = qobject_cast<PrivacySettingsTab*>(view.tabView());
        QVERIFY(first);
        QTest::mouseClick(childNamed<ToggleSwitch>(*first, "sensitiveToggle"), Qt::LeftButton);
        QCOMPARE(f.authenticator.pending.size(), 1);

        // A language change makes the tab anew while the password is asked for.
        f.localizer->setLanguage(QStringLiteral("en"));
        QTRY_VERIFY(first.isNull());
        auto* rebuilt = qobject_cast<PrivacySettingsTab*>(view.tabView());
        QVERIFY(rebuilt);
        QVERIFY(childNamed<ToggleSwitch>(*rebuilt, "sensitiveToggle")->isChecked());
        f.authenticator.answer(true);
        QCOMPARE(f.stored().ignoreSensitiveContent, false);
        QVERIFY(!childNamed<ToggleSwitch>(*rebuilt, "sensitiveToggle")->isChecked());

        // A tab gone for good: the answer is stored all the same.
        f.settings->update([](AppSettings& s) { s.ignoreSensitiveContent = true; });
        {
            std::unique_ptr<PrivacySettingsTab> tab(privacyTab(f));
            QTest::mouseClick(childNamed<ToggleSwitch>(*tab, "sensitiveToggle"), Qt::LeftButton);
        }
        f.authenticator.answer(true);
        QCOMPARE(f.stored().ignoreSensitiveContent, false);
    }

    void permissionRowsSayWhatRefusesAndOfferNothingThatCannotWork()
    {
        SettingsFixture f;
        const int readsBefore = f.capturePermissions.preflightCalls;
        std::unique_ptr<PrivacySettingsTab> tab(privacyTab(f));
        tab->show();
        QCOMPARE(f.capturePermissions.preflightCalls, readsBefore + 1); // read again when shown
        PermissionRow* screen = childNamed<PermissionRow>(*tab, "screenRecordingRow");
        PermissionRow* access = childNamed<PermissionRow>(*tab, "accessibilityRow");
        QVERIFY(screen->isGranted() && childNamed<SymbolLabel>(*screen, "grantedLabel")->isVisible() && childNamed<QLabel>(*screen, "refusalLabel")->isHidden());

        // XTEST missing: the row says so and why; X11 has nothing to ask.
        f.capturePermissions.trusted = false;
        f.permissions->refresh();
        QVERIFY(screen->isGranted() && !access->isGranted());
        QVERIFY(childNamed<SymbolLabel>(*access, "unavailableLabel")->isVisible() && childNamed<QLabel>(*access, "refusalLabel")->isVisible());
        QVERIFY(childNamed<QLabel>(*access, "refusalLabel")->text().contains(QStringLiteral("XTEST")));

        // The screen refused: what refuses it and what to do.
        f.capturePermissions.preflight = false;
        f.screens.contentAvailable = false;
        f.permissions->refresh();
        QTRY_VERIFY(childNamed<QLabel>(*screen, "refusalLabel")->isVisible());
        QVERIFY(childNamed<QLabel>(*screen, "refusalLabel")->text().contains(QStringLiteral("X-Server")));
        QVERIFY(screen->findChildren<QAbstractButton*>().isEmpty() && access->findChildren<QAbstractButton*>().isEmpty());
        QCOMPARE(f.capturePermissions.prompts, 0);

        // The notes name this system: the account whose password is asked
        // for, and the folder the data stays in.
        const auto captions = [](QWidget* w) {
            QStringList out;
            for (const QLabel* l : w->findChildren<QLabel*>())
                out << l->text();
            return out;
        };
        const QString all = captions(tab.get()).join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("„tester“")) && all.contains(QStringLiteral("PAM")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("/Zentu.it)")) && all.contains(QStringLiteral("diesem Computer")), qPrintable(all));
        f.authenticator.account.clear();
        std::unique_ptr<PrivacySettingsTab> nameless(privacyTab(f));
        QVERIFY(captions(nameless.get()).contains(QStringLiteral("Zum Deaktivieren ist das Passwort deines Benutzerkontos erforderlich; Zentu.it lässt es von PAM prüfen.")));
    }

    void deleteAllAsksThenClearsBothHistories()
    {
        SettingsFixture f;
        std::unique_ptr<PrivacySettingsTab> tab(privacyTab(f));
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        f.clipboardStore->toggleFavorite(f.clipboardStore->items().first());
        f.screenshotStore->toggleFavorite(f.screenshotStore->add(picture(Qt::green), CaptureKind::fullScreen));
        f.alerts.answers = {1, 0};
        childNamed<QPushButton>(*tab, "deleteAllButton")->click();
        QCOMPARE(f.clipboardStore->items().size() + f.screenshotStore->items().size(), 2);
        QCOMPARE(f.alerts.shown.first().message, QStringLiteral("Gesamten Verlauf wirklich löschen?"));
        childNamed<QPushButton>(*tab, "deleteAllButton")->click();
        QVERIFY(f.clipboardStore->items().isEmpty() && f.screenshotStore->items().isEmpty());
    }

    void versionLineAndLinks()
    {
        using Info = QVariantMap;
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", "2.3"}, {"build", "41"}}), QStringLiteral("2.3 (41)"));
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", "2.3"}}), QStringLiteral("2.3 (1)"));
        // Not text, or empty: as if missing.
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", ""}, {"build", 41}}), QStringLiteral("1.0 (1)"));

        QCOMPARE(AboutSettingsTab::linkDestination(QStringLiteral("https://zentu.example"), QStringLiteral("/a b%zz")),
                 QUrl(QStringLiteral("https://zentu.example")));
        // The build's own root is a placeholder, never a real site.
        QVERIFY(QUrl(AboutSettingsTab::configuredWebsiteRoot()).host().endsWith(QStringLiteral(".example")));
    }

    void statusFollowsScreenRecordingAndButtonsHandOver()
    {
        SettingsFixture f;
        f.capturePermissions.preflight = false;
        f.screens.contentAvailable = false;
        f.permissions->refresh();
        QTRY_VERIFY(!f.permissions->screenRecordingAuthorized());
        AboutSettingsTab tab(*f.permissions, f.workspace, f.bundle, QStringLiteral("https://zentu.example"),
                             {[&f] { ++f.updateChecks; }, [&f] { ++f.uninstallRequests; }});
        tab.show();
        QCOMPARE(childNamed<SymbolLabel>(tab, "screenRecordingStatus")->text(), QStringLiteral("Bildschirmaufnahme wird für Screenshots benötigt."));
        // What refuses and what to do, and no button: X11 has no settings page.
        QVERIFY(childNamed<QLabel>(tab, "screenRecordingHelp")->isVisible());
        QVERIFY(childNamed<QLabel>(tab, "screenRecordingHelp")->text().contains(QStringLiteral("X11-Sitzung")));
        for (const QAbstractButton* b : tab.findChildren<QAbstractButton*>())
            QVERIFY2(!b->text().contains(QStringLiteral("Einstellungen")), qPrintable(b->text()));
        // Permitted while the tab is open.
        f.capturePermissions.preflight = true;
        f.permissions->refresh();
        QCOMPARE(childNamed<SymbolLabel>(tab, "screenRecordingStatus")->text(), QStringLiteral("Bildschirmaufnahme ist erlaubt."));
        QVERIFY(childNamed<QLabel>(tab, "screenRecordingHelp")->isHidden());

        tab.linkRows().at(1)->click();
        QCOMPARE(f.workspace.openedUrls, QStringList{QStringLiteral("https://zentu.example/docs/index.html")});
        // The small line under "Zentu.it deinstallieren…" reads at 4.5:1 or
        // more, on the light palette and on a dark one.
        for (const QPalette& palette : {QPalette(), darkPalette()}) {
            QApplication::setPalette(palette);
            AboutSettingsTab shown(*f.permissions, f.workspace, f.bundle, QStringLiteral("https://zentu.example"), {});
            const QString caption = QStringLiteral("Entfernt die App, ihre Einstellungen und alle Daten.");
            const QLabel* label = nullptr;
            for (const QLabel* l : shown.findChildren<QLabel*>())
                if (l->text() == caption)
                    label = l;
            QVERIFY(label);
            const QColor ink = label->palette().color(QPalette::WindowText);
            QCOMPARE(ink.alpha(), 255);
            const qreal contrast = Theme::contrastRatio(ink, shown.palette().color(QPalette::Window));
            QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
        }
        QApplication::setPalette(QPalette());
        childNamed<QPushButton>(tab, "updateButton")->click();
        childNamed<QPushButton>(tab, "uninstallButton")->click();
        QCOMPARE(f.updateChecks, 1);
        QCOMPARE(f.uninstallRequests, 1);
    }

    // The login item: on at the first start, then as the system has it; a
    // record that cannot be read is kept aside.
    void startUpRecord()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        {
            SettingsManager first(defaults, login, keyboard);
            QCOMPARE(login.registerCalls, 1);
            QVERIFY(first.settings().launchAtLogin && storedIn(defaults)->launchAtLogin);
        }
        login.enabled = false; // the user removed the autostart entry
        {
            SettingsManager second(defaults, login, keyboard);
            QCOMPARE(login.registerCalls, 1);
            QVERIFY(!second.settings().launchAtLogin && !storedIn(defaults)->launchAtLogin);
        }
        AppSettings mine;
        mine.maxClipboardItems = 7;
        QJsonObject o = mine.toJson();
        o.remove("imageFormat");
        const QByteArray old = QJsonDocument(o).toJson(QJsonDocument::Compact);
        defaults.setValue(SettingsKeys::settings, old);
        SettingsManager manager(defaults, login, keyboard);
        QCOMPARE(manager.settings().maxClipboardItems, 200);
        QCOMPARE(defaults.value(SettingsKeys::unreadableSettings).toByteArray(), old);
        QCOMPARE(storedIn(defaults)->maxClipboardItems, 200);
    }
};

ZENTU_TEST_MAIN(TestSettingsTabs)
#include "tst_settingstabs.moc"
