#include "Models/AnnotationObject.h"

#include "Models/AnnotationLimits.h"
#include "Models/CursorHotspots.h"
#include "Models/JsonDecoder.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// Union as the geometry of the editor expects it: a rectangle of zero size
// still counts with its position.
QRectF unite(const QRectF& a, const QRectF& b)
{
    const QRectF na = a.normalized(), nb = b.normalized();
    const double x1 = std::min(na.left(), nb.left()), y1 = std::min(na.top(), nb.top());
    const double x2 = std::max(na.right(), nb.right()), y2 = std::max(na.bottom(), nb.bottom());
    return QRectF(x1, y1, x2 - x1, y2 - y1);
}

template <typename T>
void putOptional(QJsonObject& o, const char* key, const std::optional<T>& v)
{
    if (v)
        o.insert(QLatin1String(key), *v);
}

void putColor(QJsonObject& o, const char* key, const std::optional<RGBAColor>& c)
{
    if (c)
        o.insert(QLatin1String(key), c->toJson());
}

std::optional<RGBAColor> optionalColor(const QJsonObject& o, const char* key, bool& ok)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    const auto c = RGBAColor::fromJson(v);
    if (!c)
        ok = false;
    return c;
}

} // namespace

bool AnnotationObject::operator==(const AnnotationObject& o) const
{
    if (points.size() != o.points.size())
        return false;
    for (qsizetype i = 0; i < points.size(); ++i)
        if (points[i].x() != o.points[i].x() || points[i].y() != o.points[i].y())
            return false;
    const auto fields = [](const AnnotationObject& a) {
        return std::tie(a.id, a.kind, a.color, a.lineWidth, a.text, a.fontSize, a.fontName, a.blurStyle,
                        a.blurAmount, a.cornerRadius, a.dashed, a.fillColor, a.badgeNumber, a.badgeSize,
                        a.badgeTextColor, a.imageData, a.magnification, a.bubbleStyle, a.cursorStyle,
                        a.cursorSize, a.highlightEnabled, a.highlightColor, a.highlightSize, a.highlightOpacity);
    };
    return fields(*this) == fields(o);
}

QRectF AnnotationObject::cursorRect(QPointF hotspot) const
{
    if (points.isEmpty())
        return {};
    const double s = cursorSize.value_or(120);
    const QPointF p = points.first();
    return QRectF(p.x() - hotspot.x() * s, p.y() - hotspot.y() * s, s, s);
}

QRectF AnnotationObject::boundingBox() const
{
    if (points.isEmpty())
        return {};
    const QPointF p0 = points.first();
    switch (kind) {
    case AnnotationKind::cursor: {
        QRectF r = cursorRect(CursorHotspots::of(cursorStyle.value_or(QString())));
        if (highlightEnabled.value_or(false)) {
            const double radius = highlightSize.value_or(60);
            r = unite(r, QRectF(p0.x() - radius, p0.y() - radius, 2 * radius, 2 * radius));
        }
        return r;
    }
    case AnnotationKind::badge: {
        const double r = badgeSize ? *badgeSize / 2 : 20;
        return QRectF(p0.x() - r, p0.y() - r, 2 * r, 2 * r);
    }
    case AnnotationKind::speechBubble:
        if (points.size() >= 2) {
            const QPointF p1 = points.at(1);
            QRectF r(std::min(p0.x(), p1.x()), std::min(p0.y(), p1.y()), std::abs(p1.x() - p0.x()),
                     std::abs(p1.y() - p0.y()));
            if (points.size() >= 3)
                r = unite(r, QRectF(points.at(2).x(), points.at(2).y(), 1, 1));
            return r;
        }
        break;
    default:
        break;
    }
    double minX = p0.x(), maxX = p0.x(), minY = p0.y(), maxY = p0.y();
    for (const QPointF& p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    const double d = std::max(lineWidth, fontSize.value_or(0));
    return QRectF(minX - d, minY - d, maxX - minX + 2 * d, maxY - minY + 2 * d);
}

QJsonObject AnnotationObject::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), JsonDecoder::formatUuid(id));
    o.insert(QStringLiteral("kind"), rawValue(kind));
    o.insert(QStringLiteral("color"), color.toJson());
    o.insert(QStringLiteral("lineWidth"), lineWidth);
    QJsonArray pts;
    for (const QPointF& p : points)
        pts.append(QJsonArray{p.x(), p.y()});
    o.insert(QStringLiteral("points"), pts);
    putOptional(o, "text", text);
    putOptional(o, "fontSize", fontSize);
    putOptional(o, "fontName", fontName);
    if (blurStyle)
        o.insert(QStringLiteral("blurStyle"), rawValue(*blurStyle));
    putOptional(o, "blurAmount", blurAmount);
    putOptional(o, "cornerRadius", cornerRadius);
    putOptional(o, "dashed", dashed);
    putColor(o, "fillColor", fillColor);
    if (badgeNumber)
        o.insert(QStringLiteral("badgeNumber"), *badgeNumber);
    putOptional(o, "badgeSize", badgeSize);
    putColor(o, "badgeTextColor", badgeTextColor);
    if (imageData)
        o.insert(QStringLiteral("imageData"), QString::fromLatin1(imageData->toBase64()));
    putOptional(o, "magnification", magnification);
    if (bubbleStyle)
        o.insert(QStringLiteral("bubbleStyle"), rawValue(*bubbleStyle));
    putOptional(o, "cursorStyle", cursorStyle);
    putOptional(o, "cursorSize", cursorSize);
    putOptional(o, "highlightEnabled", highlightEnabled);
    putColor(o, "highlightColor", highlightColor);
    putOptional(o, "highlightSize", highlightSize);
    putOptional(o, "highlightOpacity", highlightOpacity);
    return o;
}

std::optional<AnnotationObject> AnnotationObject::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    const QJsonObject o = value.toObject();
    bool ok = true;
    AnnotationObject a;
    a.id = d.uuid("id");
    a.kind = d.enumeration<AnnotationKind>("kind");
    if (const auto c = RGBAColor::fromJson(o.value(QStringLiteral("color"))))
        a.color = *c;
    else
        ok = false;
    a.lineWidth = d.number("lineWidth");
    for (const QJsonValue& pv : d.array("points")) {
        const QJsonArray pair = pv.toArray();
        if (!pv.isArray() || pair.size() != 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble()) {
            ok = false;
            break;
        }
        // Held to where a picture can be: a point at 1e308 breaks drawing.
        a.points.append(QPointF(AnnotationLimits::coordinate.bound(pair.at(0).toDouble(), 0),
                                AnnotationLimits::coordinate.bound(pair.at(1).toDouble(), 0)));
    }
    a.text = d.optionalString("text");
    a.fontSize = d.optionalNumber("fontSize");
    a.fontName = d.optionalString("fontName");
    a.blurStyle = d.optionalEnumeration<BlurStyle>("blurStyle");
    a.blurAmount = d.optionalNumber("blurAmount");
    a.cornerRadius = d.optionalNumber("cornerRadius");
    a.dashed = d.optionalBoolean("dashed");
    a.fillColor = optionalColor(o, "fillColor", ok);
    if (const auto n = d.optionalNumber("badgeNumber")) {
        if (*n != std::trunc(*n) || std::abs(*n) > 9.007199254740992e15)
            ok = false;
        else
            a.badgeNumber = static_cast<qint64>(*n);
    }
    a.badgeSize = d.optionalNumber("badgeSize");
    a.badgeTextColor = optionalColor(o, "badgeTextColor", ok);
    if (const auto b64 = d.optionalString("imageData")) {
        const auto decoded = QByteArray::fromBase64Encoding(b64->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            ok = false;
        else
            a.imageData = *decoded;
    }
    a.magnification = d.optionalNumber("magnification");
    a.bubbleStyle = d.optionalEnumeration<SpeechBubbleStyle>("bubbleStyle");
    a.cursorStyle = d.optionalString("cursorStyle");
    a.cursorSize = d.optionalNumber("cursorSize");
    a.highlightEnabled = d.optionalBoolean("highlightEnabled");
    a.highlightColor = optionalColor(o, "highlightColor", ok);
    a.highlightSize = d.optionalNumber("highlightSize");
    a.highlightOpacity = d.optionalNumber("highlightOpacity");
    if (!ok || !d.ok())
        return std::nullopt;
    a.clampToControlRanges();
    return a;
}

void AnnotationObject::clampToControlRanges()
{
    lineWidth = AnnotationLimits::lineWidth.bound(lineWidth, AnnotationLimits::defaultLineWidth);
    fontSize = AnnotationLimits::fontSize.bound(fontSize);
    badgeSize = AnnotationLimits::badgeSize.bound(badgeSize);
    blurAmount = AnnotationLimits::blurAmount.bound(blurAmount);
    magnification = AnnotationLimits::magnification.bound(magnification);
    cornerRadius = AnnotationLimits::cornerRadius.bound(cornerRadius);
    cursorSize = AnnotationLimits::cursorSize.bound(cursorSize);
    highlightSize = AnnotationLimits::highlightSize.bound(highlightSize);
    highlightOpacity = AnnotationLimits::highlightOpacity.bound(highlightOpacity);
}

size_t qHash(const AnnotationObject& a, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, a.id);
    seed = combine(seed, int(a.kind));
    seed = combine(seed, qHash(a.color));
    seed = combine(seed, a.lineWidth);
    for (const QPointF& p : a.points) {
        seed = combine(seed, p.x());
        seed = combine(seed, p.y());
    }
    seed = combine(seed, a.text.value_or(QString()));
    seed = combine(seed, a.cursorStyle.value_or(QString()));
    seed = combine(seed, a.imageData.value_or(QByteArray()));
    seed = combine(seed, a.badgeNumber.value_or(0));
    return seed;
}
