// The settings window's content: the opening picture, the tab bar and its
// pill, tabs made anew, tabs dropped in later, and a language change.
#include "SettingsFixture.h"
#include "Settings/AboutSettingsTab.h"
#include "Settings/GeneralSettingsTab.h"
#include "Settings/HistorySettingsTab.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/HotkeysSettingsTab.h"
#include "Settings/LanguagePicker.h"
#include "Settings/SettingsIntroSplash.h"
#include "Settings/SettingsView.h"
#include "Ui/FormSection.h"
#include "Ui/SegmentedControl.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QSignalSpy>

namespace {
QStringList germanTabs()
{
    return {QStringLiteral("Allgemein"), QStringLiteral("Verlauf"), QStringLiteral("Hotkeys"),
            QStringLiteral("Datenschutz"), QStringLiteral("Über")};
}
} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensWithTheSplashThenShowsTheTabs()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        QSignalSpy finished(&view, &SettingsView::introFinished);
        view.show();
        QVERIFY(view.isShowingIntro());
        QVERIFY(view.splash() && view.splash()->isVisible());
        QCOMPARE(view.tabBar()->labels(), germanTabs());
        QVERIFY(qobject_cast<GeneralSettingsTab*>(view.tabView()));

        // The picture rises into place, then gives way (on a loaded machine
        // the whole intro may pass between two looks).
        QTRY_VERIFY(!view.splash() || view.splash()->progress() > 0.5);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QVERIFY(!view.isShowingIntro());
        QTRY_VERIFY(!view.splash());
        QVERIFY(view.tabBar()->isVisible());
        QVERIFY(view.tabView()->isVisible());

        // The window shows the tabs, not the picture: the selected pill is
        // drawn on the tab bar's first segment.
        const QImage shot = view.grab().toImage();
        const QPoint pill = view.tabBar()->mapTo(&view, view.tabBar()->pillRect().topLeft().toPoint() + QPoint(4, 8));
        QCOMPARE(shot.pixelColor(pill), view.palette().color(QPalette::Base));
    }

    void tabsSwitchWithTheSlidingPill()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        view.show();
        QSignalSpy changed(&view, &SettingsView::tabChanged);
        SegmentedControl* bar = view.tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->segmentRect(2).center().toPoint());
        QCOMPARE(view.tab(), SettingsTab::hotkeys);
        QVERIFY(qobject_cast<HotkeysSettingsTab*>(view.tabView()));
        QTRY_COMPARE(bar->pillRect(), bar->segmentRect(2));

        // The selected tab again changes nothing.
        QWidget* shown = view.tabView();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->segmentRect(2).center().toPoint());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(view.tabView(), shown);

        // Every tab has its view; another view dropped in later takes over,
        // made anew each time the tab is shown.
        view.selectTab(SettingsTab::history);
        QVERIFY(qobject_cast<HistorySettingsTab*>(view.tabView()));
        view.selectTab(SettingsTab::privacy);
        QVERIFY(qobject_cast<PrivacySettingsTab*>(view.tabView()));
        view.selectTab(SettingsTab::about);
        QVERIFY(qobject_cast<AboutSettingsTab*>(view.tabView()));
        view.selectTab(SettingsTab::history);
        int made = 0;
        view.setTabFactory(SettingsTab::history, [&made] {
            ++made;
            return new QLabel(QStringLiteral("Verlaufsliste"));
        });
        QCOMPARE(made, 1);
        QCOMPARE(qobject_cast<QLabel*>(view.tabView())->text(), QStringLiteral("Verlaufsliste"));
        view.selectTab(SettingsTab::about);
        view.selectTab(SettingsTab::history);
        QCOMPARE(made, 2);

        // Screen readers see a tab list of the five names.
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(acc->role(), QAccessible::PageTabList);
        QCOMPARE(acc->childCount(), 5);
        QCOMPARE(acc->child(4)->role(), QAccessible::PageTab);
        QCOMPARE(acc->child(4)->text(QAccessible::Name), QStringLiteral("Über"));
        QVERIFY(acc->child(1)->state().selected);
    }

    void languageChangeRebuildsInTheNewLanguage()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        QSignalSpy finished(&view, &SettingsView::introFinished);
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QSignalSpy rebuilt(&view, &SettingsView::rebuilt);

        // From the General tab's own picker: the tab is rebuilt under it.
        auto* general = qobject_cast<GeneralSettingsTab*>(view.tabView());
        general->languagePicker()->choose(QStringLiteral("en"));
        QCOMPARE(rebuilt.count(), 1);
        QCOMPARE(view.tabBar()->labels(),
                 (QStringList{QStringLiteral("General"), QStringLiteral("History"), QStringLiteral("Hotkeys"),
                              QStringLiteral("Privacy"), QStringLiteral("About")}));
        auto* rebuiltGeneral = qobject_cast<GeneralSettingsTab*>(view.tabView());
        QVERIFY(rebuiltGeneral && rebuiltGeneral != general);
        QCOMPARE(rebuiltGeneral->languagePicker()->selection(), QStringLiteral("en"));
        QStringList headers;
        for (FormSection* s : rebuiltGeneral->findChildren<FormSection*>())
            if (s->header())
                headers << s->header()->text();
        QVERIFY(headers.contains(QStringLiteral("Language")));
        QVERIFY(!view.isShowingIntro() && !view.splash());

        // A name too long for its fifth of the bar is drawn smaller, not cut early.
        f.localizer->setLanguage(QStringLiteral("ru"));
        const int privacy = 3;
        QCOMPARE(view.tabBar()->labels().at(privacy), QStringLiteral("Конфиденциальность"));
        QVERIFY(view.tabBar()->labelScale(privacy) < 1.0);
        QVERIFY(view.tabBar()->labelScale(privacy) >= 0.6);
        QCOMPARE(view.tabBar()->labelScale(0), 1.0);

        // The selected tab survives.
        view.selectTab(SettingsTab::hotkeys);
        f.localizer->setLanguage(QStringLiteral("de"));
        QCOMPARE(view.tab(), SettingsTab::hotkeys);
        QCOMPARE(view.tabBar()->currentIndex(), 2);
        QCOMPARE(view.tabBar()->labels(), germanTabs());
        QVERIFY(qobject_cast<HotkeysSettingsTab*>(view.tabView()));
    }
};

ZENTU_TEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
