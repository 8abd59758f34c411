// Boxes fixed over moving content, told from three views a step apart: the
// whole box (fill and shadow) and nothing much beyond it, and no box where
// only one pair of views makes something look still (content repeating at
// that step) or where the steps given are not the ones the content made.
#include "Screenshot/FixedBoxes.h"
#include "helpers/ScrollPattern.h"

#include <QPainter>
#include <QTest>

namespace {

constexpr int W = 480;
constexpr int H = 600;

struct Box {
    QRect body;
    int shadow = 0;
    QRgb fill = qRgb(40, 90, 200);
};

// The page from row `offset` on; rows [repeatFrom, repeatTo) of the page
// repeat every `period` rows.
QImage page(int repeatFrom = 0, int repeatTo = 0, int period = 0)
{
    QImage image = ScrollPattern::content(W, 4000);
    for (int y = repeatFrom; y < repeatTo; ++y)
        memcpy(image.scanLine(y), image.constScanLine(repeatFrom + (y - repeatFrom) % period), size_t(W) * 4);
    return image;
}

// A view of `content` at `offset` with the box over it: its soft shadow,
// its fill, and a few words in it.
FrameRows view(const QImage& content, int offset, const std::optional<Box>& box)
{
    QImage image(W, H, QImage::Format_RGB32);
    QPainter p(&image);
    p.drawImage(0, 0, content, 0, offset, W, H);
    if (box) {
        for (int d = box->shadow; d >= 1; --d)
            p.fillRect(box->body.adjusted(-d, -d, d, d), QColor(0, 0, 0, 70 * (box->shadow - d + 1) / box->shadow / 3));
        p.fillRect(box->body, QColor::fromRgb(box->fill));
        for (int line = 0; (line + 1) * 16 + 6 < box->body.height(); ++line)
            for (int x = box->body.left() + 8; x < box->body.right() - 14; x += 9 + line)
                p.fillRect(x, box->body.top() + line * 16 + 14, 6, 7, Qt::white);
    }
    p.end();
    return FrameRows(image);
}

// The cells of a rectangle of pixels.
QRect cellsOf(const QRect& r)
{
    const int c = FrameRows::cellWidth;
    return QRect(QPoint(r.left() / c, r.top()), QPoint(r.right() / c, r.bottom()));
}

// `frame` with a column standing still at its left edge (a side bar with
// words in it).
FrameRows withColumn(const FrameRows& frame)
{
    QImage image = frame.image();
    QPainter p(&image);
    p.fillRect(0, 0, 4 * FrameRows::cellWidth, H, QColor(230, 230, 220));
    for (int y = 6; y + 8 < H; y += 14)
        p.fillRect(6, y, 20 + (y * 7) % 30, 6, QColor(40, 40, 40));
    p.end();
    return FrameRows(image);
}
} // namespace

class TestFixedBoxes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeBox_data()
    {
        QTest::addColumn<QRect>("body");
        QTest::addColumn<int>("shadow");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("banner at the bottom, shadow") << QRect(0, 440, W, 120) << 12 << 90 << 90;
        QTest::newRow("bubble in the middle, no shadow") << QRect(100, 250, 220, 90) << 0 << 40 << 60;
        QTest::newRow("corner box, wide shadow, long steps") << QRect(270, 30, 170, 110) << 28 << 150 << 120;
        QTest::newRow("box off the cell grid") << QRect(37, 300, 203, 70) << 6 << 60 << 60;
        QTest::newRow("steps too long for the first and last view to meet") << QRect(0, 20, 300, 60) << 8 << 300 << 290;
    }
    void wholeBox()
    {
        QFETCH(QRect, body);
        QFETCH(int, shadow);
        QFETCH(int, first);
        QFETCH(int, second);
        const Box box{body, shadow};
        const QImage content = page();
        const FrameRows a = view(content, 0, box);
        const FrameRows b = view(content, first, box);
        const FrameRows c = view(content, first + second, box);
        const CellMask boxes = FixedBoxes::confirmed(a, b, c, first, second, {}, nullptr);
        QVERIFY(!boxes.isEmpty());
        // All of it: fill, edges and the shadow where it darkens the page.
        const int dark = shadow * 2 / 3;
        const QRect inner = cellsOf(body.adjusted(-dark, -dark, dark, dark)).intersected(QRect(0, 0, b.cells(), H));
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                QVERIFY2(boxes.contains(y, x), qPrintable(QStringLiteral("row %1 cell %2").arg(y).arg(x)));
        // And not much beyond it (below a box low in the view, rows the
        // other views show under it or not at all may count as well).
        const QRect outer = cellsOf(body.adjusted(-shadow, -shadow, shadow, shadow)).intersected(QRect(0, 0, b.cells(), H));
        const int lowest = outer.bottom() + first > H ? H - 1 : outer.bottom() + 3;
        const QRect found = boxes.boundingBox();
        QVERIFY2(found.top() >= outer.top() - 3 && found.bottom() <= lowest
                     && found.left() >= outer.left() - 1 && found.right() <= outer.right() + 1,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(found.x()).arg(found.y()).arg(found.width()).arg(found.height())));
        // Left out, the seam the box contradicted holds.
        FrameMatcher::Request request;
        request.expected = first;
        request.ignore = &boxes;
        const FrameMatcher::Match m = FrameMatcher::match(a, b, request);
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, first);
    }

    // Content that repeats at the first step stands still over one pair of
    // views only; steps other than those the content made, or a second view
    // where the content did not move, tell nothing either.
    void noBox()
    {
        const QImage repeating = page(150, 450, 60);
        const FrameRows a = view(repeating, 0, std::nullopt);
        const FrameRows b = view(repeating, 60, std::nullopt);
        const FrameRows c = view(repeating, 100, std::nullopt);
        QVERIFY(FixedBoxes::confirmed(a, b, c, 60, 40, {}, nullptr).isEmpty());

        const Box box{QRect(0, 440, W, 120), 12};
        const QImage content = page();
        const FrameRows ba = view(content, 0, box);
        const FrameRows bb = view(content, 80, box);
        const FrameRows bc = view(content, 150, box);
        QVERIFY(!FixedBoxes::confirmed(ba, bb, bc, 80, 70, {}, nullptr).isEmpty());
        QVERIFY(FixedBoxes::confirmed(ba, bb, bc, 80, 60, {}, nullptr).isEmpty());
        QVERIFY(FixedBoxes::confirmed(ba, bb, bb, 80, 70, {}, nullptr).isEmpty());
        // Standing still over more than half of the view: no box over it.
        const Box tall{QRect(0, 100, W, 380), 0};
        QVERIFY(FixedBoxes::confirmed(view(content, 0, tall), view(content, 40, tall), view(content, 80, tall), 40, 40,
                                      {}, nullptr)
                    .isEmpty());
    }

    // Something fixed just outside the view (a bar kept out of it above, a
    // box below it) casts its shadow over the rows at that edge: they are
    // told as fixed, over whatever moves under them, and the seam holds
    // without them. Rows that changed otherwise there (lighter, or not by
    // one share per place) are no shadow.
    void shadowAtTheEdge_data()
    {
        QTest::addColumn<bool>("below");
        QTest::newRow("bar above the view") << false;
        QTest::newRow("box below the view") << true;
    }
    void shadowAtTheEdge()
    {
        QFETCH(bool, below);
        const QImage content = page();
        const int first = 60, second = 80;
        auto rowOf = [below](int k) { return below ? H - 1 - k : k; };
        auto shaded = [&](int offset, bool brighter) {
            QImage image = view(content, offset, std::nullopt).image();
            QPainter p(&image);
            for (int k = 0; k < 10; ++k)
                p.fillRect(0, rowOf(k), W, 1, brighter ? QColor(255, 255, 255, 60 + k * (offset % 7))
                                                       : QColor(0, 0, 0, 90 * (10 - k) / 10));
            p.end();
            return FrameRows(image);
        };
        const CellMask edge = FixedBoxes::confirmed(shaded(0, false), shaded(first, false),
                                                    shaded(first + second, false), first, second, {}, nullptr);
        QVERIFY(!edge.isEmpty());
        for (int k = 0; k < 10; ++k)
            QVERIFY2(edge.contains(rowOf(k), 0) && edge.contains(rowOf(k), edge.cells() - 1), qPrintable(QString::number(k)));
        QVERIFY(below ? edge.boundingBox().top() > H - 16 : edge.boundingBox().bottom() < 16);
        FrameMatcher::Request request;
        request.expected = first;
        request.ignore = &edge;
        const FrameMatcher::Match m = FrameMatcher::match(shaded(0, false), shaded(first, false), request);
        QVERIFY(m.confirmed);
        QCOMPARE(m.shift, first);

        QVERIFY(FixedBoxes::confirmed(shaded(0, true), shaded(first, true), shaded(first + second, true), first,
                                      second, {}, nullptr)
                    .isEmpty());
    }

    // What stands still beside the content from top to bottom (a side bar)
    // is no box and hides none: the box beside it is told alone.
    void besideAColumn()
    {
        const Box box{QRect(200, 420, 240, 110), 10};
        const QImage content = page();
        const int first = 70, second = 80;
        const CellMask boxes = FixedBoxes::confirmed(withColumn(view(content, 0, box)),
                                                     withColumn(view(content, first, box)),
                                                     withColumn(view(content, first + second, box)), first, second,
                                                     {}, nullptr);
        QVERIFY(!boxes.isEmpty());
        for (int y = 0; y < 380; ++y)
            QVERIFY2(!boxes.contains(y, 0) && !boxes.contains(y, 1), qPrintable(QString::number(y)));
        QVERIFY(boxes.contains(470, cellsOf(QRect(300, 470, 1, 1)).left()));
    }
};

QTEST_GUILESS_MAIN(TestFixedBoxes)
#include "tst_fixedboxes.moc"
