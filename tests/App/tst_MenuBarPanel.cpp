// Where the tray panel opens, and that it stays anchored to the tray while its
// content grows and shrinks. Without a tray: a missing host gets its grace
// period, then the panel opens once as a window with its note; a panel that
// restarts within the grace period goes unreported; the kind of host is the
// one the toolkit picked at start; a tray that appears drops the note, and the
// icon opens the panel as its popup again. Logged as "TRAY …".
#include "App/MenuBarPanel.h"
#include "App/TrayPresence.h"
#include "App/ZentuApp.h"
#include "fakes/FakeTrayAvailability.h"
#include "fakes/ManualDelayScheduler.h"
#include "support/ChildNamed.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>

namespace {
int logged(const QString& part) { return int(debugLogMessages().filter(part).size()); }
} // namespace

class TestMenuBarPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensNextToTheIconInsideTheScreen()
    {
        const QRect area(0, 0, 1920, 1050); // a bottom panel reserves the last 30 px
        const QSize size(340, 500);
        // Icon in a bottom tray: above it, centred on it.
        QCOMPARE(MenuBarPanel::placement(QRect(900, 1054, 22, 22), size, area), QPoint(911 - 170, 1050 - 500));
        // Icon in a top bar: right below it.
        QCOMPARE(MenuBarPanel::placement(QRect(900, 4, 22, 22), size, QRect(0, 30, 1920, 1050)), QPoint(741, 30));
        // Icon in the far right corner: the panel stays on the screen.
        QCOMPARE(MenuBarPanel::placement(QRect(1900, 4, 22, 22), size, QRect(0, 30, 1920, 1050)), QPoint(1920 - 340, 30));
        // Second screen to the right.
        QCOMPARE(MenuBarPanel::placement(QRect(1925, 1054, 22, 22), size, QRect(1920, 0, 1280, 1050)),
                 QPoint(1920, 1050 - 500));
    }

    void staysAnchoredWhileItsContentGrows()
    {
        // Content whose height follows a child, like the panel's sections.
        auto* content = new QWidget;
        auto* layout = new QVBoxLayout(content);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* section = new QWidget(content);
        section->setFixedSize(340, 200);
        layout->addWidget(section);
        MenuBarPanel panel(content);
        const QRect area(0, 0, 1280, 770); // a bottom tray reserves the last 30 px
        const QRect icon(900, 774, 22, 22);
        panel.showAt(icon, area);
        QCOMPARE(panel.geometry().bottom(), 769);
        QCOMPARE(panel.height(), 200);

        // Entries arrive while it is open: it grows upwards, its bottom stays.
        section->setFixedHeight(560);
        QTRY_COMPARE(panel.height(), 560);
        QCOMPARE(panel.geometry().bottom(), 769);

        // Taller than the screen allows: it fills the area and scrolls.
        section->setFixedHeight(900);
        QTRY_COMPARE(panel.height(), 770);
        QVERIFY(area.contains(panel.geometry()));

        // Shrinking brings it back down to the tray.
        section->setFixedHeight(300);
        QTRY_COMPARE(panel.height(), 300);
        QCOMPARE(panel.geometry().bottom(), 769);
        QCOMPARE(panel.width(), 340);
    }

    void aMissingTrayIsReportedOnceAfterTheGracePeriod()
    {
        FakeTrayAvailability trays;
        ManualDelayScheduler time;
        TrayPresence presence(trays, time);
        QSignalSpy missing(&presence, &TrayPresence::trayMissing);
        QSignalSpy appeared(&presence, &TrayPresence::hostAppeared);
        QCOMPARE(presence.host(), TrayPresence::Host::xembed);
        QVERIFY(!presence.isIconShown());
        QCOMPARE(logged(QStringLiteral("TRAY noch kein Infobereich")), 1);

        time.advance(TrayPresence::graceMs - 1);
        QCOMPARE(missing.size(), 0);
        time.advance(1);
        QCOMPARE(missing.size(), 1);
        QCOMPARE(logged(QStringLiteral("TRAY kein Infobereich: Panel wird als Fenster geöffnet")), 1);
        time.advance(60000);
        QCOMPARE(missing.size(), 1);

        // A host of the other kind cannot take the icon before a restart: said once.
        trays.set(false, true);
        trays.set(false, true);
        QVERIFY(!presence.isIconShown());
        QCOMPARE(appeared.size(), 0);
        QCOMPARE(logged(QStringLiteral("erscheint dort erst nach einem Neustart")), 1);

        trays.set(true, true);
        QVERIFY(presence.isIconShown());
        QCOMPARE(appeared.size(), 1);
        QCOMPARE(logged(QStringLiteral("TRAY Infobereich verfügbar (XEmbed)")), 1);
    }

    void aPanelRestartWithinTheGracePeriodGoesUnreported()
    {
        FakeTrayAvailability trays;
        trays.xembed = true;
        ManualDelayScheduler time;
        TrayPresence presence(trays, time);
        QSignalSpy missing(&presence, &TrayPresence::trayMissing);
        QSignalSpy appeared(&presence, &TrayPresence::hostAppeared);
        QVERIFY(presence.isIconShown());
        QCOMPARE(time.pendingCount(), 0);

        trays.set(false, false);
        time.advance(TrayPresence::graceMs / 2);
        trays.set(true, false);
        time.advance(TrayPresence::graceMs * 2);
        QCOMPARE(missing.size(), 0);
        QCOMPARE(appeared.size(), 1);

        // Gone for good: reported once per absence.
        trays.set(false, false);
        time.advance(TrayPresence::graceMs * 3);
        QCOMPARE(missing.size(), 1);
        trays.set(true, false);
        trays.set(false, false);
        time.advance(TrayPresence::graceMs);
        QCOMPARE(missing.size(), 2);
    }

    void theKindOfHostIsTheOneOfTheStart()
    {
        // A StatusNotifierItem host at start: the icon goes there and is gone
        // with it, even where an XEmbed tray is left.
        FakeTrayAvailability trays;
        trays.xembed = true;
        trays.statusNotifier = true;
        ManualDelayScheduler time;
        TrayPresence presence(trays, time);
        QSignalSpy missing(&presence, &TrayPresence::trayMissing);
        QCOMPARE(presence.host(), TrayPresence::Host::statusNotifier);
        QCOMPARE(logged(QStringLiteral("TRAY Symbol im Infobereich (StatusNotifierItem)")), 1);
        trays.set(true, false);
        QVERIFY(!presence.isIconShown());
        time.advance(TrayPresence::graceMs);
        QCOMPARE(missing.size(), 1);
    }

    void thePanelOpensAsAWindowWithItsNoteUntilATrayComes()
    {
        FakeTrayAvailability trays;
        ManualDelayScheduler time;
        ZentuApp scene([] {
            auto* content = new QWidget;
            content->setFixedHeight(300);
            return content;
        }, trays, time);
        QVERIFY(!scene.panel());
        time.advance(TrayPresence::graceMs);
        MenuBarPanel* panel = scene.panel();
        QVERIFY(panel && panel->isVisible() && panel->isWindow());
        QVERIFY(childNamed<QLabel>(*panel, "note")->isVisibleTo(panel));
        QVERIFY(panel->height() > 300);

        // A second start asks again: the same window, not a popup without an icon.
        scene.showPanel();
        QVERIFY(panel->isWindow());

        // A tray comes: the note would be wrong now and goes; the icon's
        // click makes the panel the popup at the icon again.
        trays.set(true, false);
        QVERIFY(!childNamed<QLabel>(*panel, "note")->isVisibleTo(panel));
        QTRY_COMPARE(panel->height(), 300);
        scene.togglePanel();
        QVERIFY(panel->isVisible() && !panel->isWindow());
        QCOMPARE(panel->windowFlags() & Qt::Popup, Qt::Popup);
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanel)
#include "tst_MenuBarPanel.moc"
