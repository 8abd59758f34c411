// The History tab: the limit rows' preset and custom modes, a typed limit
// that counts only when editing finishes (never a trim on the way to it), the
// confirmations in front of clearing, and the switches.
#include "SettingsFixture.h"
#include "Settings/HistoryLimitRow.h"
#include "Settings/HistorySettingsTab.h"
#include "Ui/ToggleSwitch.h"
#include "support/IsolatedEnvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct Tab {
    SettingsFixture f;
    HistorySettingsTab tab{*f.settings, *f.clipboardStore, *f.screenshotStore, f.alerts};
    Tab()
    {
        tab.show();
        tab.activateWindow();
    }
};

void choose(HistoryLimitRow* row, const QString& entry)
{
    const int index = row->picker()->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    row->picker()->setCurrentIndex(index);
    Q_EMIT row->picker()->activated(index);
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

} // namespace

class TestHistorySettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void limitRowsSwitchBetweenPresetsAndCustom()
    {
        Tab t;
        SettingsFixture& f = t.f;
        f.settings->update([](AppSettings& s) { s.maxClipboardItems = 250; });
        HistoryLimitRow* clip = t.tab.clipboardLimit();
        HistoryLimitRow* shots = t.tab.screenshotLimit();

        // The entries, in order; only the words are translated.
        QStringList entries;
        for (int i = 0; i < shots->picker()->count(); ++i)
            entries << shots->picker()->itemText(i);
        QCOMPARE(entries, (QStringList{"100", "200", "500", "Unbegrenzt", "Benutzerdefiniert …"}));

        // A limit that is no preset: custom, with the number beside it.
        QCOMPARE(clip->picker()->currentText(), QStringLiteral("Benutzerdefiniert …"));
        QVERIFY(clip->customField()->isVisible());
        QCOMPARE(clip->customField()->text(), QStringLiteral("250"));
        QCOMPARE(clip->customField()->width(), 70);
        QCOMPARE(shots->picker()->currentText(), QStringLiteral("200"));
        QVERIFY(!shots->customField()->isVisible());

        // Custom from a preset proposes 300 at once; again, it changes nothing.
        choose(shots, QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(f.stored().maxScreenshotItems, 300);
        QVERIFY(shots->customField()->isVisible());
        QCOMPARE(shots->customField()->text(), QStringLiteral("300"));
        choose(shots, QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(f.stored().maxScreenshotItems, 300);
        // The rows are independent.
        QCOMPARE(f.stored().maxClipboardItems, 250);

        choose(shots, QStringLiteral("Unbegrenzt"));
        QCOMPARE(f.stored().maxScreenshotItems, 0);
        QVERIFY(!shots->customField()->isVisible());
        choose(clip, QStringLiteral("500"));
        QCOMPARE(f.stored().maxClipboardItems, 500);
        QVERIFY(!clip->customField()->isVisible());

        // A limit set elsewhere is followed, custom or not.
        f.settings->update([](AppSettings& s) { s.maxScreenshotItems = 42; });
        QCOMPARE(shots->picker()->currentText(), QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(shots->customField()->text(), QStringLiteral("42"));

        // Screen readers tell the two rows apart by their section.
        QCOMPARE(clip->picker()->accessibleName(), QStringLiteral("Max. Einträge"));
        QCOMPARE(clip->picker()->accessibleDescription(), QStringLiteral("Zwischenablage"));
        QCOMPARE(shots->customField()->accessibleDescription(), QStringLiteral("Screenshots"));
    }

    void typedLimitCountsOnlyWhenEditingFinishes()
    {
        Tab t;
        SettingsFixture& f = t.f;
        QVERIFY(QTest::qWaitForWindowActive(&t.tab));
        for (int i = 0; i < 30; ++i)
            f.clipboardStore->addText(QStringLiteral("Eintrag %1").arg(i), std::nullopt);
        HistoryLimitRow* clip = t.tab.clipboardLimit();
        choose(clip, QStringLiteral("Benutzerdefiniert …"));
        QCOMPARE(f.stored().maxClipboardItems, 300);

        // On the way to 250 neither 2 nor 25 is stored, and a copy arriving
        // between two keys trims nothing.
        int copies = 0;
        typeInto(clip->customField(), QStringLiteral("250"), [&] {
            QCOMPARE(f.stored().maxClipboardItems, 300);
            f.clipboardStore->addText(QStringLiteral("Neu %1").arg(++copies), std::nullopt);
            QCOMPARE(f.clipboardStore->items().size(), 30 + copies);
        });
        // Another setting changing meanwhile leaves the typing alone.
        f.settings->update([](AppSettings& s) { s.avoidDuplicates = false; });
        QCOMPARE(clip->customField()->text(), QStringLiteral("250"));
        QTest::keyClick(clip->customField(), Qt::Key_Return);
        QCOMPARE(f.stored().maxClipboardItems, 250);
        QCOMPARE(f.clipboardStore->items().size(), 33);

        // Negative numbers are kept as typed, in custom mode.
        typeInto(clip->customField(), QStringLiteral("-5"));
        QTest::keyClick(clip->customField(), Qt::Key_Return);
        QCOMPARE(f.stored().maxClipboardItems, -5);
        QVERIFY(clip->isCustomMode());

        // Leaving the field finishes the edit too; a preset ends custom mode.
        typeInto(clip->customField(), QStringLiteral("0"));
        QCOMPARE(f.stored().maxClipboardItems, -5);
        t.tab.duplicatesToggle()->setFocus();
        QTRY_COMPARE(f.stored().maxClipboardItems, 0);
        QCOMPARE(clip->picker()->currentText(), QStringLiteral("Unbegrenzt"));
        QVERIFY(!clip->customField()->isVisible());

        // Half a number ("-") is no number: nothing stored, the limit shown again.
        choose(clip, QStringLiteral("Benutzerdefiniert …"));
        typeInto(clip->customField(), QStringLiteral("-"));
        t.tab.duplicatesToggle()->setFocus();
        QTRY_COMPARE(clip->customField()->text(), QStringLiteral("300"));
        QCOMPARE(f.stored().maxClipboardItems, 300);
        typeInto(clip->customField(), QStringLiteral("500"));
        QTest::keyClick(clip->customField(), Qt::Key_Enter);
        QCOMPARE(clip->picker()->currentText(), QStringLiteral("500"));
        QVERIFY(!clip->customField()->isVisible());
    }

    void clearingAsksFirstAndRemovesFavouritesToo()
    {
        Tab t;
        SettingsFixture& f = t.f;
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        f.clipboardStore->addText(QStringLiteral("zwei"), std::nullopt);
        f.clipboardStore->toggleFavorite(f.clipboardStore->items().first());
        f.screenshotStore->add(picture(Qt::red), CaptureKind::area);
        f.screenshotStore->toggleFavorite(f.screenshotStore->add(picture(Qt::blue), CaptureKind::area));

        // "Abbrechen", or the dialog closed otherwise: nothing happens.
        f.alerts.answers = {1, -1};
        t.tab.clearClipboardButton()->click();
        t.tab.clearClipboardButton()->click();
        QCOMPARE(f.clipboardStore->items().size(), 2);
        QCOMPARE(f.alerts.shown.size(), 2);
        const Alerts::Alert& asked = f.alerts.shown.first();
        QCOMPARE(asked.message, QStringLiteral("Zwischenablage-Verlauf wirklich leeren?"));
        QCOMPARE(asked.informativeText,
                 QStringLiteral("Favoriten werden ebenfalls entfernt. Dies kann nicht rückgängig gemacht werden."));
        QCOMPARE(asked.buttons, (QStringList{"Leeren", "Abbrechen"}));
        // Return never clears.
        QCOMPARE(asked.defaultButton, 1);

        f.alerts.answers = {0};
        t.tab.clearClipboardButton()->click();
        QVERIFY(f.clipboardStore->items().isEmpty());
        QCOMPARE(f.screenshotStore->items().size(), 2);

        f.alerts.answers = {1, 0};
        t.tab.clearScreenshotsButton()->click();
        QCOMPARE(f.screenshotStore->items().size(), 2);
        t.tab.clearScreenshotsButton()->click();
        QCOMPARE(f.alerts.shown.last().message, QStringLiteral("Screenshot-Verlauf wirklich leeren?"));
        QVERIFY(f.screenshotStore->items().isEmpty());

        // The buttons are named for screen readers.
        QCOMPARE(t.tab.clearScreenshotsButton()->accessibleName(), QStringLiteral("Screenshot-Verlauf leeren …"));
    }

    void switchesAreStoredAndLeaveEveryRowUsable()
    {
        Tab t;
        SettingsFixture& f = t.f;
        QVERIFY(t.tab.clipboardToggle()->isChecked());
        QTest::mouseClick(t.tab.clipboardToggle(), Qt::LeftButton);
        QCOMPARE(f.stored().clipboardHistoryEnabled, false);
        for (QWidget* w : {static_cast<QWidget*>(t.tab.clipboardLimit()->picker()),
                           static_cast<QWidget*>(t.tab.duplicatesToggle()),
                           static_cast<QWidget*>(t.tab.clearClipboardButton())})
            QVERIFY(w->isEnabled());
        QTest::mouseClick(t.tab.duplicatesToggle(), Qt::LeftButton);
        QCOMPARE(f.stored().avoidDuplicates, false);
        QCOMPARE(t.tab.duplicatesToggle()->accessibleName(), QStringLiteral("Duplikate vermeiden"));
        f.settings->update([](AppSettings& s) { s.avoidDuplicates = true; });
        QVERIFY(t.tab.duplicatesToggle()->isChecked());
    }
};

ZENTU_TEST_MAIN(TestHistorySettings)
#include "tst_historysettings.moc"
