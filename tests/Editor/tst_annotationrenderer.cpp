// The flattened picture: strokes where their points say, blur areas and loupes
// reading the unannotated picture, bubbles, cursors on their hotspot, and
// hostile pictures or numbers skipped alone. The geometry where it can go
// wrong: view points outside the picture, arrows without a direction, bubbles
// on flat boxes or with the tip on the centre (no NaN may reach the painter).
// Text uses DejaVu Sans, set as the application font.
#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/BlurProcessor.h"
#include "Editor/CursorAssets.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <cmath>

namespace {

const QColor Red(230, 50, 50);
const QColor Blue(0, 0, 255);

QImage plain(int w, int h, QColor c = Qt::white) { return filledImage(w, h, c, QImage::Format_RGB32); }

AnnotationObject make(AnnotationKind kind, QList<QPointF> points, double lineWidth = 4, QColor color = Red)
{
    AnnotationObject a;
    a.kind = kind;
    a.points = std::move(points);
    a.lineWidth = lineWidth;
    a.color = RGBAColor::fromQColor(color);
    return a;
}

bool finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

bool near(QRgb pixel, const QColor& c, int tolerance = 10)
{
    return std::abs(qRed(pixel) - c.red()) <= tolerance && std::abs(qGreen(pixel) - c.green()) <= tolerance &&
           std::abs(qBlue(pixel) - c.blue()) <= tolerance;
}

// Bounding box of the pixels that differ from `background`.
QRect inkBounds(const QImage& image, const QColor& background, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!near(image.pixel(x, y), background, 40))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestAnnotationRenderer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans"))); }

    void strokesLieOnTheirPoints()
    {
        QCOMPARE(AnnotationRenderer::render(plain(40, 30), {}).convertToFormat(QImage::Format_RGB32), plain(40, 30));
        QVERIFY(AnnotationRenderer::render(QImage(), {make(AnnotationKind::line, {{0, 0}, {5, 5}})}).isNull());
        AnnotationObject rounded = make(AnnotationKind::rectangle, {{180, 100}, {20, 20}});
        rounded.cornerRadius = 50; // at most half the shorter side
        rounded.fillColor = RGBAColor::fromQColor(Blue);
        const struct { const char* name; AnnotationObject a; QList<QPoint> ink, fill, background; } cases[] = {
            {"line", make(AnnotationKind::line, {{20, 60}, {180, 60}}), {{100, 60}, {22, 60}}, {}, {{100, 66}, {185, 60}}},
            {"arrow with an open head", make(AnnotationKind::arrow, {{20, 60}, {180, 60}}), {{100, 60}, {168, 53}, {168, 67}},
             {}, {{160, 48}, {172, 40}}},
            {"rounded filled rectangle", rounded, {{100, 20}, {20, 60}}, {{100, 60}}, {{23, 23}, {100, 106}}},
            {"ellipse", make(AnnotationKind::ellipse, {{20, 20}, {180, 100}}), {{100, 20}, {180, 60}}, {}, {{24, 24}, {100, 60}}},
            {"freehand", make(AnnotationKind::freehand, {{10, 25}, {90, 25}}), {{50, 25}}, {}, {{50, 32}}},
            {"freehand single point", make(AnnotationKind::freehand, {{25, 25}}), {}, {}, {{25, 25}}},
        };
        for (const auto& c : cases) {
            const QImage out = AnnotationRenderer::render(plain(200, 120), {c.a});
            for (QPoint p : c.ink)
                QVERIFY2(near(out.pixel(p), Red, 30), c.name);
            for (QPoint p : c.fill)
                QVERIFY2(near(out.pixel(p), Blue), c.name);
            for (QPoint p : c.background)
                QVERIFY2(near(out.pixel(p), Qt::white), c.name);
        }
    }

    void blurAreasShowTheUnannotatedPicture()
    {
        QImage src(200, 120, QImage::Format_RGB32);
        QRandomGenerator rng(99);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                src.setPixel(x, y, qRgb(rng.bounded(256), rng.bounded(256), 0));
        AnnotationObject stroke = make(AnnotationKind::line, {{0, 60}, {200, 60}}, 12, Blue);
        AnnotationObject first = make(AnnotationKind::blur, {{30, 20}, {110, 100}});
        first.blurStyle = BlurStyle::pixelated;
        first.blurAmount = 50;
        AnnotationObject second = first; // overlapping, same style and amount
        second.points = {{90, 40}, {150, 110}};
        AnnotationObject gauss = make(AnnotationKind::blur, {{160, 0}, {200, 50}});
        gauss.blurStyle = BlurStyle::gaussian;
        gauss.blurAmount = 30;
        const QImage out = AnnotationRenderer::render(src, {stroke, first, second, gauss});
        const QImage pixelated = BlurProcessor::process(src, BlurStyle::pixelated, 50);
        const QImage blurred = BlurProcessor::process(src, BlurStyle::gaussian, 30);
        const QRect a(30, 20, 80, 80), b(90, 40, 60, 70), g(160, 0, 40, 50);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                const QPoint p(x, y);
                QRgb expected;
                if (a.contains(p) || b.contains(p))
                    expected = pixelated.pixel(p);
                else if (g.contains(p))
                    expected = blurred.pixel(p);
                else if (std::abs(y + 0.5 - 60) < 5)
                    expected = Blue.rgb();
                else if (std::abs(y + 0.5 - 60) > 7)
                    expected = src.pixel(p);
                else
                    continue;
                QVERIFY2(out.pixel(p) == (expected | 0xff000000u), qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }
    }

    void loupesMagnifyTheUnannotatedPictureAboutTheirCentre()
    {
        // Red grows with x, green with y: each pixel names where it came from.
        QImage src(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                src.setPixel(x, y, qRgb(x, y, 0));
        const QPointF c(120, 136);
        AnnotationObject crossing = make(AnnotationKind::arrow, {{0, 136}, {250, 136}}, 6, Blue);
        AnnotationObject loupe = make(AnnotationKind::magnifier, {c - QPointF(50, 50), c + QPointF(50, 50)}, 1, Qt::black);
        loupe.magnification = 4;
        const QImage out = AnnotationRenderer::render(src, {crossing, loupe});
        // Inside, each pixel comes from a quarter of its distance to the centre; no trace of the arrow.
        for (const QPoint p : {QPoint(120, 136), QPoint(80, 136), QPoint(150, 100), QPoint(100, 170)}) {
            const QPointF from = c + (QPointF(p) + QPointF(0.5, 0.5) - c) / 4 - QPointF(0.5, 0.5);
            const QRgb px = out.pixel(p);
            QVERIFY2(std::abs(qRed(px) - from.x()) <= 1.5 && std::abs(qGreen(px) - from.y()) <= 1.5 && qBlue(px) == 0,
                     qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
        }
        QVERIFY(near(out.pixel(200, 136), Blue)); // the arrow outside
    }

    void speechBubblesHaveTailsTextAndThoughtCircles()
    {
        AnnotationObject bubble = make(AnnotationKind::speechBubble, {{40, 40}, {240, 140}}, 1, Red);
        bubble.text = QStringLiteral("Hallo");
        const QImage out = AnnotationRenderer::render(plain(300, 240, Qt::black), {bubble});
        QVERIFY(near(out.pixel(230, 130), Qt::white)); // white body
        QVERIFY(!near(out.pixel(88, 180), Qt::black)); // the default tail below the left part
        QVERIFY(!inkBounds(out, Qt::white, QRect(50, 50, 180, 80)).isNull()); // dark text inside

        // A thought bubble: three white circles between the body and a tip straight below.
        bubble.bubbleStyle = SpeechBubbleStyle::thought;
        bubble.points << QPointF(140, 230) << QPointF(40, 140);
        const QImage thought = AnnotationRenderer::render(plain(300, 240, Qt::black), {bubble});
        int circles = 0;
        bool inCircle = false;
        for (int y = 142; y < 235; ++y) {
            const bool white = near(thought.pixel(140, y), Qt::white, 60);
            circles += white && !inCircle;
            inCircle = white;
        }
        QCOMPARE(circles, 3);
    }

    void cursorsPutTheirHotspotOnThePoint()
    {
        // At its own size on a clear picture the cursor is copied as it is, hotspot on the point.
        AnnotationObject cursor = make(AnnotationKind::cursor, {{100, 100}}, 1, Red);
        cursor.cursorSize = 180;
        const QImage clear = filledImage(300, 300, Qt::transparent, QImage::Format_ARGB32_Premultiplied);
        const QImage picture = CursorAssets::image("solid_arrow").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QPoint topLeft = QPoint(100, 100) - (CursorAssets::hotspot("solid_arrow") * 180).toPoint();
        const QImage out = AnnotationRenderer::render(clear, {cursor});
        QCOMPARE(out.copy(QRect(topLeft, picture.size())), picture);

        // An unknown style draws nothing but keeps the fallback hotspot the
        // record's bounding box uses, so selection and picture agree.
        QCOMPARE(CursorAssets::hotspot("no_such_style"), QPointF(0.2, 0.13));
        cursor.cursorStyle = QStringLiteral("no_such_style");
        cursor.cursorSize = 100;
        QCOMPARE(cursor.boundingBox(), QRectF(80, 87, 100, 100));
        QCOMPARE(AnnotationRenderer::render(clear, {cursor}), clear);
    }

    void hostilePicturesAndNumbersSkipOnlyTheirAnnotation()
    {
        QImage picture(2, 1, QImage::Format_RGB32);
        picture.setPixel(0, 0, qRgb(255, 0, 0));
        picture.setPixel(1, 0, qRgb(0, 0, 255));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        AnnotationObject image = make(AnnotationKind::image, {{10, 10}, {90, 50}});
        image.imageData = png;
        // A header promising 40 GB of pixels.
        AnnotationObject hostile = make(AnnotationKind::image, {{0, 0}, {100, 60}});
        hostile.imageData = QByteArray("P6\n100000 100000\n255\n") + QByteArray(64, '\x7f');
        QVERIFY(AnnotationRenderer::decodeEmbeddedImage(*hostile.imageData).isNull());
        const QImage out = AnnotationRenderer::render(plain(100, 60), {image, hostile});
        QVERIFY(near(out.pixel(20, 30), Qt::red, 20));
        QVERIFY(near(out.pixel(80, 30), Qt::blue, 20));
        QVERIFY(near(out.pixel(5, 30), Qt::white, 0));

        AnnotationObject broken = make(AnnotationKind::line, {{10, 10}, {std::nan(""), 50}}, 4);
        AnnotationObject huge = make(AnnotationKind::badge, {{50, 30}}, 1);
        huge.badgeSize = 1e300;
        huge.fontSize = std::numeric_limits<double>::infinity();
        AnnotationObject loupe = make(AnnotationKind::magnifier, {{0, 0}, {40, 40}}, std::nan(""));
        loupe.magnification = 1e12;
        AnnotationObject blur = make(AnnotationKind::blur, {{-1e300, 0}, {1e300, 20}});
        blur.blurAmount = std::nan("");
        AnnotationObject fine = make(AnnotationKind::line, {{0, 55}, {100, 55}}, 4, Blue);
        const QImage numbers = AnnotationRenderer::render(plain(100, 60), {broken, huge, loupe, blur, fine});
        QCOMPARE(numbers.size(), QSize(100, 60));
        QVERIFY(near(numbers.pixel(50, 55), Blue));
    }
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
            QVERIFY2(AnnotationGeometry::imagePoint(c.viewPt, c.image, c.view) == c.imagePt, c.name);
        QCOMPARE(AnnotationGeometry::arrowHead({7, 9}, {7, 9}, 4), std::pair(QPointF(7, 9), QPointF(7, 9)));
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

ZENTU_TEST_MAIN(TestAnnotationRenderer)
#include "tst_annotationrenderer.moc"
