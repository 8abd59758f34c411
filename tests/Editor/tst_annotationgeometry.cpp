// Annotation geometry where it can go wrong: view points outside the picture
// or on an empty view, arrows without a direction, and speech bubbles on flat
// boxes or with the tip on the centre (no NaN may reach the painter).
#include "Editor/AnnotationGeometry.h"
#include "support/IsolatedEnvironment.h"

#include <cmath>

using namespace AnnotationGeometry;

namespace {

bool finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

} // namespace

class tst_AnnotationGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void viewPointsAreClampedIntoThePicture()
    {
        // A 200 × 100 image in a 400 × 400 view: scale 2, letterboxed by 100 above and below.
        const struct { const char* name; QSizeF image, view; QPointF viewPt, imagePt; } cases[] = {
            {"inside", {200, 100}, {400, 400}, {100, 200}, {50, 50}},
            {"beyond bottom right", {200, 100}, {400, 400}, {900, 900}, {200, 100}},
            {"empty view", {200, 100}, {0, 300}, {150, 250}, {150, 100}},
            {"negative image", {-5, 100}, {300, 300}, {40, 40}, {0, 40}},
        };
        for (const auto& c : cases)
            QVERIFY2(imagePoint(c.viewPt, c.image, c.view) == c.imagePt, c.name);
        QCOMPARE(arrowHead({7, 9}, {7, 9}, 4), std::pair(QPointF(7, 9), QPointF(7, 9)));
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
};

ZENTU_TEST_MAIN(tst_AnnotationGeometry)
#include "tst_annotationgeometry.moc"
