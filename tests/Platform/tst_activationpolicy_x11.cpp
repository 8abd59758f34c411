// Accessory windows skip the taskbar; regular ones show in it, also when the
// policy changes while they are open.
#include "Platform/X11/X11ActivationPolicy.h"
#include "support/IsolatedEnvironment.h"

#include <QWidget>

class TestActivationPolicyX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowsFollowThePolicy()
    {
        X11ActivationPolicy policy;
        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QCOMPARE(policy.policy(), ActivationPolicy::Policy::accessory);

        QWidget first;
        first.resize(200, 100);
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        QTRY_VERIFY(X11ActivationPolicy::skipsTaskbar(&first));

        // An open window follows a change of policy.
        policy.setPolicy(ActivationPolicy::Policy::regular);
        QTRY_VERIFY(!X11ActivationPolicy::skipsTaskbar(&first));

        // A window shown under the regular policy shows in the taskbar.
        QWidget second;
        second.resize(200, 100);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QVERIFY(!X11ActivationPolicy::skipsTaskbar(&second));

        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QTRY_VERIFY(X11ActivationPolicy::skipsTaskbar(&first));
        QTRY_VERIFY(X11ActivationPolicy::skipsTaskbar(&second));

        // Hidden and shown again: still accessory.
        second.hide();
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QTRY_VERIFY(X11ActivationPolicy::skipsTaskbar(&second));
    }
};

ZENTU_TEST_MAIN(TestActivationPolicyX11)
#include "tst_activationpolicy_x11.moc"
