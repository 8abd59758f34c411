#include "Screenshot/TimestampStamper.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {
int roundedInt(double v) { return int(std::round(v)); }

QFont stampFont(int pixelSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::DemiBold);
    return font;
}
} // namespace

QString TimestampStamper::label(const QDateTime& date, const QString& localeName)
{
    const QByteArray name = (localeName.isEmpty() ? QLocale::system().name() : localeName).toUtf8();
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kShort, icu::Locale(name.constData())));
    if (!format) // ICU without data for any locale: keep a readable label
        return QLocale(QString::fromUtf8(name)).toString(date, QLocale::ShortFormat);
    icu::UnicodeString text;
    format->format(UDate(date.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

int TimestampStamper::fontSize(QSize imageSize)
{
    const double shorter = std::min(imageSize.width(), imageSize.height());
    return roundedInt(std::max(shorter / 900.0, 1.0) * 15.0);
}

TimestampStamper::Layout TimestampStamper::layout(QSize imageSize, QSizeF textSize)
{
    Layout l;
    l.fontSize = fontSize(imageSize);
    l.insetY = roundedInt(l.fontSize * 0.42);
    l.insetX = roundedInt(l.fontSize * 0.75);
    l.margin = roundedInt(l.fontSize * 1.05);
    const qreal bw = textSize.width() + 2 * l.insetX;
    const qreal bh = textSize.height() + 2 * l.insetY;
    const qreal W = imageSize.width();
    const qreal H = imageSize.height();
    // Lower edge m above the bottom, right edge m left of the right side; a
    // picture narrower than the plate cuts it off on the left.
    l.plate = QRectF(W - bw - l.margin, H - l.margin - bh, bw, bh);
    l.textTopLeft = QPointF(l.plate.x() + l.insetX, l.plate.y() + l.insetY);
    l.cornerRadius = bh * 0.34;
    return l;
}

QImage TimestampStamper::stamp(const QImage& image, const QDateTime& date)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return image;
    const QString text = label(date);
    const QFont font = stampFont(fontSize(image.size()));
    const QFontMetricsF metrics(font);
    const QSizeF textSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
    const Layout l = layout(image.size(), textSize);

    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return image;
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.52f));
    painter.drawRoundedRect(l.plate, l.cornerRadius, l.cornerRadius);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(l.textTopLeft.x(), l.textTopLeft.y() + metrics.ascent()), text);
    painter.end();
    return result;
}
