#pragma once
// One mark drawn over a screenshot. Coordinates are image pixels, origin at the
// top-left corner, y downwards. Stored inside the screenshot history.
#include "Models/CoreTypes.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QUuid>
#include <optional>

struct AnnotationObject {
    QUuid id = QUuid::createUuid();
    AnnotationKind kind = AnnotationKind::arrow;
    RGBAColor color;
    double lineWidth = 0;
    QList<QPointF> points;
    std::optional<QString> text;
    std::optional<double> fontSize;
    std::optional<QString> fontName;
    std::optional<BlurStyle> blurStyle;
    std::optional<double> blurAmount;
    std::optional<double> cornerRadius;
    std::optional<bool> dashed;
    std::optional<RGBAColor> fillColor;
    std::optional<qint64> badgeNumber;
    std::optional<double> badgeSize;
    std::optional<RGBAColor> badgeTextColor;
    std::optional<QByteArray> imageData; // PNG
    std::optional<double> magnification;
    std::optional<SpeechBubbleStyle> bubbleStyle;
    std::optional<QString> cursorStyle;
    std::optional<double> cursorSize;
    std::optional<bool> highlightEnabled;
    std::optional<RGBAColor> highlightColor;
    std::optional<double> highlightSize;
    std::optional<double> highlightOpacity;

    // Field by field; points compared exactly.
    bool operator==(const AnnotationObject& other) const;

    // The rectangle the annotation covers; the zero rectangle without points.
    QRectF boundingBox() const;
    // Where the pointer picture of a cursor annotation goes for a hotspot
    // given as fractions of its side.
    QRectF cursorRect(QPointF hotspot) const;

    // Holds every number to the range its editor control offers (see
    // AnnotationLimits); a value that is no number falls back to the default.
    void clampToControlRanges();

    QJsonObject toJson() const;
    // All or nothing: required keys must be present, optional ones of the right
    // type; numbers are then held to their control ranges.
    static std::optional<AnnotationObject> fromJson(const QJsonValue& value);
};
size_t qHash(const AnnotationObject& a, size_t seed = 0);
