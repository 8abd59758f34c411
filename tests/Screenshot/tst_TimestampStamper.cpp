// The date stamp: the label in the locale's format, the plate drawn in the
// lower right corner only, transparency and empty pictures left alone.
#include "Screenshot/TimestampStamper.h"
#include "support/IsolatedEnvironment.h"

class TestTimestampStamper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stampDrawsTheLabelOnAPlateInTheCorner()
    {
        const QDateTime date(QDate(2026, 12, 6), QTime(17, 4));
        QCOMPARE(TimestampStamper::label(date, QStringLiteral("de_DE")), QStringLiteral("06.12.2026, 17:04"));
        QImage image(1200, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QImage stamped = TimestampStamper::stamp(image, date);
        QCOMPARE(stamped.size(), image.size());
        // Dark plate pixels with light text on them, near the corner only.
        int dark = 0, text = 0;
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 1200; ++x) {
                const int red = stamped.pixelColor(x, y).red();
                dark += red < 140;
                text += red > 200 && x > 0 && stamped.pixelColor(x - 1, y).red() < 140;
                if (red != 255 && (x < 600 || y < 600))
                    QFAIL(qPrintable(QStringLiteral("changed at %1,%2").arg(x).arg(y)));
            }
        QVERIFY(dark > 1000 && text > 5);

        QImage clear(400, 300, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        QCOMPARE(qAlpha(TimestampStamper::stamp(clear, date).pixel(0, 0)), 0);
        QVERIFY(TimestampStamper::stamp(QImage(), date).isNull());
    }
};

ZENTU_TEST_MAIN(TestTimestampStamper)
#include "tst_TimestampStamper.moc"
