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
};

QTEST_MAIN(TestSecondPass)
#include "tst_secondpass.moc"
