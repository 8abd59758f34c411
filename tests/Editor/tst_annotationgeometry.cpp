// Annotation geometry: the aspect fit both ways, arrow heads, segment
// distance and the speech-bubble outline, tail and thought circles, including
// flat boxes and a tip on the centre.
#include "Editor/AnnotationGeometry.h"
#include "support/IsolatedEnvironment.h"

#include <cmath>

using namespace AnnotationGeometry;

namespace {

bool finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}
double length(QPointF v) { return std::hypot(v.x(), v.y()); }

} // namespace

class tst_AnnotationGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fitBothWays()
    {
        // A 200 × 100 image in a 400 × 400 view: scale 2, letterboxed by 100 above and below.
        const struct { const char* name; QSizeF image, view; QPointF viewPt, imagePt; } cases[] = {
            {"inside", {200, 100}, {400, 400}, {100, 200}, {50, 50}},
            {"left of the image", {200, 100}, {400, 400}, {-30, 250}, {0, 75}},
            {"beyond bottom right", {200, 100}, {400, 400}, {900, 900}, {200, 100}},
            // Degenerate sizes map one to one, still clamped into the image.
            {"empty view", {200, 100}, {0, 300}, {150, 250}, {150, 100}},
            {"negative image", {-5, 100}, {300, 300}, {40, 40}, {0, 40}},
        };
        for (const auto& c : cases)
            QVERIFY2(imagePoint(c.viewPt, c.image, c.view) == c.imagePt, c.name);
        QCOMPARE(viewPoint({50, 50}, {200, 100}, {400, 400}), QPointF(100, 200));
    }

    void arrowHeads()
    {
        const struct { QPointF start, end; double lineWidth, headLength; } cases[] = {
            {{10, 10}, {15, 10}, 4, 5},     // never longer than the arrow
            {{0, 0}, {0, 200}, 4, 16},      // four line widths
            {{50, 50}, {-150, 50}, 2, 12},  // at least 12
            {{0, 0}, {300, 400}, 10, 40},
        };
        for (const auto& c : cases) {
            const auto [left, right] = arrowHead(c.start, c.end, c.lineWidth);
            // Both strokes have the head's length and point back along the shaft, 30° to either side.
            const QPointF back = (c.start - c.end) / length(c.start - c.end);
            for (QPointF outer : {left, right}) {
                QVERIFY(qFuzzyCompare(length(outer - c.end), c.headLength));
                QVERIFY(std::abs(QPointF::dotProduct(outer - c.end, back) / c.headLength - std::cos(M_PI / 6)) < 1e-9);
            }
            QVERIFY(length(left - right) > c.headLength * 0.99); // 60° apart
        }
    }

    void degenerateArrowAndSegment()
    {
        // No direction: both head strokes collapse onto the end.
        QCOMPARE(arrowHead({7, 9}, {7, 9}, 4), std::pair(QPointF(7, 9), QPointF(7, 9)));
        QCOMPARE(distance({50, 12}, {0, 0}, {100, 0}), 12.0);
        QCOMPARE(distance({103, 4}, {0, 0}, {100, 0}), 5.0);  // beyond an end: to that end
        QCOMPARE(distance({-6, -8}, {0, 0}, {100, 0}), 10.0); // before the start
        QCOMPARE(distance({3, 4}, {0, 0}, {0, 0}), 5.0);      // ends coincide
    }

    void openingProjection()
    {
        using E = SpeechBubble::Edge;
        const QRectF box(100, 100, 200, 100); // corner radius 16, base 22, inset 29
        const struct { const char* name; QRectF box; QPointF opening; E edge; QPointF point; } cases[] = {
            {"bottom, free", box, {160, 200}, E::bottom, {160, 200}},
            {"bottom, kept off the corner", box, {110, 230}, E::bottom, {129, 200}},
            {"right side", box, {320, 120}, E::right, {300, 129}},
            // Corners tie: bottom before top before left before right.
            {"bottom-left corner", box, {100, 200}, E::bottom, {129, 200}},
            {"top-right corner", box, {300, 100}, E::top, {271, 100}},
            {"narrow box: the middle, within a pixel", {0, 0, 20, 100}, {2, 100}, E::bottom, {9, 100}},
        };
        for (const auto& c : cases) {
            const auto o = SpeechBubble::openingProjection(c.box, c.opening, 0.16);
            QVERIFY2(o.edge == c.edge && o.point == c.point, c.name);
        }
    }

    void splicedOutline()
    {
        const QRectF box(100, 100, 200, 100);
        const QPainterPath path = SpeechBubble::spliced(box, {150, 260}, {160, 200}, 0.16);
        // The tail reaches the tip and the bubble stays closed around its body.
        QVERIFY(path.contains(QPointF(150, 240)));
        QVERIFY(path.contains(box.center()));
        QVERIFY(!path.contains(QPointF(250, 240)));
        QVERIFY(!path.contains(QPointF(101, 101))); // rounded corner cut away
        QCOMPARE(path.boundingRect().bottom(), 260.0);
    }

    void degenerateBubbles()
    {
        // Flat boxes (a purely sideways drag) and a tip on the centre.
        const std::pair<QRectF, QPointF> cases[] = {{QRectF(10, 50, 200, 0), QPointF(40, 120)},
                                                    {QRectF(10, 50, 200, 0), QPointF(300, 50)},
                                                    {QRectF(10, 50, 0, 0), QPointF(10, 50)},
                                                    {QRectF(0, 0, 100, 60), QPointF(50, 30)}};
        for (const auto& [box, tip] : cases) {
            for (const QRectF& c : SpeechBubble::thoughtCircles(box, tip))
                QVERIFY(finite(c) && c.width() >= 4);
            QVERIFY(finite(SpeechBubble::spliced(box, tip, box.bottomLeft(), 0.16).boundingRect()));
        }
    }

    void thoughtCirclesTowardsTip()
    {
        const QRectF box(0, 0, 200, 100);
        const auto c = SpeechBubble::thoughtCircles(box, {100, 200});
        // Straight down, the ellipse is left at (100, 100); the circles sit a
        // quarter and three quarters of the way to the tip, shrinking outwards.
        QCOMPARE(c[0].center(), QPointF(100, 125));
        QCOMPARE(c[2].center(), QPointF(100, 175));
        QVERIFY(qFuzzyCompare(c[0].width(), 16.5));
        QVERIFY(c[0].width() > c[1].width() && c[1].width() > c[2].width());
        // A tip on the centre hangs the circles straight below it.
        const auto centred = SpeechBubble::thoughtCircles(box, box.center());
        QVERIFY(centred[0].center().x() == 100 && centred[0].center().y() > 50);
        // A tiny bubble keeps circles of at least 4 pixels.
        QCOMPARE(SpeechBubble::thoughtCircles(QRectF(0, 0, 10, 10), {5, 40})[2].width(), 4.0);
    }
};

ZENTU_TEST_MAIN(tst_AnnotationGeometry)
#include "tst_annotationgeometry.moc"
