// Toast placement, replacement, dismissal timing and the fade rules.
#include "App/ToastPresenter.h"
#include "support/IsolatedEnvironment.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QWidget>

namespace {

ToastPresenter::Environment twoScreens(QPoint* pointer)
{
    ToastPresenter::Environment e;
    e.cursorPosition = [pointer] { return *pointer; };
    e.screens = [] {
        return QList<ToastPresenter::Screen>{{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 800)},
                                             {QRect(1440, 0, 1920, 1080), QRect(1440, 0, 1920, 1040)}};
    };
    e.mainScreen = []() -> std::optional<ToastPresenter::Screen> {
        return ToastPresenter::Screen{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 800)};
    };
    return e;
}

} // namespace

class TestToastPresenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placementFollowsThePointersScreen()
    {
        const QList<ToastPresenter::Screen> screens{{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 800)},
                                                    {QRect(1440, 0, 1920, 1080), QRect(1440, 0, 1920, 1040)}};
        const ToastPresenter::Screen main = screens.first();
        QCOMPARE(ToastPresenter::visibleFrameFor(screens, QPoint(2000, 500), main), QRect(1440, 0, 1920, 1040));
        QCOMPARE(ToastPresenter::visibleFrameFor(screens, QPoint(10, 10), main), QRect(0, 25, 1440, 800));
        // Pointer outside every screen: the main screen.
        QCOMPARE(ToastPresenter::visibleFrameFor(screens, QPoint(-50, -50), main), QRect(0, 25, 1440, 800));
        QCOMPARE(ToastPresenter::visibleFrameFor({}, QPoint(), std::nullopt), std::nullopt);

        // Centred across; its bottom 80 px above the visible bottom.
        const QPoint origin = ToastPresenter::panelOrigin(QRect(1440, 0, 1920, 1040), QSize(260, 52));
        QCOMPARE(origin, QPoint(1440 + 960 - 130, 1040 - 80 - 52));
    }

    void showPlacesOnePanelOnThePointersScreen()
    {
        QPoint pointer(2000, 300);
        ToastPresenter toast(twoScreens(&pointer));
        toast.show(QStringLiteral("Screenshot aufgenommen"));
        QWidget* panel = toast.panel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(toast.model().text(), QStringLiteral("Screenshot aufgenommen"));
        QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(QRect(1440, 0, 1920, 1040), panel->size()));
        QTRY_COMPARE(panel->windowOpacity(), 1.0);

        // A longer text is wider, never cut.
        const int shortWidth = panel->width();
        toast.show(QStringLiteral("In Zwischenablage kopiert und noch viel mehr Text"));
        QCOMPARE(toast.panel(), panel); // replaced in place
        QVERIFY(panel->width() > shortWidth);
        QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(QRect(1440, 0, 1920, 1040), panel->size()));

        // The pointer moved to the other screen: the next toast re-centres there.
        pointer = QPoint(100, 100);
        toast.show(QStringLiteral("Screenshot aufgenommen"));
        QCOMPARE(panel->pos(), ToastPresenter::panelOrigin(QRect(0, 25, 1440, 800), panel->size()));
    }

    void aSecondToastRestartsTheDismissal()
    {
        QPoint pointer(10, 10);
        ToastPresenter toast(twoScreens(&pointer));
        QSignalSpy dismissed(&toast, &ToastPresenter::dismissed);
        QElapsedTimer clock;
        toast.show(QStringLiteral("erster"), QStringLiteral("checkmark.circle.fill"), false, 0.4);
        QTest::qWait(250);
        clock.start();
        toast.show(QStringLiteral("zweiter"), QStringLiteral("checkmark.circle.fill"), false, 0.4);
        QVERIFY(dismissed.wait(3000));
        // Gone no earlier than the second toast's own duration plus the fade.
        QVERIFY2(clock.elapsed() >= 400 + ToastPresenter::fadeMilliseconds - 20, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(dismissed.count(), 1);
        QCOMPARE(toast.panel(), nullptr);
        QCOMPARE(toast.model().text(), QStringLiteral("zweiter"));
    }

    void aToastShownDuringTheFadeOutSurvivesIt()
    {
        QPoint pointer(10, 10);
        ToastPresenter toast(twoScreens(&pointer));
        QSignalSpy dismissed(&toast, &ToastPresenter::dismissed);
        toast.show(QStringLiteral("Auslösen in 3 s"), QStringLiteral("timer"), true, 0);
        QTRY_COMPARE(toast.panel()->windowOpacity(), 1.0);
        toast.dismiss();
        QTest::qWait(ToastPresenter::fadeMilliseconds / 3); // mid-fade
        QVERIFY(toast.panel());
        toast.show(QStringLiteral("Fehler"), QStringLiteral("exclamationmark.triangle.fill"), false, 0.6);
        QPointer<QWidget> panel = toast.panel();
        // Past the old fade's end: the new toast is still up and fully opaque.
        QTest::qWait(ToastPresenter::fadeMilliseconds + 100);
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(toast.panel(), panel.data());
        QCOMPARE(panel->windowOpacity(), 1.0);
        QCOMPARE(dismissed.count(), 0);
        // And it leaves on its own schedule.
        QVERIFY(dismissed.wait(3000));
        QCOMPARE(toast.panel(), nullptr);
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
        QVERIFY(dismissed.wait(2000));
        QCOMPARE(toast.panel(), nullptr);
        // A new toast builds a new panel.
        toast.show(QStringLiteral("Screenshot aufgenommen"));
        QVERIFY(toast.panel() && toast.panel()->isVisible());
        toast.dismiss();
        toast.dismiss(); // a second dismiss during the fade changes nothing
        QVERIFY(dismissed.wait(2000));
        QCOMPARE(dismissed.count(), 2);
    }
};

ZENTU_TEST_MAIN(TestToastPresenter)
#include "tst_ToastPresenter.moc"
