// The first-run window: its three permission states, OK and Return, the
// height it reports, a language change, and the window the start-up check
// opens around it while a permission is missing.
#include "SettingsFixture.h"
#include "App/AppCoordinator.h"
#include "Settings/OnboardingView.h"
#include "Settings/PermissionRow.h"
#include "Ui/ProminentButton.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QSignalSpy>

namespace {

struct Onboarding {
    SettingsFixture f;
    int closes = 0;
    QList<double> heights;
    OnboardingView view{*f.permissions, [this] { ++closes; }, [this](double h) { heights << h; }};

    void set(bool screen, bool accessibility)
    {
        f.capturePermissions.preflight = screen;
        f.screens.contentAvailable = screen;
        f.capturePermissions.trusted = accessibility;
        f.permissions->refresh();
    }
    // From the bottom of what sits above "OK" to its top.
    int gapAboveOk() const
    {
        const QWidget* above = view.readyRow()->isVisible() ? view.readyRow() : view.restartNote();
        const int aboveBottom = above->mapTo(&view, QPoint(0, above->height())).y();
        return view.okButton()->mapTo(&view, QPoint(0, 0)).y() - aboveBottom;
    }
};

} // namespace

class TestOnboardingView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsEachPermissionState()
    {
        Onboarding o;
        o.set(false, false);
        o.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&o.view));
        QCOMPARE(o.view.width(), 460);
        PermissionRow* screen = o.view.screenRecordingCard();
        PermissionRow* access = o.view.accessibilityCard();

        // Neither: both orange with "Aktivieren", no ready line, 20 above OK.
        QCOMPARE(screen->iconColor(), Theme::orange());
        QVERIFY(screen->activateButton()->isVisible() && access->activateButton()->isVisible());
        QVERIFY(!o.view.readyRow()->isVisible());
        QTRY_COMPARE(o.gapAboveOk(), 20);

        // Screen recording only.
        o.set(true, false);
        QVERIFY(screen->grantedLabel()->isVisible() && !screen->activateButton()->isVisible());
        QCOMPARE(screen->iconColor(), Theme::green());
        QVERIFY(access->activateButton()->isVisible());
        QVERIFY(!o.view.readyRow()->isVisible());

        // Both: "Erlaubt" twice, the ready line, 12 above OK.
        o.set(true, true);
        QVERIFY(access->grantedLabel()->isVisible());
        QVERIFY(o.view.readyRow()->isVisible());
        QTRY_COMPARE(o.gapAboveOk(), 12);
        // The restart note stays in every state.
        QVERIFY(o.view.restartNote()->isVisible());

        // The cards ask like the Privacy tab's rows.
        o.set(true, false);
        access->activateButton()->click();
        QCOMPARE(o.f.capturePermissions.prompts, 1);
    }

    void okAndReturnHandBackToTheOwner()
    {
        Onboarding o;
        o.view.show();
        QVERIFY(QTest::qWaitForWindowActive(&o.view));
        QCOMPARE(o.view.okButton()->text(), QStringLiteral("OK"));
        QVERIFY(o.view.okButton()->width() >= 130);
        o.view.okButton()->click();
        QCOMPARE(o.closes, 1);
        // Return wherever the focus is, also on a card's button.
        o.set(false, false);
        o.view.accessibilityCard()->activateButton()->setFocus();
        QTest::keyClick(o.view.accessibilityCard()->activateButton(), Qt::Key_Return);
        QCOMPARE(o.closes, 2);
        QCOMPARE(o.f.capturePermissions.prompts, 0);
        QVERIFY(o.view.isVisible());
    }

    void reportsItsHeightWhenItChanges()
    {
        Onboarding o;
        o.set(true, false);
        o.view.show();
        // The first measurement: the whole content.
        QTRY_COMPARE(o.heights.size(), 1);
        QCOMPARE(o.heights.first(), double(o.view.measuredHeight()));
        QVERIFY(o.heights.first() > 300);

        // The ready line makes it taller.
        o.set(true, true);
        QTRY_COMPARE(o.heights.size(), 2);
        QVERIFY(o.heights.last() > o.heights.first());

        // A language change makes everything anew, in the new language.
        QSignalSpy rebuilt(&o.view, &OnboardingView::rebuilt);
        o.f.localizer->setLanguage(QStringLiteral("en"));
        QCOMPARE(rebuilt.count(), 1);
        QStringList texts;
        for (QLabel* l : o.view.findChildren<QLabel*>())
            if (l->isVisibleTo(&o.view))
                texts << l->text();
        QVERIFY(texts.contains(QStringLiteral("Welcome to Zentu.it")));
        QTRY_COMPARE(double(o.view.measuredHeight()), o.heights.last());

        // Only above 200, and only a change.
        o.heights.clear();
        o.view.reportHeight(200);
        o.view.reportHeight(200.5);
        o.view.reportHeight(200.5);
        o.view.reportHeight(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(o.heights, QList<double>{200.5});
    }

    void startUpCheckOpensItWhileAPermissionIsMissing()
    {
        FakeCoordinatorServices services;
        services.capturePermissions.trusted = false;
        AppCoordinator coordinator(services);
        coordinator.setOnboardingViewFactory([](const AppEnvironment& env, std::function<void()> onClose,
                                                std::function<void(double)> onHeightChange) -> QWidget* {
            return new OnboardingView(*env.permissions, std::move(onClose), std::move(onHeightChange));
        });
        QSignalSpy checked(&coordinator, &AppCoordinator::onboardingChecked);
        coordinator.start();
        QVERIFY(checked.wait(5000));
        QWidget* window = coordinator.onboardingWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Zentu.it einrichten"));
        auto* view = window->findChild<OnboardingView*>();
        QVERIFY(view);
        // Fitted to the content, 460 wide.
        QTRY_COMPARE(window->height(), view->measuredHeight());
        QCOMPARE(window->width(), 460);

        // OK closes the window; with a permission missing the check runs again next time.
        QPointer<QWidget> open = window;
        view->okButton()->click();
        QTRY_VERIFY(open.isNull());
        QVERIFY(!services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));
    }
};

ZENTU_TEST_MAIN(TestOnboardingView)
#include "tst_onboardingview.moc"
