// A capture is taken once more from the top only where the first run reached
// the end and doubted nothing but the page growing under it: any other doubt
// would come back, and an Escape or a run that never got to the end asks for
// nothing more.
#include "Screenshot/SecondPass.h"

#include <QTest>

using S = ScrollStop;

class TestSecondPass : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyWhereTheEndWasReachedAndTheRunDoubtedGrowthAlone_data()
    {
        QTest::addColumn<QList<ScrollStop>>("stops");
        QTest::addColumn<bool>("again");
        QTest::newRow("grew above") << QList<S>{S::contentEnd, S::grewAbove} << true;
        QTest::newRow("moved by itself, blank end") << QList<S>{S::blankEnd, S::contentMoved} << true;
        QTest::newRow("both") << QList<S>{S::contentEnd, S::contentMoved, S::grewAbove} << true;
        QTest::newRow("whole") << QList<S>{S::contentEnd} << false;
        QTest::newRow("cancelled") << QList<S>{S::cancelled, S::grewAbove} << false;
        QTest::newRow("seam failed first") << QList<S>{S::seamUnconfirmed, S::grewAbove} << false;
        QTest::newRow("another doubt too") << QList<S>{S::contentEnd, S::grewAbove, S::coverRepeated} << false;
        QTest::newRow("another doubt alone") << QList<S>{S::contentEnd, S::changesInPlace} << false;
        QTest::newRow("nothing") << QList<S>{} << false;
    }
    void onlyWhereTheEndWasReachedAndTheRunDoubtedGrowthAlone()
    {
        QFETCH(QList<ScrollStop>, stops);
        QFETCH(bool, again);
        QCOMPARE(SecondPass::worthwhile(stops), again);
    }

    // The page only grows: a second run that ends well short of the first
    // stopped before the end (an application held up looks like the end).
    void secondRunShorterThanTheFirstStoppedShort_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("again");
        QTest::addColumn<bool>("shortOfIt");
        QTest::newRow("grown") << 7000 << 7600 << false;
        QTest::newRow("same") << 7000 << 7000 << false;
        QTest::newRow("steps a row off in the first") << 7603 << 7554 << false;
        QTest::newRow("a screen short") << 7603 << 6700 << true;
        QTest::newRow("stopped at a plain stretch") << 7603 << 4761 << true;
        QTest::newRow("short page, an item short") << 900 << 840 << true;
    }
    void secondRunShorterThanTheFirstStoppedShort()
    {
        QFETCH(int, first);
        QFETCH(int, again);
        QFETCH(bool, shortOfIt);
        QCOMPARE(SecondPass::cameShort(first, again), shortOfIt);
    }
};

QTEST_MAIN(TestSecondPass)
#include "tst_secondpass.moc"
