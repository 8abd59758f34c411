// Pixelation cells on a grid through the picture's middle; blur against a
// Gaussian of the strength's sigma computed here, with the picture's edges
// extended; out-of-range strengths held. Plus the promise the renderer relies
// on: a rectangle processed alone equals the same rectangle of the whole
// picture; and the byte-bounded preview cache.
#include "Editor/BlurPreviewCache.h"
#include "Editor/BlurProcessor.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QRandomGenerator>
#include <cmath>
#include <vector>

namespace {

QImage noise(int w, int h, quint32 seed, bool translucent = false)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = translucent ? int(rng.bounded(256)) : 255;
            line[x] = qPremultiply(qRgba(rng.bounded(256), rng.bounded(256), rng.bounded(256), a));
        }
    }
    return image;
}

// Bright blocks on dark ground: hard edges in both directions and at the border.
QImage blocks(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, ((x / 17 + y / 13) % 2) ? qRgb(240, 200, 30) : qRgb(10, 40, 90));
    return image;
}

int channel(QRgb p, int c)
{
    return int((p >> (8 * c)) & 0xff);
}

// Separable Gaussian in double, edge pixels repeated, kernel out to 4 sigma.
std::vector<double> referenceGaussian(const QImage& src, double sigma)
{
    const int W = src.width(), H = src.height(), r = int(std::ceil(4 * sigma));
    std::vector<double> k(size_t(2 * r + 1));
    double total = 0;
    for (int i = -r; i <= r; ++i)
        total += k[size_t(i + r)] = std::exp(-double(i) * i / (2 * sigma * sigma));
    for (double& v : k)
        v /= total;
    // One pass along x (dx 1) or y; `at` reads channel c of the pass's input at x, y.
    const auto pass = [&](int dx, const auto& at) {
        std::vector<double> out(size_t(W) * H * 4);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int c = 0; c < 4; ++c)
                    for (int i = -r; i <= r; ++i)
                        out[(size_t(y) * W + x) * 4 + c] += k[size_t(i + r)]
                            * at(std::clamp(x + i * dx, 0, W - 1), std::clamp(y + i * (1 - dx), 0, H - 1), c);
        return out;
    };
    const std::vector<double> mid = pass(1, [&](int x, int y, int c) { return double(channel(src.pixel(x, y), c)); });
    return pass(0, [&](int x, int y, int c) { return mid[(size_t(y) * W + x) * 4 + c]; });
}

double maxDifference(const QImage& image, const std::vector<double>& reference)
{
    double worst = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 4; ++c)
                worst = std::max(worst, std::abs(channel(image.pixel(x, y), c) -
                                                 reference[(size_t(y) * image.width() + x) * 4 + c]));
    return worst;
}

} // namespace

class TestBlurProcessor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixelationCellsGrowFromTheMiddle()
    {
        // At full strength the cells are 60 pixels wide on a grid whose lines
        // cross at the picture's middle: a 40 × 40 square just past it is one cell.
        const QImage src = noise(151, 98, 7);
        const QImage out = BlurProcessor::process(src, BlurStyle::pixelated, 100);
        const QImage centre = out.copy(80, 55, 40, 40);
        QCOMPARE(centre, filledImage(40, 40, centre.pixelColor(0, 0), QImage::Format_ARGB32_Premultiplied));
        QVERIFY(out.pixel(74, 55) != centre.pixel(0, 0) && out.pixel(80, 48) != centre.pixel(0, 0));
        // Out-of-range strengths are held to 0 and 100; a flat picture stays flat up to its edges.
        QCOMPARE(BlurProcessor::process(src, BlurStyle::pixelated, 250), out);
        QCOMPARE(BlurProcessor::process(src, BlurStyle::pixelated, std::nan("")),
                 BlurProcessor::process(src, BlurStyle::pixelated, 0));
        const QImage flat = filledImage(90, 50, QColor(200, 120, 40), QImage::Format_ARGB32_Premultiplied);
        for (const BlurStyle style : {BlurStyle::gaussian, BlurStyle::pixelated})
            QCOMPARE(BlurProcessor::process(flat, style, 100), flat);
    }

    void gaussianMatchesItsSigma_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("sigma");
        QTest::addColumn<double>("tolerance");
        // Small sigmas use the sampled kernel: off by rounding only. Larger
        // ones are box passes of the same variance: within 1.5 % of the
        // pattern's contrast of 230 levels, even with edges as close as sigma.
        QTest::newRow("0: sigma 0.5") << 0.0 << 0.5 << 1.0;
        QTest::newRow("20: sigma 2.08") << 20.0 << 2.08 << 1.0;
        QTest::newRow("50: sigma 10.375") << 50.0 << 10.375 << 3.45;
        QTest::newRow("100: sigma 40") << 100.0 << 40.0 << 3.45;
        QTest::newRow("250 as 100") << 250.0 << 40.0 << 3.45;
    }
    void gaussianMatchesItsSigma()
    {
        QFETCH(double, amount);
        QFETCH(double, sigma);
        QFETCH(double, tolerance);
        const QImage src = blocks(97, 64);
        const QImage out = BlurProcessor::process(src, BlurStyle::gaussian, amount);
        QCOMPARE(out.size(), src.size());
        const double difference = maxDifference(out, referenceGaussian(src, sigma));
        QVERIFY2(difference <= tolerance, qPrintable(QStringLiteral("off by %1 levels").arg(difference)));
    }

    void aRectangleAloneEqualsThatRectangleOfTheWhole()
    {
        const QImage src = noise(230, 170, 3, true);
        const QRect rects[] = {QRect(60, 40, 50, 30), QRect(0, 0, 31, 170), QRect(200, 150, 100, 100),
                               QRect(115, 85, 1, 1)};
        for (const BlurStyle style : {BlurStyle::gaussian, BlurStyle::pixelated})
            for (const double amount : {0.0, 30.0, 77.0, 100.0}) {
                const QImage whole = BlurProcessor::process(src, style, amount);
                for (const QRect& r : rects) {
                    const QRect clipped = r.intersected(src.rect());
                    QCOMPARE(BlurProcessor::processRect(src, style, amount, r), whole.copy(clipped));
                }
            }
        QVERIFY(BlurProcessor::processRect(src, BlurStyle::gaussian, 30, QRect(400, 0, 10, 10)).isNull());
        QVERIFY(BlurProcessor::process(QImage(), BlurStyle::gaussian, 50).isNull());
    }

    void previewCacheIsBoundedAndDropsTheLeastRecentlyUsed()
    {
        const QImage src = noise(64, 64, 5);
        const qsizetype one = src.sizeInBytes();
        BlurPreviewCache cache(3 * one);
        const QImage first = cache.blurred(src, BlurStyle::pixelated, 10);
        QCOMPARE(cache.blurred(src, BlurStyle::pixelated, 10.4).cacheKey(), first.cacheKey());
        cache.blurred(src, BlurStyle::pixelated, 20);
        cache.blurred(src, BlurStyle::pixelated, 30);
        QCOMPARE(cache.blurred(src, BlurStyle::pixelated, 10).cacheKey(), first.cacheKey()); // now most recent
        cache.blurred(src, BlurStyle::pixelated, 40);                                         // evicts 20
        QCOMPARE(cache.count(), 3);
        QVERIFY(cache.bytes() <= 3 * one);
        QCOMPARE(cache.blurred(src, BlurStyle::pixelated, 10).cacheKey(), first.cacheKey());
        // A different picture never gets the old picture's results.
        const QImage other = noise(64, 64, 6);
        QCOMPARE(cache.blurred(other, BlurStyle::pixelated, 10), BlurProcessor::process(other, BlurStyle::pixelated, 10));
        // A result larger than the whole budget is handed out but not kept.
        BlurPreviewCache tiny(one / 2);
        QVERIFY(!tiny.blurred(src, BlurStyle::gaussian, 10).isNull());
        QCOMPARE(tiny.count(), 0);
    }
};

ZENTU_TEST_MAIN(TestBlurProcessor)
#include "tst_blurprocessor.moc"
