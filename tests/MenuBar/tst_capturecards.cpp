#include "MenuBar/CaptureButton.h"
#include "MenuBar/ModeSwapCaptureButton.h"
#include "MenuBar/ScrollCaptureButton.h"
#include "Ui/FrameClock.h"
#include "Ui/Theme.h"
#include "support/IsolatedEnvironment.h"

#include <QEnterEvent>

class TestCaptureCards : public QObject {
    Q_OBJECT

    static void enter(QWidget* w)
    {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(w, &e);
    }
    static void leave(QWidget* w)
    {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(w, &e);
    }

private Q_SLOTS:
    void cleanup() { FrameClock::setTimeSource({}); }

    void hoverFreezesTheMix()
    {
        double now = 1000 * ModeSwapCaptureButton::cycleSeconds + 0.45 * ModeSwapCaptureButton::cycleSeconds;
        FrameClock::setTimeSource([&now] { return now; });
        ModeSwapCaptureButton card(QStringLiteral("⇧⌘2"), {});
        QVERIFY(qAbs(card.currentAmount() - 0.5) < 1e-6);
        enter(&card);
        now += 0.5 * ModeSwapCaptureButton::cycleSeconds; // the clock moves on
        QVERIFY(qAbs(card.currentAmount() - 0.5) < 1e-6);
        leave(&card);
        QCOMPARE(card.currentAmount(), ModeSwapCaptureButton::fensterAmount(now));
    }

    void hoverSwapsTitleForHotkey()
    {
        CaptureButton card(QStringLiteral("Bildschirm"), QStringLiteral("display"), QStringLiteral("⇧⌘6"), {});
        card.resize(100, 72);
        card.show();
        QVERIFY(!card.isSwapped());
        enter(&card);
        QVERIFY(card.isSwapped());
        QTRY_VERIFY(qAbs(card.swapProgress() - 1.0) < 0.01);
        leave(&card);
        QTRY_VERIFY(qAbs(card.swapProgress()) < 0.01);

        // No hint: the title stays on hover.
        card.setHotkey(QString());
        enter(&card);
        QVERIFY(card.hover());
        QVERIFY(!card.isSwapped());
        QTRY_COMPARE(card.swapProgress(), 0.0);
    }

    void longKeyNamesFitTheCard()
    {
        CaptureButton card(QStringLiteral("Bildschirm"), QStringLiteral("display"),
                           QStringLiteral("Super+Ctrl+Alt+Shift+A"), {});
        card.resize(100, 72);
        card.show();
        QVERIFY(QRectF(card.rect()).adjusted(4, 0, -4, 0).contains(card.chipRect()));
        QVERIFY(card.chipFont().pointSizeF() < Theme::roundedFont(HoverCardButton::chipFontPx).pointSizeF());
    }

    void clickRunsTheAction()
    {
        int runs = 0;
        ScrollCaptureButton card(QStringLiteral("⇧⌘7"), [&runs] { ++runs; });
        card.resize(100, 76);
        card.show();
        QTest::mouseClick(&card, Qt::LeftButton);
        QCOMPARE(runs, 1);
        // Both animated cards repaint with the frame clock only while shown.
        QVERIFY(FrameClock::shared().isRunning());
        card.hide();
        QVERIFY(!FrameClock::shared().isRunning());
    }
};

ZENTU_TEST_MAIN(TestCaptureCards)
#include "tst_capturecards.moc"
