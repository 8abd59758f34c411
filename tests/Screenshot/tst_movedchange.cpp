// A change between two frames is content that moved (labels and a picture
// on a plain page, also coming out from under a fixed banner), or one in
// place: a dot that blinked on or off, a clock's digit that ticked.
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/MovedChange.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

class TestMovedChange : public QObject {
    Q_OBJECT

    static bool explained(const QImage& a, const QImage& b)
    {
        const FrameRows fa(a), fb(b);
        return MovedChange::explains(fa, fb, FrameMatcher::change(fa, fb).changed);
    }

private Q_SLOTS:
    void movedOrChangedInPlace()
    {
        QImage page(320, 1600, QImage::Format_RGB32);
        page.fill(qRgb(34, 34, 34));
        QPainter p(&page);
        for (int y = 40; y < 1600; y += 260)
            p.fillRect(20, y, 24, 4, qRgb(90, 30, 30));
        QRandomGenerator rng(7);
        for (int y = 500; y < 570; y += 4)
            for (int x = 8; x < 180; x += 4)
                p.fillRect(x, y, 4, 4, QColor::fromRgb(rng.bounded(256), rng.bounded(256), rng.bounded(256)));
        p.end();
        const QImage a = page.copy(0, 300, 320, 400);
        for (int step : {3, 40, -6})
            QVERIFY(explained(a, page.copy(0, 300 + step, 320, 400)));
        auto banner = [](QImage f) {
            QPainter(&f).fillRect(0, 360, 320, 40, qRgb(140, 120, 150));
            return f;
        };
        QVERIFY(explained(banner(page.copy(0, 200, 320, 400)), banner(page.copy(0, 208, 320, 400))));

        auto with = [&a](QRect r) {
            QImage f = a.copy();
            QPainter(&f).fillRect(r, qRgb(220, 220, 220));
            return f;
        };
        QVERIFY(!explained(a, with(QRect(250, 60, 10, 10))));
        QVERIFY(!explained(with(QRect(250, 60, 10, 10)), a));
        QImage two = with(QRect(250, 60, 12, 3));
        QPainter(&two).fillRect(QRect(258, 60, 4, 14), qRgb(220, 220, 220));
        QVERIFY(!explained(with(QRect(250, 60, 4, 14)), two));
        QVERIFY(!explained(a, a));
    }
};

QTEST_MAIN(TestMovedChange)
#include "tst_movedchange.moc"
