// The toast on the pointer's screen, replaced in place, and its dismissal:
// a newer toast restarts it, survives an older fade-out, and a sticky one
// waits for dismiss().
#include "Toasts/ToastPresenter.h"
#include "support/IsolatedEnvironment.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QWidget>

namespace {

const QRect leftVisible(0, 25, 1440, 800), rightVisible(1440, 0, 1920, 1040);

ToastPresenter::Environment twoScreens(QPoint* pointer)
{
    ToastPresenter::Environment e;
    e.cursorPosition = [pointer] { return *pointer; };
    e.screens = [] {
        return QList<ToastPresenter::Screen>{{QRect(0, 0, 1440, 900), leftVisible}, {QRect(1440, 0, 1920, 1080), rightVisible}};
    };
    e.mainScreen = []() -> std::optional<ToastPresenter::Screen> {
        return ToastPresenter::Screen{QRect(0, 0, 1440, 900), leftVisible};
    };
    return e;
}

} // namespace

class TestToastPresenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsOnePanelOnThePointersScreen()
    {
        QPoint pointer(2000, 300);
        ToastPresenter toast(twoScreens(&pointer));
        toast.show(QStringLiteral("Screenshot aufgenommen"));
        QWidget* panel = toast.panel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(rightVisible, panel->size()));

        // A longer text is wider, never cut, and replaces the first in place.
        const int shortWidth = panel->width();
        toast.show(QStringLiteral("In Zwischenablage kopiert und noch viel mehr Text"));
        QCOMPARE(toast.panel(), panel);
        QVERIFY(panel->width() > shortWidth);
        QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(rightVisible, panel->size())); // re-centred

        // Elsewhere the next toast re-centres there; outside every screen on the main one.
        for (const QPoint at : {QPoint(100, 100), QPoint(-50, -50)}) {
            pointer = at;
            toast.show(QStringLiteral("Screenshot aufgenommen"));
            QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(leftVisible, panel->size()));
        }
    }

    void aNewerToastOutlivesTheOlderDismissal()
    {
        QPoint pointer(10, 10);
        ToastPresenter toast(twoScreens(&pointer));
        QSignalSpy dismissed(&toast, &ToastPresenter::dismissed);
        toast.show(QStringLiteral("erster"), QStringLiteral("checkmark.circle.fill"), false, 0.4);
        QTest::qWait(250);
        QElapsedTimer clock;
        clock.start();
        toast.show(QStringLiteral("zweiter"), QStringLiteral("checkmark.circle.fill"), false, 0.4);
        QVERIFY(dismissed.wait(3000));
        // Gone no earlier than the second toast's own duration plus the fade.
        QVERIFY2(clock.elapsed() >= 400 + ToastPresenter::fadeMilliseconds - 20, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(toast.panel(), nullptr);

        // Shown while an older one fades out: still up and opaque past that fade's end.
        toast.show(QStringLiteral("Auslösen in 3 s"), QStringLiteral("timer"), true, 0);
        QTRY_COMPARE(toast.panel()->windowOpacity(), 1.0);
        toast.dismiss();
        QTest::qWait(ToastPresenter::fadeMilliseconds / 3);
        toast.show(QStringLiteral("Fehler"), QStringLiteral("exclamationmark.triangle.fill"), false, 0.6);
        QPointer<QWidget> panel = toast.panel();
        QTest::qWait(ToastPresenter::fadeMilliseconds + 100);
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->windowOpacity(), 1.0);
        QCOMPARE(dismissed.count(), 1);
        QVERIFY(dismissed.wait(3000)); // and leaves on its own schedule
    }

    void stickyToastWaitsForDismiss()
    {
        QPoint pointer(10, 10);
        ToastPresenter toast(twoScreens(&pointer));
        toast.show(QStringLiteral("erst ein Text"), QStringLiteral("checkmark.circle.fill"), false, 5);
        QVERIFY(toast.hasPendingDismissal());
        toast.show(QStringLiteral("Auslösen in 3 s"), QStringLiteral("timer"), true, 0);
        QVERIFY(!toast.hasPendingDismissal()); // a sticky toast cancels the older dismissal
        // The countdown writes the model directly; the pill follows.
        toast.model().setText(QStringLiteral("Auslösen in 2 s"));
        toast.present();
        QVERIFY(!toast.hasPendingDismissal());
        QSignalSpy dismissed(&toast, &ToastPresenter::dismissed);
        toast.dismiss();
        toast.dismiss(); // a second dismiss during the fade changes nothing
        QVERIFY(dismissed.wait(2000));
        QCOMPARE(toast.panel(), nullptr);
        QVERIFY(!QTest::qWaitFor([&] { return dismissed.count() > 1; }, ToastPresenter::fadeMilliseconds + 100));
    }
};

ZENTU_TEST_MAIN(TestToastPresenter)
#include "tst_ToastPresenter.moc"
