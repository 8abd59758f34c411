// Steps across a stretch of one colour: only whole rows per click, so that
// steps added up never drift from where the content is, and never more than
// half the band, so that every row of the stretch shows in some frame.
#include "Screenshot/PlainCrossing.h"

#include <QTest>

class TestPlainCrossing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stepsStayWithinHalfTheBand()
    {
        QCOMPARE(PlainCrossing::stepClicks(400, 60), std::optional<int>(3));
        QCOMPARE(PlainCrossing::stepClicks(120, 60), std::optional<int>(1));
        // One click moves more than half the band: rows would go unseen.
        QCOMPARE(PlainCrossing::stepClicks(100, 60), std::nullopt);
        QCOMPARE(PlainCrossing::stepClicks(400, 0), std::nullopt);
    }

    void onlyWholeRowsPerClickAddUp()
    {
        QCOMPARE(PlainCrossing::rows(3, 53.0), std::optional<int>(159));
        QCOMPARE(PlainCrossing::rows(4, 56.998), std::optional<int>(228));
        // A click of a fraction of rows: twenty steps would drift by rows.
        QCOMPARE(PlainCrossing::rows(3, 53.33), std::nullopt);
        QCOMPARE(PlainCrossing::rows(0, 53.0), std::nullopt);
    }
};

QTEST_MAIN(TestPlainCrossing)
#include "tst_plaincrossing.moc"
