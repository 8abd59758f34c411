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

    void crossfadeFollowsTheClock()
    {
        const double c = ModeSwapCaptureButton::cycleSeconds;
        // A time that is a whole number of cycles, far from zero like the wall clock.
        const double base = 400000000 * c;
        QCOMPARE(ModeSwapCaptureButton::fensterAmount(base + 0.2 * c), 0.0);
        QVERIFY(qAbs(ModeSwapCaptureButton::fensterAmount(base + 0.45 * c) - 0.5) < 1e-6);
        QCOMPARE(ModeSwapCaptureButton::fensterAmount(base + 0.7 * c), 1.0);
        QVERIFY(qAbs(ModeSwapCaptureButton::fensterAmount(base + 0.95 * c) - 0.5) < 1e-6);
        QCOMPARE(ModeSwapCaptureButton::fensterAmount(base + 0.4 * c), 0.0);
        QVERIFY(qAbs(ModeSwapCaptureButton::fensterAmount(base + 0.425 * c) - 0.15625) < 1e-6);
        QVERIFY(ModeSwapCaptureButton::fensterAmount(base + 0.999 * c) < 0.001);
    }

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
        QCOMPARE(card.currentBackgroundOpacity(), 0.04);
        enter(&card);
        QVERIFY(card.isSwapped());
        QTRY_VERIFY(qAbs(card.swapProgress() - 1.0) < 0.01);
        QTRY_COMPARE(card.currentBackgroundOpacity(), 0.08);
        leave(&card);
        QTRY_VERIFY(qAbs(card.swapProgress()) < 0.01);

        // No hint: the title stays on hover.
        card.setHotkey(QString());
        enter(&card);
        QVERIFY(card.hover());
        QVERIFY(!card.isSwapped());
        QTRY_COMPARE(card.swapProgress(), 0.0);

        QCOMPARE(HoverCardButton::backgroundOpacity(true, true), 0.14);
        QCOMPARE(HoverCardButton::backgroundOpacity(false, true), 0.08);
        QCOMPARE(HoverCardButton::backgroundOpacity(false, false), 0.04);
    }

    void chipIsDrawnInTheTitlesPlace()
    {
        CaptureButton card(QStringLiteral("Bildschirm"), QStringLiteral("display"), QStringLiteral("⇧⌘6"), {});
        card.resize(100, 72);
        card.show();
        auto inkRows = [&card] {
            const QImage image = card.grab().toImage();
            const QRectF area = card.titleArea().adjusted(0, -8, 0, 8);
            int top = -1, bottom = -1;
            for (int y = int(area.top()); y < int(area.bottom()); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 90) {
                        if (top < 0)
                            top = y;
                        bottom = y;
                        break;
                    }
            return qMakePair(top, bottom);
        };
        const auto title = inkRows();
        QVERIFY(title.first >= 0);
        enter(&card);
        QTRY_VERIFY(qAbs(card.swapProgress() - 1.0) < 0.001);
        const QImage swapped = card.grab().toImage();
        // The chip's capsule is a faint fill around the title's middle.
        const QPointF c = card.chipRect().center();
        QVERIFY(swapped.pixelColor(int(card.chipRect().left()) + 2, int(c.y())) !=
                swapped.pixelColor(2, int(c.y())));

        // Long Linux key names still fit the card, in a smaller type.
        card.setHotkey(QStringLiteral("Super+Ctrl+Alt+Shift+A"));
        QVERIFY(QRectF(card.rect()).adjusted(4, 0, -4, 0).contains(card.chipRect()));
        QVERIFY(card.chipFont().pointSizeF() < Theme::roundedFont(HoverCardButton::chipFontPx).pointSizeF());
    }

    void scrollMotifMovesWithTheClock()
    {
        double now = 2.4 * 1000000;
        FrameClock::setTimeSource([&now] { return now; });
        ScrollCaptureButton card(QString(), {});
        card.resize(100, 76);
        card.show();
        const QImage still = card.grab().toImage();
        QCOMPARE(card.grab().toImage(), still);
        now += 1.2; // half a cycle: lines up, thumb down
        QVERIFY(card.grab().toImage() != still);
        now += 1.2;
        QCOMPARE(card.grab().toImage(), still);
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
