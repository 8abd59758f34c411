// The ten pointer pictures: size, transparent ground, tip on the hotspot,
// the look of each family, click variants sharing their base picture.
#include "Editor/CursorAssets.h"
#include "Models/AnnotationObject.h"
#include "support/IsolatedEnvironment.h"

namespace {

const QStringList families = {"solid", "soft", "wire", "frosted", "windows"};

// The ink pixel (alpha above half) nearest to the top edge, leftmost of its row.
QPoint topmostInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                return {x, y};
    return {-1, -1};
}

} // namespace

class TestCursorAssets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureHasItsTipOnTheHotspot()
    {
        for (const QString& family : families)
            for (const QString shape : {"arrow", "pointer"}) {
                const QString style = family + "_" + shape;
                const QImage picture = CursorAssets::image(style);
                QVERIFY2(!picture.isNull(), qPrintable(style));
                QCOMPARE(picture.size(), QSize(180, 180));
                QVERIFY(picture.hasAlphaChannel());
                for (const QPoint corner : {QPoint(0, 0), QPoint(179, 0), QPoint(0, 179), QPoint(179, 179)})
                    QCOMPARE(qAlpha(picture.pixel(corner)), 0);
                const QPointF hot = CursorAssets::hotspot(style) * 180;
                // Ink at the hotspot (the frosted look is two-thirds opaque).
                QVERIFY2(qAlpha(picture.pixel(hot.toPoint())) > 160, qPrintable(style));
                // Nothing reaches above the tip beyond the outline's width.
                const QPoint top = topmostInk(picture);
                QVERIFY2(hot.y() - top.y() <= 8 && std::abs(top.x() - hot.x()) <= 8, qPrintable(style));
            }
    }

    void familiesDifferInTheirLook()
    {
        // A point well inside each shape: the arrow's body, the hand's palm.
        for (const auto& [shape, inside] : {std::pair{QStringLiteral("arrow"), QPoint(51, 74)},
                                            std::pair{QStringLiteral("pointer"), QPoint(96, 134)}}) {
            const auto at = [&](const QString& family) {
                return CursorAssets::image(family + "_" + shape).pixel(inside);
            };
            QCOMPARE(at("solid"), qRgba(0, 0, 0, 255));
            QCOMPARE(at("soft"), qRgba(255, 255, 255, 255));
            QCOMPARE(at("windows"), qRgba(255, 255, 255, 255));
            QCOMPARE(qAlpha(at("wire")), 0);
            const QRgb frosted = at("frosted");
            QVERIFY(qAbs(qAlpha(frosted) - 170) <= 2 && qAbs(qRed(qUnpremultiply(frosted)) - 233) <= 2);
        }
    }

    void clickVariantsAndUnknownNames()
    {
        QCOMPARE(CursorAssets::image("frosted_arrowClick").cacheKey(), CursorAssets::image("frosted_arrow").cacheKey());
        QCOMPARE(CursorAssets::image("windows_ptrClick").cacheKey(), CursorAssets::image("windows_pointer").cacheKey());
        QCOMPARE(CursorAssets::image("solid_arrow").cacheKey(), CursorAssets::image("solid_arrow").cacheKey());
        QVERIFY(CursorAssets::image("chrome_arrow").isNull());
        QVERIFY(CursorAssets::image("").isNull());
        QCOMPARE(CursorAssets::hotspot("soft_arrowClick"), QPointF(0.2, 0.13333));
        // One fallback for every reader, the record's bounding box included.
        QCOMPARE(CursorAssets::hotspot("no_such_style"), QPointF(0.2, 0.13));
        AnnotationObject cursor;
        cursor.kind = AnnotationKind::cursor;
        cursor.points = {QPointF(100, 100)};
        cursor.cursorStyle = QStringLiteral("no_such_style");
        cursor.cursorSize = 100;
        QCOMPARE(cursor.boundingBox(), QRectF(80, 87, 100, 100));
    }
};

ZENTU_TEST_MAIN(TestCursorAssets)
#include "tst_cursorassets.moc"
