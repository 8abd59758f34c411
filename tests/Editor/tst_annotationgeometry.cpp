// Annotation geometry: the aspect fit both ways, arrow heads, segment
// distance and the speech-bubble outline, tail and thought circles, including
// flat boxes and a tip on the centre.
#include "Editor/AnnotationGeometry.h"
#include "support/IsolatedEnvironment.h"

#include <cmath>

using namespace AnnotationGeometry;

namespace {

bool finite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }
bool finite(const QRectF& r) { return finite(r.topLeft()) && finite(r.bottomRight()); }
double length(QPointF v) { return std::hypot(v.x(), v.y()); }

} // namespace

class tst_AnnotationGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fitBothWays_data()
    {
        QTest::addColumn<QSizeF>("image");
        QTest::addColumn<QSizeF>("view");
        QTest::addColumn<QPointF>("viewPt");
        QTest::addColumn<QPointF>("imagePt");
        // Wide image in a square view: letterboxed top and bottom, scale 2.
        QTest::newRow("letterbox") << QSizeF(200, 100) << QSizeF(400, 400) << QPointF(100, 200) << QPointF(50, 50);
        QTest::newRow("pillarbox") << QSizeF(100, 200) << QSizeF(400, 200) << QPointF(200, 100) << QPointF(50, 100);
        QTest::newRow("left of image") << QSizeF(200, 100) << QSizeF(400, 400) << QPointF(-30, 250) << QPointF(0, 75);
        QTest::newRow("above image") << QSizeF(200, 100) << QSizeF(400, 400) << QPointF(60, 10) << QPointF(30, 0);
        QTest::newRow("beyond bottom right") << QSizeF(200, 100) << QSizeF(400, 400) << QPointF(900, 900)
                                             << QPointF(200, 100);
        // Degenerate sizes map one to one, still clamped into the image.
        QTest::newRow("empty view") << QSizeF(200, 100) << QSizeF(0, 300) << QPointF(150, 250) << QPointF(150, 100);
        QTest::newRow("negative image") << QSizeF(-5, 100) << QSizeF(300, 300) << QPointF(40, 40) << QPointF(0, 40);
    }
    void fitBothWays()
    {
        QFETCH(QSizeF, image);
        QFETCH(QSizeF, view);
        QFETCH(QPointF, viewPt);
        QFETCH(QPointF, imagePt);
        QCOMPARE(imagePoint(viewPt, image, view), imagePt);
        // Inside the image the two mappings invert each other.
        if (imagePt.x() > 0 && imagePt.y() > 0 && imagePt.x() < image.width() && imagePt.y() < image.height())
            QCOMPARE(viewPoint(imagePt, image, view), viewPt);
    }

    void arrowHeads_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("end");
        QTest::addColumn<double>("lineWidth");
        QTest::addColumn<double>("headLength");
        QTest::newRow("short arrow: head no longer than it") << QPointF(10, 10) << QPointF(15, 10) << 4.0 << 5.0;
        QTest::newRow("four line widths") << QPointF(0, 0) << QPointF(0, 200) << 4.0 << 16.0;
        QTest::newRow("at least 12") << QPointF(50, 50) << QPointF(-150, 50) << 2.0 << 12.0;
        QTest::newRow("diagonal") << QPointF(0, 0) << QPointF(300, 400) << 10.0 << 40.0;
    }
    void arrowHeads()
    {
        QFETCH(QPointF, start);
        QFETCH(QPointF, end);
        QFETCH(double, lineWidth);
        QFETCH(double, headLength);
        const auto [left, right] = arrowHead(start, end, lineWidth);
        QVERIFY(qFuzzyCompare(length(left - end), headLength));
        QVERIFY(qFuzzyCompare(length(right - end), headLength));
        // Both strokes point back along the shaft, 30° to either side of it.
        const QPointF back = (start - end) / length(start - end);
        for (QPointF tipEnd : {left, right}) {
            const double cosine = QPointF::dotProduct(tipEnd - end, back) / headLength;
            QVERIFY(std::abs(cosine - std::cos(M_PI / 6)) < 1e-9);
        }
        QVERIFY(length(left - right) > headLength * 0.99); // 60° apart: an equilateral V
    }

    void arrowOfNoLength()
    {
        const auto [left, right] = arrowHead({7, 9}, {7, 9}, 4);
        QCOMPARE(left, QPointF(7, 9));
        QCOMPARE(right, QPointF(7, 9));
    }

    void segmentDistance_data()
    {
        QTest::addColumn<QPointF>("p");
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<double>("expected");
        QTest::newRow("beside the middle") << QPointF(50, 12) << QPointF(0, 0) << QPointF(100, 0) << 12.0;
        QTest::newRow("beyond the end") << QPointF(103, 4) << QPointF(0, 0) << QPointF(100, 0) << 5.0;
        QTest::newRow("before the start") << QPointF(-6, -8) << QPointF(0, 0) << QPointF(100, 0) << 10.0;
        QTest::newRow("ends coincide") << QPointF(3, 4) << QPointF(0, 0) << QPointF(0, 0) << 5.0;
    }
    void segmentDistance()
    {
        QFETCH(QPointF, p);
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(double, expected);
        QCOMPARE(distance(p, a, b), expected);
    }

    void openingProjection_data()
    {
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<QPointF>("opening");
        QTest::addColumn<int>("edge");
        QTest::addColumn<QPointF>("point");
        const QRectF box(100, 100, 200, 100);
        // m = 100: r 16, base 22, inset 16 + 11 + 2 = 29.
        QTest::newRow("bottom, free") << box << QPointF(160, 200) << int(SpeechBubble::Edge::bottom) << QPointF(160, 200);
        QTest::newRow("bottom, kept off the corner") << box << QPointF(110, 230) << int(SpeechBubble::Edge::bottom)
                                                     << QPointF(129, 200);
        QTest::newRow("right side") << box << QPointF(320, 120) << int(SpeechBubble::Edge::right) << QPointF(300, 129);
        QTest::newRow("top side") << box << QPointF(250, 90) << int(SpeechBubble::Edge::top) << QPointF(250, 100);
        // Corners tie: bottom before top before left before right.
        QTest::newRow("bottom-left corner") << box << QPointF(100, 200) << int(SpeechBubble::Edge::bottom)
                                            << QPointF(129, 200);
        QTest::newRow("top-right corner") << box << QPointF(300, 100) << int(SpeechBubble::Edge::top)
                                          << QPointF(271, 100);
        // Narrower than twice the inset: within a pixel of the middle of the side.
        QTest::newRow("narrow box") << QRectF(0, 0, 20, 100) << QPointF(2, 100) << int(SpeechBubble::Edge::bottom)
                                    << QPointF(9, 100);
    }
    void openingProjection()
    {
        QFETCH(QRectF, box);
        QFETCH(QPointF, opening);
        QFETCH(int, edge);
        QFETCH(QPointF, point);
        const auto o = SpeechBubble::openingProjection(box, opening, 0.16);
        QCOMPARE(int(o.edge), edge);
        QCOMPARE(o.point, point);
    }

    void splicedOutline()
    {
        const QRectF box(100, 100, 200, 100);
        const QPointF tip(150, 260);
        const QPainterPath path = SpeechBubble::spliced(box, tip, {160, 200}, 0.16);
        // The tail reaches the tip and the bubble stays closed around its body.
        QVERIFY(path.contains(QPointF(150, 240)));
        QVERIFY(path.contains(box.center()));
        QVERIFY(!path.contains(QPointF(250, 240)));
        QVERIFY(!path.contains(QPointF(101, 101))); // rounded corner cut away
        QCOMPARE(path.boundingRect().bottom(), 260.0);
        // A tip inside the box still draws the tail lines (folded inwards).
        const QPainterPath inward = SpeechBubble::spliced(box, box.center(), {160, 200}, 0.16);
        bool passesTip = false;
        for (int i = 0; i < inward.elementCount(); ++i)
            passesTip |= QPointF(inward.elementAt(i)) == box.center();
        QVERIFY(passesTip);
    }

    void degenerateBubbles_data()
    {
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<QPointF>("tip");
        QTest::newRow("flat box") << QRectF(10, 50, 200, 0) << QPointF(40, 120);
        QTest::newRow("flat box, tip level with it") << QRectF(10, 50, 200, 0) << QPointF(300, 50);
        QTest::newRow("thin box") << QRectF(10, 50, 0, 80) << QPointF(40, 160);
        QTest::newRow("point box") << QRectF(10, 50, 0, 0) << QPointF(10, 50);
        QTest::newRow("tip on centre") << QRectF(0, 0, 100, 60) << QPointF(50, 30);
    }
    void degenerateBubbles()
    {
        QFETCH(QRectF, box);
        QFETCH(QPointF, tip);
        const auto circles = SpeechBubble::thoughtCircles(box, tip);
        for (const QRectF& c : circles) {
            QVERIFY(finite(c));
            QVERIFY(c.width() >= 4);
        }
        const QPainterPath path = SpeechBubble::spliced(box, tip, box.bottomLeft(), 0.16);
        QVERIFY(finite(path.boundingRect()));
        const auto o = SpeechBubble::openingProjection(box, box.bottomLeft(), 0.5);
        QVERIFY(finite(o.point));
    }

    void thoughtCirclesTowardsTip()
    {
        const QRectF box(0, 0, 200, 100);
        const QPointF tip(100, 200);
        const auto c = SpeechBubble::thoughtCircles(box, tip);
        // Straight down from the centre: the ellipse is left at (100, 100); the
        // circles sit at a quarter, half and three quarters of the way to the tip
        // and shrink outwards (100 × 0.165, 0.13, 0.095, but never below 4).
        QCOMPARE(c[0].center(), QPointF(100, 125));
        QCOMPARE(c[1].center(), QPointF(100, 150));
        QCOMPARE(c[2].center(), QPointF(100, 175));
        QVERIFY(qFuzzyCompare(c[0].width(), 16.5));
        QVERIFY(c[0].width() > c[1].width() && c[1].width() > c[2].width());
        // A tip on the centre hangs the circles straight below it.
        const auto centred = SpeechBubble::thoughtCircles(box, box.center());
        QCOMPARE(centred[0].center().x(), 100.0);
        QVERIFY(centred[0].center().y() > 50);
        // A tiny bubble keeps circles of at least 4 pixels.
        QCOMPARE(SpeechBubble::thoughtCircles(QRectF(0, 0, 10, 10), {5, 40})[2].width(), 4.0);
    }
};

ZENTU_TEST_MAIN(tst_AnnotationGeometry)
#include "tst_annotationgeometry.moc"
