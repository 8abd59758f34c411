// The last view's bottom rows at the end of a scrolling capture, told from a
// thumb over them by looks at the same view later.
#include "Screenshot/EndRowsWatch.h"

#include <QPainter>
#include <QTest>

namespace {

// 200 rows: text lines down to `textEnd`, a thumb over rows 188-193 at
// `thumb` opacity, a clock at the top showing `tick`.
QImage view(int textEnd, qreal thumb, int tick = 0)
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(QColor(240, 238, 230));
    QPainter p(&image);
    for (int y = 6; y + 8 <= textEnd; y += 14)
        p.fillRect(QRect(10 + (y * 7) % 40, y, 180 + (y * 13) % 60, 8), QColor(40, 40, 60));
    p.fillRect(QRect(250, 2, 30, 10), QColor(tick * 40 % 255, 90, 90));
    p.setOpacity(thumb);
    p.fillRect(QRect(20, 188, 90, 6), QColor(120, 120, 120));
    return image;
}

} // namespace

class TestEndRowsWatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void watchedFromTheFirstRowThatIsNotPlain()
    {
        QVERIFY(EndRowsWatch(view(120, 0), 0, 200, 300).settled()); // the page's plain end
        QCOMPARE(EndRowsWatch(view(120, 1), 0, 200, 300).first(), 188);
        QCOMPARE(EndRowsWatch(view(200, 0), 0, 200, 300).first(), 150);
    }

    // Rows that stay as the frame had them are confirmed only that late;
    // changed ones come from the look, unless more changed above them.
    void looksSettleTheRows()
    {
        EndRowsWatch still(view(200, 0), 0, 200, 240);
        for (int i = 0; i < 4; ++i)
            still.look(view(200, 0), false);
        QVERIFY(!still.settled());
        QImage bar = view(200, 0, 3); // a clock ticked, a scrollbar right of the columns showed
        QPainter(&bar).fillRect(QRect(260, 120, 20, 80), Qt::darkGray);
        still.look(bar, true);
        QVERIFY(still.settled() && still.taken().isNull());

        EndRowsWatch fading(view(200, 1), 0, 200, 300);
        fading.look(view(200, 0.5), false);
        fading.look(view(200, 0), false);
        fading.look(view(200, 0), false);
        QVERIFY(!fading.settled());
        fading.look(view(200, 0), false);
        QCOMPARE(fading.taken(), view(200, 0));

        EndRowsWatch torn(view(200, 1), 0, 200, 300);
        for (int tick = 1; tick < 5; ++tick)
            torn.look(view(200, 0, tick), tick == 4);
        QVERIFY(!torn.settled());
    }
};

QTEST_GUILESS_MAIN(TestEndRowsWatch)
#include "tst_endrowswatch.moc"
