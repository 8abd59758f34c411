// The label's locale formats, and the plate's
// pixels in a real stamp.
#include "Screenshot/TimestampStamper.h"
#include "support/IsolatedEnvironment.h"

class TestTimestampStamper : public QObject {
    Q_OBJECT
private Q_SLOTS:

    void labelFollowsTheLocale()
    {
        const QDateTime date(QDate(2026, 12, 6), QTime(17, 4));
        QCOMPARE(TimestampStamper::label(date, QStringLiteral("de_DE")), QStringLiteral("06.12.2026, 17:04"));
        const QString us = TimestampStamper::label(date, QStringLiteral("en_US"));
        QVERIFY2(us.startsWith(QStringLiteral("Dec 6, 2026")) && us.contains(QStringLiteral("5:04")), qPrintable(us));
        QVERIFY(!TimestampStamper::label(date).isEmpty());
    }

    void stampDrawsThePlateInTheCorner()
    {
        QImage image(1200, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QImage stamped = TimestampStamper::stamp(image, QDateTime(QDate(2026, 12, 6), QTime(9, 5)));
        QCOMPARE(stamped.size(), image.size());
        // Inside the plate near its lower edge, clear of the rounded corner and the text:
        // white under 52 % black.
        const QColor plate = stamped.pixelColor(1200 - 16 - 12, 800 - 16 - 2);
        QVERIFY2(qAbs(plate.red() - 122) <= 2, qPrintable(QString::number(plate.red())));
        // The margin stays untouched, and so does the rest of the picture.
        QCOMPARE(stamped.pixelColor(1200 - 15, 800 - 15), QColor(Qt::white));
        QCOMPARE(stamped.pixelColor(1200 - 30, 800 - 15), QColor(Qt::white));
        QCOMPARE(stamped.pixelColor(600, 400), QColor(Qt::white));
        // Some text pixels are white again inside the plate's dark area.
        int bright = 0;
        for (int x = 900; x < 1184; ++x)
            for (int y = 740; y < 784; ++y)
                if (stamped.pixelColor(x, y).red() > 200 && stamped.pixelColor(x - 1, y).red() < 140)
                    ++bright;
        QVERIFY(bright > 5);
    }

    void transparentCornersStayTransparent()
    {
        QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QImage stamped = TimestampStamper::stamp(image, QDateTime::currentDateTime());
        QCOMPARE(qAlpha(stamped.pixel(0, 0)), 0);
    }

    void nothingToStampComesBackUnchanged()
    {
        QVERIFY(TimestampStamper::stamp(QImage(), QDateTime::currentDateTime()).isNull());
    }
};

ZENTU_TEST_MAIN(TestTimestampStamper)
#include "tst_TimestampStamper.moc"
