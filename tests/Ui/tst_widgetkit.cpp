// The widget kit's behaviour under the pointer: clicks that land in padding
// and on segment edges count, and the frame clock stops once nothing is shown.
#include "Ui/FrameClock.h"
#include "Ui/HoverRowButton.h"
#include "Ui/SegmentedControl.h"
#include "support/IsolatedEnvironment.h"

#include <QSignalSpy>

class TestWidgetKit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hoverRowTakesClicksInItsPadding()
    {
        HoverRowButton b(QStringLiteral("gearshape"), QStringLiteral("Einstellungen"));
        b.show();
        QSignalSpy clicked(&b, &QAbstractButton::clicked);
        QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(1, 1));
        QCOMPARE(clicked.count(), 1);
    }

    void segmentedControlSelectsByClick()
    {
        SegmentedControl c({QStringLiteral("Alle"), QStringLiteral("Text"), QStringLiteral("Bild")});
        c.resize(300, c.sizeHint().height());
        c.show();
        QSignalSpy changed(&c, &SegmentedControl::currentIndexChanged);
        QCOMPARE(c.segmentRect(0).width(), c.segmentRect(2).width());
        // A click on the edge of a segment, away from its text, selects it too.
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).topRight().toPoint() + QPoint(-2, 2));
        QCOMPARE(c.currentIndex(), 2);
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.segmentRect(2).center().toPoint());
        QCOMPARE(changed.count(), 1);
    }

    void frameClockRunsOnlyWhileSomethingIsShown()
    {
        QWidget w;
        FrameClock::shared().attach(&w);
        QVERIFY(!FrameClock::shared().isRunning());
        w.show();
        FrameClock::shared().attach(&w);
        QVERIFY(FrameClock::shared().isRunning());
        w.hide();
        QTRY_VERIFY(!FrameClock::shared().isRunning());
        FrameClock::shared().detach(&w);
    }
};

ZENTU_TEST_MAIN(TestWidgetKit)
#include "tst_widgetkit.moc"
