// The intro cards before a capture: exactly one callback per card, run after
// the card is gone; hiding a card for good; Esc; a second card replacing the
// first; and the activation policy given back only after a card.
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "fakes/FakeActivationPolicy.h"
#include "fakes/FakeUserDefaults.h"
#include "support/ChildNamed.h"
#include "support/IsolatedEnvironment.h"

#include <QLineEdit>

using Policy = ActivationPolicy::Policy;

namespace {
struct Rig {
    FakeUserDefaults defaults;
    FakeActivationPolicy policy;
    CaptureIntroPresenter presenter{defaults, &policy,
                                    {[] { return std::optional<QRect>(QRect(0, 0, 800, 600)); },
                                     [](const QRect&) { return QImage(); }}};
    QStringList calls;

    std::function<void()> note(const QString& what)
    {
        return [this, what] {
            // What the world looked like when the callback ran.
            calls << what + (presenter.window() ? QStringLiteral(" window-up") : QString())
                      + (policy.current == Policy::regular ? QStringLiteral(" regular") : QString());
        };
    }
    void show(const CaptureIntroConfig& config, const QString& name)
    {
        presenter.show(config, note(name + ":proceed"), note(name + ":cancel"));
    }
};
} // namespace

class TestCaptureIntro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachCardEndsOnceAfterItIsGone()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QCOMPARE(rig.policy.current, Policy::accessory);
        childNamed<IntroButton>(*rig.presenter.window(), "proceedButton")->click();
        rig.show(CaptureIntroConfig::screenshot(), "b");
        childNamed<IntroCancelButton>(*rig.presenter.window(), "cancelButton")->click();
        QCOMPARE(rig.calls, (QStringList{"a:proceed regular", "b:cancel regular"}));
        QVERIFY(!rig.presenter.window());

        // Esc cancels once and goes no further; other keys pass.
        QLineEdit other;
        other.show();
        rig.show(CaptureIntroConfig::screenshot(), "c");
        QTest::keyClick(&other, Qt::Key_X);
        QTest::keyClick(&other, Qt::Key_Escape);
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(other.text(), QStringLiteral("x"));
        QCOMPARE(rig.calls.mid(2), QStringList{"c:cancel regular"});

        // A second card cancels the first, after closing it.
        rig.show(CaptureIntroConfig::screenshot(), "d");
        QPointer<CaptureIntroView> first = rig.presenter.window();
        rig.show(CaptureIntroConfig::scroll(), "e");
        QCOMPARE(rig.calls.last(), QStringLiteral("d:cancel regular"));
        QVERIFY(first.isNull() || !first->isVisible());
        QCOMPARE(rig.policy.current, Policy::accessory);
        childNamed<IntroButton>(*rig.presenter.window(), "proceedButton")->click();
        QCOMPARE(rig.calls.last(), QStringLiteral("e:proceed regular"));
    }

    void hiddenCardsProceedAtOnce()
    {
        Rig rig;
        rig.show(CaptureIntroConfig::scroll(), "s");
        childNamed<IntroButton>(*rig.presenter.window(), "hideForeverButton")->click();
        QVERIFY(rig.defaults.boolValue("zentuHideScrollIntro"));
        rig.show(CaptureIntroConfig::scroll(), "s2");
        QCOMPARE(rig.policy.history.size(), 2); // the first card's only
        // The other card still shows, and a hidden one still ends it.
        rig.show(CaptureIntroConfig::screenshot(), "a");
        QVERIFY(rig.presenter.window());
        rig.show(CaptureIntroConfig::scroll(), "s3");
        QCOMPARE(rig.calls, (QStringList{"s:proceed regular", "s2:proceed regular", "a:cancel regular", "s3:proceed regular"}));
        QVERIFY(!rig.presenter.window());
    }

    void policyIsRestoredOnlyAfterACard()
    {
        Rig rig;
        rig.policy.current = Policy::accessory;
        rig.show(CaptureIntroConfig::screenshot(), "a");
        childNamed<IntroButton>(*rig.presenter.window(), "proceedButton")->click();
        // An editor opened meanwhile made the app regular: a later card leaves it so.
        rig.policy.current = Policy::regular;
        rig.show(CaptureIntroConfig::screenshot(), "b");
        QCOMPARE(rig.policy.current, Policy::accessory);
        childNamed<IntroCancelButton>(*rig.presenter.window(), "cancelButton")->click();
        QCOMPARE(rig.policy.current, Policy::regular);
    }
};

ZENTU_TEST_MAIN(TestCaptureIntro)
#include "tst_captureintro.moc"
