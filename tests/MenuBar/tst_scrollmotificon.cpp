// The scrolling motif and the cover's scroll glyph: geometry at the key
// phases (read back from rendered pixels), periodicity, centring in a
// non-square frame, and the clock-driven phase.
#include "MenuBar/ScrollMotifIcon.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Ui/FrameClock.h"
#include "support/IsolatedEnvironment.h"

#include <QPainter>

namespace {

// The motif drawn black into a transparent canvas.
QImage render(const QSize& size, qreal phase, bool glyph = false)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    if (glyph)
        drawScrollIcon(p, QRectF(QPointF(0, 0), size), phase, Qt::black);
    else
        ScrollMotifIcon::draw(p, size, phase, Qt::black);
    return image;
}

int alphaAt(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

} // namespace

class TestScrollMotifIcon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keyPhases_data()
    {
        QTest::addColumn<bool>("glyph");
        QTest::newRow("motif") << false;
        QTest::newRow("cover glyph") << true;
    }
    void keyPhases()
    {
        QFETCH(bool, glyph);
        // 240 x 240: one design unit is 10 px.
        const QImage start = render(QSize(240, 240), 0, glyph);
        const QImage half = render(QSize(240, 240), 0.5, glyph);
        // Phase 0: first text line at y 11 (row 110), from x 6 to 15.
        QVERIFY(alphaAt(start, 100, 110) > 200);
        // Phase 0.5: it moved to y 5, outside the clip; the third line (15.8 - 6
        // = 9.8) is the first one visible.
        QCOMPARE(alphaAt(half, 100, 110), 0);
        QVERIFY(alphaAt(half, 100, 98) > 200);
        // Thumb: (17.8, 11.8, 1.6, 3.0) at phase 0, (17.8, 14.15, 1.6, 3.9) at 0.5.
        QCOMPARE(alphaAt(start, 186, 133), 255);
        QVERIFY(alphaAt(start, 186, 160) < 100); // only the faint track
        QVERIFY(alphaAt(start, 186, 160) > 40);
        QCOMPARE(alphaAt(half, 186, 160), 255);
        QCOMPARE(alphaAt(half, 186, 178), 255);
        QVERIFY(alphaAt(half, 186, 122) < 100);
        // One cycle: phase 1 looks like phase 0.
        QCOMPARE(render(QSize(240, 240), 1, glyph), start);
    }

    void nonSquareFrameIsCentred()
    {
        // 300 x 260: k = 260 / 24, inset 20 px left and right.
        const QImage image = render(QSize(300, 260), 0);
        const qreal k = 260.0 / 24;
        const int left = int(20 + 3 * k);
        const int right = int(20 + 21 * k);
        QCOMPARE(alphaAt(image, left, 130), 255);
        QCOMPARE(alphaAt(image, right, 130), 255);
        QCOMPARE(alphaAt(image, left - 12, 130), 0);
        QCOMPARE(alphaAt(image, right + 12, 130), 0);
        // The cover glyph is not centred: it starts at the rectangle's corner.
        const QImage glyph = render(QSize(300, 260), 0, true);
        QCOMPARE(alphaAt(glyph, int(3 * k), 130), 255);
    }

    void phaseFollowsTheClock()
    {
        QCOMPARE(ScrollMotifIcon::phaseAt(0), 0.0);
        QVERIFY(qAbs(ScrollMotifIcon::phaseAt(1.2) - 0.5) < 1e-9);
        QVERIFY(qAbs(ScrollMotifIcon::phaseAt(2.4 * 1000 + 0.6) - 0.25) < 1e-6);

        double now = 1.2;
        FrameClock::setTimeSource([&] { return now; });
        ScrollMotifIcon icon(Qt::black);
        icon.resize(240, 240);
        auto snapshot = [&] {
            QImage image(240, 240, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            icon.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image;
        };
        QCOMPARE(alphaAt(snapshot(), 186, 178), 255); // s = 1
        now = 0;
        QVERIFY(alphaAt(snapshot(), 186, 178) < 255);
        FrameClock::setTimeSource({});
    }
};

ZENTU_TEST_MAIN(TestScrollMotifIcon)
#include "tst_scrollmotificon.moc"
