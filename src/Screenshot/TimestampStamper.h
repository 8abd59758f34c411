#pragma once
// Burns date and time into the bottom-right corner of a finished screenshot:
// white semibold text on a translucent black rounded plate whose size, insets
// and margin grow with the picture. All measures are pixels of the image.
#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QString>

class TimestampStamper {
public:
    // A new picture with the label, or the input itself when stamping is not
    // possible (null or empty image).
    static QImage stamp(const QImage& image, const QDateTime& date);

    // The label: the locale's medium date and short time (the system locale
    // when none is named, e.g. "de_DE").
    static QString label(const QDateTime& date, const QString& localeName = QString());

    struct Layout {
        int fontSize = 0; // pixels
        int insetY = 0;   // py
        int insetX = 0;   // px
        int margin = 0;   // m
        QRectF plate;     // top-left origin
        QPointF textTopLeft;
        qreal cornerRadius = 0;
    };
    static int fontSize(QSize imageSize);
    static Layout layout(QSize imageSize, QSizeF textSize);
};
