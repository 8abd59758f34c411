// The General tab: every control writes the settings at once, the delay
// stepper keeps to its range, the language picker switches only on a change,
// the folder chooser and a refused login item.
#include "SettingsFixture.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/LanguagePicker.h"
#include "Storage/Storage.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Stepper.h"
#include "Ui/ToggleSwitch.h"
#include "support/IsolatedEnvironment.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestGeneralSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void delayStepperKeepsToItsRangeAndTexts()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, f.folders, testFolders());
        tab.show();
        Stepper* stepper = tab.delayStepper();
        QCOMPARE(tab.delayValue()->text(), QStringLiteral("Sofort"));
        stepper->stepDown();
        QCOMPARE(f.stored().captureDelaySeconds, 0);

        // A click on the upper half adds a second, written at once.
        QTest::mouseClick(stepper, Qt::LeftButton, {}, stepper->upperHalf().center().toPoint());
        QCOMPARE(f.stored().captureDelaySeconds, 1);
        QCOMPARE(tab.delayValue()->text(), QStringLiteral("1 s"));
        for (int i = 0; i < 40; ++i)
            stepper->stepUp();
        QCOMPARE(f.stored().captureDelaySeconds, 30);
        QCOMPARE(tab.delayValue()->text(), QStringLiteral("30 s"));

        // Screen readers: a spin box named by its label, reading the value text.
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(stepper);
        QCOMPARE(acc->role(), QAccessible::SpinBox);
        QCOMPARE(acc->text(QAccessible::Name), QStringLiteral("Verzögerung (Timer)"));
        QCOMPARE(acc->text(QAccessible::Value), QStringLiteral("30 s"));
        acc->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        QCOMPARE(f.stored().captureDelaySeconds, 29);

        // A stored value out of range shows the nearest end; "s" is never translated.
        f.settings->update([](AppSettings& s) { s.captureDelaySeconds = 45; });
        QCOMPARE(stepper->value(), 30);
        QCOMPARE(f.stored().captureDelaySeconds, 45); // shown, not written back
        QCOMPARE(GeneralSettingsTab::delayText(0), QStringLiteral("Sofort"));
        f.localizer->setLanguage(QStringLiteral("en"));
        QCOMPARE(GeneralSettingsTab::delayText(0), QStringLiteral("Immediately"));
        QCOMPARE(GeneralSettingsTab::delayText(30), QStringLiteral("30 s"));
    }

    void togglesAndFormatArePersistedAtOnce()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, f.folders, testFolders());
        tab.show();
        const AppSettings before = f.stored();
        QTest::mouseClick(tab.cursorToggle(), Qt::LeftButton);
        QTest::mouseClick(tab.stampToggle(), Qt::LeftButton);
        QTest::mouseClick(tab.copyToggle(), Qt::LeftButton);
        QTest::mouseClick(tab.editorToggle(), Qt::LeftButton);
        SegmentedControl* format = tab.formatPicker();
        QCOMPARE(format->labels(), (QStringList{QStringLiteral("PNG"), QStringLiteral("JPEG")}));
        QTest::mouseClick(format, Qt::LeftButton, {}, format->segmentRect(1).center().toPoint());
        const AppSettings after = f.stored();
        QCOMPARE(after.showCursorInScreenshot, !before.showCursorInScreenshot);
        QCOMPARE(after.stampTimestamp, !before.stampTimestamp);
        QCOMPARE(after.autoCopyToPasteboard, !before.autoCopyToPasteboard);
        QCOMPARE(after.openEditorAfterCapture, !before.openEditorAfterCapture);
        QCOMPARE(after.imageFormat, ImageFileFormat::jpeg);

        // A change made elsewhere shows at once.
        f.settings->update([](AppSettings& s) {
            s.stampTimestamp = false;
            s.imageFormat = ImageFileFormat::png;
        });
        QVERIFY(!tab.stampToggle()->isChecked());
        QCOMPARE(format->currentIndex(), 0);

        // Every control tells screen readers what it is.
        QCOMPARE(QAccessible::queryAccessibleInterface(tab.stampToggle())->text(QAccessible::Name),
                 QStringLiteral("Datum & Uhrzeit ins Bild stempeln"));
        QAccessibleInterface* formatAcc = QAccessible::queryAccessibleInterface(format);
        QCOMPARE(formatAcc->text(QAccessible::Name), QStringLiteral("Bildformat"));
        QCOMPARE(formatAcc->childCount(), 2);
        QCOMPARE(formatAcc->child(1)->text(QAccessible::Name), QStringLiteral("JPEG"));
        QCOMPARE(formatAcc->child(1)->role(), QAccessible::RadioButton);
        formatAcc->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.stored().imageFormat, ImageFileFormat::jpeg);
        QVERIFY(formatAcc->child(1)->state().checked);
        for (QWidget* w : tab.findChildren<QWidget*>())
            if (w->focusPolicy() & Qt::TabFocus)
                QVERIFY2(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                         w->metaObject()->className());
    }

    void languagePickerSwitchesOnlyOnAChange()
    {
        SettingsFixture f;
        auto tab = std::make_unique<GeneralSettingsTab>(*f.settings, f.defaults, f.folders, testFolders());
        LanguagePicker* picker = tab->languagePicker();
        QCOMPARE(picker->selection(), QStringLiteral("auto"));
        QCOMPARE(picker->currentText(), QStringLiteral("Automatisch (System)"));
        QCOMPARE(picker->count(), 1 + 1 + 9); // auto, a separator, the languages
        QCOMPARE(picker->itemText(2), QStringLiteral("Deutsch"));

        QSignalSpy changed(f.localizer.get(), &Localizer::langChanged);
        picker->choose(QStringLiteral("auto"));
        QCOMPARE(changed.count(), 0);
        QVERIFY(!f.defaults.values.contains(Localizer::languageKey));
        picker->choose(QStringLiteral("fr"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.localizer->lang(), QStringLiteral("fr"));
        QCOMPARE(f.defaults.value(Localizer::languageKey).toString(), QStringLiteral("fr"));

        // A picker made afterwards starts from the stored choice.
        tab = std::make_unique<GeneralSettingsTab>(*f.settings, f.defaults, f.folders, testFolders());
        QCOMPARE(tab->languagePicker()->selection(), QStringLiteral("fr"));
        QCOMPARE(tab->languagePicker()->currentText(), QStringLiteral("Français"));
        tab->languagePicker()->choose(QStringLiteral("auto"));
        QCOMPARE(f.defaults.value(Localizer::languageKey).toString(), QStringLiteral("auto"));
        QCOMPARE(f.localizer->lang(), QStringLiteral("de")); // the system's language again
    }

    void folderChooserOpensAtTheExportFolder()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, f.folders, testFolders());
        tab.resize(640, 700);
        tab.show();
        const QString fallback = testFolders().exportDirectory(AppSettings{});
        QCOMPARE(tab.pathLabel()->toolTip(), fallback);

        // Cancel: nothing changes.
        tab.changeFolderButton()->click();
        QCOMPARE(f.folders.startFolders, QStringList{fallback});
        QCOMPARE(f.folders.acceptLabels, QStringList{QStringLiteral("Auswählen")});
        QVERIFY(!f.stored().saveDirectoryPath);

        // A folder that cannot be written to is turned down with a note.
        f.folders.answer = QStringLiteral("/nonexistent/zentu");
        tab.changeFolderButton()->click();
        QVERIFY(!f.stored().saveDirectoryPath);
        QVERIFY(tab.folderError()->isVisible());
        QVERIFY(tab.folderError()->text().contains(QStringLiteral("/nonexistent/zentu")));

        QTemporaryDir chosen;
        f.folders.answer = chosen.path();
        tab.changeFolderButton()->click();
        QCOMPARE(f.stored().saveDirectoryPath, std::optional<QString>(chosen.path()));
        QCOMPARE(tab.pathLabel()->toolTip(), chosen.path());
        QVERIFY(!tab.folderError()->isVisible());
        tab.changeFolderButton()->click();
        QCOMPARE(f.folders.startFolders.last(), chosen.path());
    }

    void refusedLoginItemShowsTheRealStateAndSaysSo()
    {
        SettingsFixture f;
        GeneralSettingsTab tab(*f.settings, f.defaults, f.folders, testFolders());
        tab.show();
        QVERIFY(!tab.launchToggle()->isChecked());
        QTest::mouseClick(tab.launchToggle(), Qt::LeftButton);
        QVERIFY(f.login.enabled && f.stored().launchAtLogin && tab.launchToggle()->isChecked());

        f.login.failing = true;
        QTest::mouseClick(tab.launchToggle(), Qt::LeftButton);
        QVERIFY(tab.launchToggle()->isChecked());
        QVERIFY(f.stored().launchAtLogin);
        QVERIFY(tab.launchError()->isVisible());
        QVERIFY(tab.launchError()->text().contains(QStringLiteral("abgelehnt")));

        f.login.failing = false;
        QTest::mouseClick(tab.launchToggle(), Qt::LeftButton);
        QVERIFY(!tab.launchToggle()->isChecked() && !f.login.enabled);
        QVERIFY(!tab.launchError()->isVisible());
    }
};

ZENTU_TEST_MAIN(TestGeneralSettings)
#include "tst_generalsettings.moc"
