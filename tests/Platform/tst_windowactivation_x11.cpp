// Window activation and the taskbar policy against a real X server and window
// manager, and the shared connection's atom cache used from many threads at
// once (frame grabs and activation run on workers).
#include "Platform/X11/X11ActivationPolicy.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/XcbConnection.h"
#include "support/IsolatedEnvironment.h"

#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>

// The window manager may still change a window after our request (hand the
// focus to a newly mapped window, drop the state of a window it withdraws):
// a result counts when it holds, not when it flashes by.
static bool settles(const std::function<bool()>& condition)
{
    int inARow = 0;
    return QTest::qWaitFor([&] {
        inARow = condition() ? inARow + 1 : 0;
        return inARow >= 20;
    }, 15000);
}

static bool shown(QWidget& w)
{
    w.resize(200, 100);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

class tst_WindowActivationX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void activatesAWindowThroughTheWindowManager()
    {
        QWidget first, second;
        QVERIFY(shown(first) && shown(second));
        X11WindowActivation activation;
        for (QWidget* w : {&first, &second, &first}) {
            const quint32 id = quint32(w->winId());
            activation.activate(id);
            QVERIFY2(settles([&] { return activation.activeWindow() == std::optional<quint32>(id); }),
                     qPrintable(QString::number(activation.activeWindow().value_or(0))));
        }
    }

    // Accessory windows skip the taskbar; regular ones show in it, also when
    // the policy changes while they are open.
    void windowsFollowThePolicy()
    {
        X11ActivationPolicy policy;
        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QWidget first;
        QVERIFY(shown(first));
        QVERIFY(settles([&] { return X11ActivationPolicy::skipsTaskbar(&first); }));

        // An open window follows a change of policy.
        policy.setPolicy(ActivationPolicy::Policy::regular);
        QVERIFY(settles([&] { return !X11ActivationPolicy::skipsTaskbar(&first); }));

        // A window shown under the regular policy shows in the taskbar.
        QWidget second;
        QVERIFY(shown(second));
        QVERIFY(settles([&] { return !X11ActivationPolicy::skipsTaskbar(&second); }));

        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QVERIFY(settles([&] { return X11ActivationPolicy::skipsTaskbar(&first); }));
        QVERIFY(settles([&] { return X11ActivationPolicy::skipsTaskbar(&second); }));

        // Hidden and shown again: still accessory.
        second.hide();
        QVERIFY(shown(second));
        QVERIFY(settles([&] { return X11ActivationPolicy::skipsTaskbar(&second); }));
    }

    void atomsAreInternedSafelyFromManyThreads()
    {
        XcbConnection shared;
        XcbConnection reference;
        QVERIFY(shared.isValid() && reference.isValid());
        X11WindowActivation activation;
        std::atomic_int wrong{0};
        QList<QThread*> threads;
        for (int t = 0; t < 8; ++t) {
            threads << QThread::create([&, t] {
                // New names of this thread (the cache grows) between look-ups
                // of names every thread has cached.
                for (int i = 0; i < 1500; ++i) {
                    const QByteArray name = "ZENTU_TEST_ATOM_" + QByteArray::number(t * 10000 + i);
                    if (shared.atom(name.constData()) == XCB_ATOM_NONE)
                        ++wrong;
                    for (int j = 0; j < 100; ++j)
                        if (shared.atom("WM_NAME") != XCB_ATOM_WM_NAME)
                            ++wrong;
                    if (i % 100 == 0)
                        activation.activeWindow();
                }
            });
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            QVERIFY(thread->wait(60000));
            delete thread;
        }
        QCOMPARE(wrong.load(), 0);
        for (int i = 0; i < 1500; i += 7) {
            const QByteArray name = "ZENTU_TEST_ATOM_" + QByteArray::number(70000 + i);
            QCOMPARE(shared.atom(name.constData()), reference.atom(name.constData()));
        }
    }
};

ZENTU_TEST_MAIN(tst_WindowActivationX11)
#include "tst_windowactivation_x11.moc"
