// The intro cards before a capture: exactly one callback per card, hide for
// good, Esc and Return, a second card replacing the first, the activation
// policy, and the card's frame when no screen is known.
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "fakes/FakeActivationPolicy.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>

using Policy = ActivationPolicy::Policy;

namespace {
struct Rig {
    FakeUserDefaults defaults;
    FakeActivationPolicy policy;
    std::optional<QRect> screen = QRect(0, 0, 800, 600);
    CaptureIntroPresenter presenter{defaults, &policy,
                                    {[this] { return screen; }, [](const QRect&) { return QImage(); }}};
    QStringList calls;

    std::function<void()> note(const QString& what)
    {
        return [this, what] {
            // Record what the world looked like when the callback ran.
            calls << what + (presenter.window() ? QStringLiteral(" window-up") : QString())
                      + (policy.current == Policy::regular ? QStringLiteral(" regular") : QString());
        };
    }
    void show(const CaptureIntroConfig& config, const QString& name)
    {
        presenter.show(config, note(name + ":proceed"), note(name + ":cancel"));
    }
};
}

class TestCaptureIntro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hiddenCardProceedsAtOnce()
    {
        Rig rig;
        rig.defaults.setValue("zentuHideCaptureIntro", true);
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QCOMPARE(rig.calls, QStringList{"a:proceed regular"});
        QVERIFY(!rig.presenter.window());
        QVERIFY(rig.policy.history.isEmpty());
    }

    void buttonsEndTheCardWithOneCallback()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QVERIFY(rig.presenter.window());
        QCOMPARE(rig.policy.current, Policy::accessory);
        rig.presenter.window()->proceedButton()->click();
        // The callback ran after the card was gone and the policy was back.
        QCOMPARE(rig.calls, QStringList{"a:proceed regular"});
        QVERIFY(!rig.presenter.window());

        rig.show(CaptureIntroConfig::screenshot(), "b");
        rig.presenter.window()->cancelButton()->click();
        QCOMPARE(rig.calls.last(), QStringLiteral("b:cancel regular"));
        QVERIFY(!rig.defaults.boolValue("zentuHideCaptureIntro"));
    }

    void hideForeverStoresItsOwnKeyAndProceeds()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::scroll(), "s");
        rig.presenter.window()->hideForeverButton()->click();
        QCOMPARE(rig.calls, QStringList{"s:proceed regular"});
        QVERIFY(rig.defaults.boolValue("zentuHideScrollIntro"));
        QVERIFY(!rig.defaults.values.contains("zentuHideCaptureIntro"));
        rig.show(CaptureIntroConfig::scroll(), "s2");
        QCOMPARE(rig.calls.last(), QStringLiteral("s2:proceed regular"));
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QVERIFY(rig.presenter.window());
    }

    void escapeCancelsOnceAndIsSwallowed()
    {
        Rig rig;
        QLineEdit other;
        other.show();
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QTest::keyClick(&other, Qt::Key_X);
        QCOMPARE(other.text(), QStringLiteral("x")); // other keys pass
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(rig.calls, QStringList{"a:cancel regular"});
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(rig.calls.size(), 1);
    }

    void returnProceeds()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QTest::keyClick(rig.presenter.window(), Qt::Key_Return);
        QCOMPARE(rig.calls, QStringList{"a:proceed regular"});
    }

    void secondCardCancelsTheFirstAfterClosingIt()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QPointer<CaptureIntroView> first = rig.presenter.window();
        rig.show(CaptureIntroConfig::scroll(), "b");
        QCOMPARE(rig.calls, QStringList{"a:cancel regular"});
        QVERIFY(first.isNull() || !first->isVisible());
        QVERIFY(rig.presenter.window() && rig.presenter.window() != first);
        QCOMPARE(rig.policy.current, Policy::accessory);
        rig.presenter.window()->proceedButton()->click();
        QCOMPARE(rig.calls, (QStringList{"a:cancel regular", "b:proceed regular"}));
    }

    void aHiddenCardStillEndsTheOneThatIsUp()
    {
        Rig rig;
        rig.defaults.setValue("zentuHideScrollIntro", true);
        rig.show(CaptureIntroConfig::screenshot(), "a");
        rig.show(CaptureIntroConfig::scroll(), "s");
        QCOMPARE(rig.calls, (QStringList{"a:cancel regular", "s:proceed regular"}));
        QVERIFY(!rig.presenter.window());
    }

    void policyIsRestoredOnlyAfterACard()
    {
        Rig rig;
        rig.policy.current = Policy::accessory;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        rig.presenter.window()->proceedButton()->click();
        // An editor opened meanwhile made the app regular: a later card leaves it so.
        rig.policy.current = Policy::regular;
        rig.show(CaptureIntroConfig::screenshot(), "b");
        QCOMPARE(rig.policy.current, Policy::accessory);
        rig.presenter.window()->cancelButton()->click();
        QCOMPARE(rig.policy.current, Policy::regular);
    }

    void otherConfigsShowTheirRows()
    {
        Rig rig;
        CaptureIntroConfig config = CaptureIntroConfig::scroll();
        config.rows.removeLast();
        config.hideKey = QStringLiteral("testKey");
        rig.show(config, "x");
        QCOMPARE(rig.presenter.window()->rowCount(), 2);
    }

    void noScreenGivesTheFallbackFrame()
    {
        Rig rig;
        rig.screen.reset();
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QCOMPARE(rig.presenter.window()->geometry(), QRect(0, 0, 1440, 900));
    }
};

ZENTU_TEST_MAIN(TestCaptureIntro)
#include "tst_captureintro.moc"
