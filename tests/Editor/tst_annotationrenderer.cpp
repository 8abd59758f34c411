// The flattened picture checked pixel by pixel against geometry worked out
// here: ink wherever a pixel lies well inside a stroke's outline, background
// wherever it lies well outside (the antialiased rim in between is not judged).
// Text uses DejaVu Sans, set as the application font.
#include "Editor/AnnotationRenderer.h"
#include "Editor/BlurProcessor.h"
#include "Editor/CursorAssets.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QRandomGenerator>
#include <cmath>
#include <functional>

namespace {

const QColor Red(230, 50, 50);
const QColor Blue(0, 0, 255);

QImage plain(int w, int h, QColor c = Qt::white) { return filledImage(w, h, c, QImage::Format_RGB32); }

RGBAColor rgba(const QColor& c)
{
    return RGBAColor::fromQColor(c);
}

AnnotationObject make(AnnotationKind kind, QList<QPointF> points, double lineWidth = 4, QColor color = Red)
{
    AnnotationObject a;
    a.kind = kind;
    a.points = std::move(points);
    a.lineWidth = lineWidth;
    a.color = rgba(color);
    return a;
}

double segmentDistance(QPointF p, QPointF a, QPointF b)
{
    const QPointF v = b - a;
    const double len2 = QPointF::dotProduct(v, v);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, v) / len2, 0.0, 1.0) : 0.0;
    const QPointF q = a + t * v - p;
    return std::hypot(q.x(), q.y());
}

bool near(QRgb pixel, const QColor& c, int tolerance = 10)
{
    return std::abs(qRed(pixel) - c.red()) <= tolerance && std::abs(qGreen(pixel) - c.green()) <= tolerance &&
           std::abs(qBlue(pixel) - c.blue()) <= tolerance;
}

// Every pixel whose centre is well inside the ink (distance < half width)
// shows the ink colour; every pixel well outside shows the background.
QString checkInk(const QImage& image, const std::function<double(QPointF)>& distance, double halfWidth,
                 const QColor& ink, const QColor& background)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double d = distance(QPointF(x + 0.5, y + 0.5));
            const QRgb px = image.pixel(x, y);
            if (d < halfWidth - 0.75 && !near(px, ink))
                return QStringLiteral("(%1, %2) should be ink").arg(x).arg(y);
            if (d > halfWidth + 0.75 && !near(px, background))
                return QStringLiteral("(%1, %2) should be background").arg(x).arg(y);
        }
    return {};
}

// Bounding box of the pixels that differ from `background`.
QRect inkBounds(const QImage& image, const QColor& background, const QRect& within = {})
{
    const QRect area = within.isNull() ? image.rect() : within;
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (!near(image.pixel(x, y), background, 40))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage noise(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(99);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(rng.bounded(256), rng.bounded(256), 0));
    return image;
}

} // namespace

class TestAnnotationRenderer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans")));
    }

    void flatteningKeepsSizeAndSkipsEmptyPictures()
    {
        const QImage src = plain(40, 30);
        const QImage out = AnnotationRenderer::render(src, {});
        QCOMPARE(out.size(), src.size());
        QCOMPARE(out.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(out.convertToFormat(QImage::Format_RGB32), src);
        QVERIFY(AnnotationRenderer::render(QImage(), {make(AnnotationKind::line, {{0, 0}, {5, 5}})}).isNull());
    }

    void arrowsHaveOpenSolidHeads()
    {
        const QPointF s(20, 60), e(180, 60);
        AnnotationObject arrow = make(AnnotationKind::arrow, {s, e}, 4);
        const QImage out = AnnotationRenderer::render(plain(220, 120), {arrow});
        // Head strokes of max(12, 4 w) = 16 at ±30° off the reversed shaft.
        const QPointF left = e + 16 * QPointF(-std::cos(M_PI / 6), -0.5), right = e + 16 * QPointF(-std::cos(M_PI / 6), 0.5);
        const auto d = [&](QPointF p) {
            return std::min({segmentDistance(p, s, e), segmentDistance(p, left, e), segmentDistance(p, right, e)});
        };
        const QString failure = checkInk(out, d, 2, Red, Qt::white);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // Dashed arrows keep a solid head.
        arrow.dashed = true;
        arrow.lineWidth = 2;
        const QImage dashed = AnnotationRenderer::render(plain(220, 120), {arrow});
        for (const double t : {0.3, 0.6, 0.9})
            QVERIFY(near(dashed.pixel((e + t * (QPointF(e.x() - 12 * std::cos(M_PI / 6), 54) - e)).toPoint()), Red, 60));
    }

    void rectanglesRoundTheirCornersAndFill()
    {
        // Radius 50 asked, half the shorter side (20) given.
        AnnotationObject rect = make(AnnotationKind::rectangle, {{120, 70}, {20, 30}}, 4);
        rect.cornerRadius = 50;
        rect.fillColor = rgba(Blue);
        const QImage out = AnnotationRenderer::render(plain(140, 100), {rect});
        const QPointF c(70, 50), half(50, 20);
        const double r = 20;
        const auto boundary = [&](QPointF p) {
            // Distance to the outline of a box with rounded corners.
            const QPointF q(std::abs(p.x() - c.x()) - (half.x() - r), std::abs(p.y() - c.y()) - (half.y() - r));
            const double outside = std::hypot(std::max(q.x(), 0.0), std::max(q.y(), 0.0));
            return outside + std::min(std::max(q.x(), q.y()), 0.0) - r;
        };
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const double sd = boundary(QPointF(x + 0.5, y + 0.5));
                const QRgb px = out.pixel(x, y);
                if (std::abs(sd) < 2 - 0.75)
                    QVERIFY2(near(px, Red), qPrintable(QStringLiteral("outline at %1,%2").arg(x).arg(y)));
                else if (sd < -2.75)
                    QVERIFY2(near(px, Blue), qPrintable(QStringLiteral("fill at %1,%2").arg(x).arg(y)));
                else if (sd > 2.75)
                    QVERIFY2(near(px, Qt::white), qPrintable(QStringLiteral("outside at %1,%2").arg(x).arg(y)));
            }
    }

    void freehandNeedsTwoPointsAndPassesMidpoints()
    {
        QCOMPARE(AnnotationRenderer::render(plain(50, 50), {make(AnnotationKind::freehand, {{25, 25}}, 6)}),
                 plain(50, 50).convertToFormat(QImage::Format_ARGB32_Premultiplied));
        const QImage two = AnnotationRenderer::render(plain(100, 50), {make(AnnotationKind::freehand, {{10, 25}, {90, 25}}, 6)});
        const QString failure = checkInk(two, [](QPointF p) { return segmentDistance(p, {10, 25}, {90, 25}); }, 3, Red, Qt::white);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // The middle sample is a control point: a quadratic piece from the first
        // sample to the midpoint (70, 50), passing B(0.5) = (45, 40), then straight on.
        const QImage bent = AnnotationRenderer::render(plain(100, 100), {make(AnnotationKind::freehand, {{10, 90}, {50, 10}, {90, 90}}, 4)});
        QVERIFY(near(bent.pixel(45, 40), Red, 60));
        QVERIFY(near(bent.pixel(70, 50), Red, 60));
        QVERIFY(near(bent.pixel(80, 70), Red, 60));
        QVERIFY(near(bent.pixel(50, 12), Qt::white)); // the control point itself is not reached
    }

    void blurAreasShowTheUnannotatedPicture()
    {
        const QImage src = noise(200, 120);
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

    void loupesMagnifyThePictureAboutTheirCentre_data()
    {
        QTest::addColumn<std::optional<double>>("magnification");
        QTest::addColumn<double>("zoom");
        QTest::newRow("absent: 2.2") << std::optional<double>() << 2.2;
        QTest::newRow("1 raised to 1.2") << std::optional<double>(1.0) << 1.2;
        QTest::newRow("4") << std::optional<double>(4.0) << 4.0;
    }
    void loupesMagnifyThePictureAboutTheirCentre()
    {
        QFETCH(std::optional<double>, magnification);
        QFETCH(double, zoom);
        // Red grows with x, green with y: each pixel names where it came from.
        QImage src(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                src.setPixel(x, y, qRgb(x, y, 0));
        const QPointF c(120, 136);
        const double radius = 50;
        AnnotationObject crossing = make(AnnotationKind::arrow, {{0, 136}, {250, 136}}, 6, Blue);
        AnnotationObject loupe = make(AnnotationKind::magnifier, {c - QPointF(radius, radius), c + QPointF(radius, radius)}, 1, Qt::black);
        loupe.magnification = magnification;
        const QImage out = AnnotationRenderer::render(src, {crossing, loupe});
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const QPointF p(x + 0.5, y + 0.5);
                const double r = std::hypot(p.x() - c.x(), p.y() - c.y());
                const QRgb px = out.pixel(x, y);
                if (r < radius - 2) {
                    // Sampled where the zoom maps the pixel back to; no trace of the arrow.
                    const QPointF from = c + (p - c) / zoom - QPointF(0.5, 0.5);
                    QVERIFY2(std::abs(qRed(px) - from.x()) <= 1.5 && std::abs(qGreen(px) - from.y()) <= 1.5 && qBlue(px) == 0,
                             qPrintable(QStringLiteral("inside at %1,%2").arg(x).arg(y)));
                } else if (std::abs(r - radius) < 0.25) {
                    QVERIFY2(qRed(px) < 60 && qGreen(px) < 60, "ring at least 2 wide"); // line width 1 drawn 2 wide
                } else if (r > radius + 2 && std::abs(p.y() - 136) < 2 && x < 245) {
                    QVERIFY(near(px, Blue));
                }
            }
    }

    void textLinesStackByTheirLineHeight()
    {
        const QString font = QStringLiteral("DejaVu Sans");
        QFont reference(font);
        reference.setPixelSize(28);
        const QFontMetricsF m(reference);
        const double lh = m.ascent() + m.descent() + m.leading();
        // Capitals only, so the first line's ink starts at the cap height.
        const QSizeF size = AnnotationRenderer::textSize("HI\n\nWORLD", 28, font);
        QVERIFY(std::abs(size.height() - 3 * lh) < 1.5);
        QVERIFY(std::abs(size.width() - m.horizontalAdvance("WORLD")) < 1.5);
        QVERIFY(std::abs(AnnotationRenderer::textSize("", 28, font).height() - lh) < 0.5);

        AnnotationObject text = make(AnnotationKind::text, {{30, 20}}, 1, Qt::black);
        text.text = QStringLiteral("HI\n\nWORLD");
        text.fontName = font;
        const QImage out = AnnotationRenderer::render(plain(300, 200), {text});
        const QRect first = inkBounds(out, Qt::white, QRect(0, 0, 300, int(20 + lh)));
        const QRect gap = inkBounds(out, Qt::white, QRect(0, int(20 + lh) + 1, 300, int(lh) - 2));
        const QRect third = inkBounds(out, Qt::white, QRect(0, int(20 + 2 * lh), 300, int(lh) + 1));
        QVERIFY(gap.isNull());
        // The empty line keeps its height: the third line starts two line heights down.
        QVERIFY(!first.isNull() && std::abs(third.top() - first.top() - 2 * lh) <= 1.5);
    }

    void speechBubblesHaveTailsTextAndThoughtCircles()
    {
        AnnotationObject bubble = make(AnnotationKind::speechBubble, {{40, 40}, {240, 140}}, 1, Red);
        bubble.text = QStringLiteral("Hallo");
        bubble.fontName = QStringLiteral("DejaVu Sans");
        const QImage out = AnnotationRenderer::render(plain(300, 240, Qt::black), {bubble});
        QVERIFY(near(out.pixel(140, 40), Red, 80)); // outline, 1.5 wide
        QVERIFY(near(out.pixel(230, 130), Qt::white)); // white body
        // Default tail: under the left part, reaching (88, 190).
        QVERIFY(near(out.pixel(88, 188), Red, 120) || near(out.pixel(88, 189), Red, 120));
        QVERIFY(near(out.pixel(88, 194), Qt::black));
        // Dark text inside the body.
        QVERIFY(!inkBounds(out, Qt::white, QRect(50, 50, 180, 80)).isNull());

        bubble.bubbleStyle = SpeechBubbleStyle::thought;
        bubble.text.reset();
        bubble.points.append(QPointF(140, 230)); // tip straight below
        bubble.points.append(QPointF(40, 140));  // base: ignored by thought bubbles
        const QImage thought = AnnotationRenderer::render(plain(300, 240, Qt::black), {bubble});
        // Ellipse body: the box corner stays dark; three white circles between body and tip.
        QVERIFY(near(thought.pixel(42, 138), Qt::black));
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
        // At its own size the picture is copied pixel for pixel, hotspot on the point.
        AnnotationObject cursor = make(AnnotationKind::cursor, {{100, 100}}, 1, Red);
        cursor.cursorSize = 180;
        const QImage out = AnnotationRenderer::render(plain(300, 300), {cursor});
        const QImage picture = CursorAssets::image("solid_arrow");
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x) {
                const QPoint q(x - 64, y - 76); // (100, 100) - (36, 24)
                QRgb expected = 0xffffffffu;
                if (picture.rect().contains(q)) {
                    const QRgb s = picture.pixel(q);
                    const int k = 255 - qAlpha(s);
                    expected = qRgb(qRed(s) + (255 * k + 127) / 255, qGreen(s) + (255 * k + 127) / 255,
                                    qBlue(s) + (255 * k + 127) / 255);
                }
                QVERIFY2(near(out.pixel(x, y), QColor(expected), 1), qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }

        // An unknown style draws nothing but keeps the fallback hotspot the
        // record's bounding box uses, so selection and picture agree.
        QCOMPARE(CursorAssets::hotspot("no_such_style"), QPointF(0.2, 0.13));
        cursor.cursorStyle = QStringLiteral("no_such_style");
        cursor.cursorSize = 100;
        QCOMPARE(cursor.boundingBox(), QRectF(80, 87, 100, 100));
        QCOMPARE(AnnotationRenderer::render(plain(300, 300), {cursor}),
                 plain(300, 300).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    void embeddedPicturesAreStretchedAndHostileOnesSkipped()
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
    }

    void unusableNumbersSkipOnlyTheirAnnotation()
    {
        AnnotationObject broken = make(AnnotationKind::line, {{10, 10}, {std::nan(""), 50}}, 4);
        AnnotationObject huge = make(AnnotationKind::badge, {{50, 30}}, 1);
        huge.badgeSize = 1e300;
        huge.fontSize = std::numeric_limits<double>::infinity();
        AnnotationObject loupe = make(AnnotationKind::magnifier, {{0, 0}, {40, 40}}, std::nan(""));
        loupe.magnification = 1e12;
        AnnotationObject blur = make(AnnotationKind::blur, {{-1e300, 0}, {1e300, 20}});
        blur.blurAmount = std::nan("");
        AnnotationObject fine = make(AnnotationKind::line, {{0, 55}, {100, 55}}, 4, Blue);
        const QImage out = AnnotationRenderer::render(plain(100, 60), {broken, huge, loupe, blur, fine});
        QCOMPARE(out.size(), QSize(100, 60));
        QVERIFY(near(out.pixel(50, 55), Blue));
    }
};

ZENTU_TEST_MAIN(TestAnnotationRenderer)
#include "tst_annotationrenderer.moc"
