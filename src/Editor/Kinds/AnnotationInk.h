#pragma once
// The colours, pens and lines the annotation kinds paint with, so every kind
// strokes, dashes and sets its words alike.
#include "Models/AnnotationObject.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>

class QPainter;

class AnnotationInk {
public:
    // Components held to 0…1; a component that is no number counts 0.
    static QColor colour(const RGBAColor& c);
    // Round caps and joins.
    static QPen stroke(const QColor& colour, double width);
    // Dashes of L = max(2.4 w, 4) and gaps of 0.85 L when the annotation is dashed.
    static QPen dashedIfAsked(const AnnotationObject& a, QPen pen);

    static double lineHeight(const QFontMetricsF& metrics);
    // Lines left-aligned from `origin`, each baseline one ascent below its
    // top; empty lines still take their height. Never wrapped or clipped.
    static void drawLines(QPainter& p, const QString& text, QPointF origin, const QFont& font, const QColor& colour);

    // A shape filled with the annotation's fill colour when it has one, then
    // stroked with its pen (dashed when asked).
    static void fillAndStroke(const AnnotationObject& a, QPainter& p, QPainterPath shape);

    // The painter state the kinds drawn from their record alone paint in:
    // smooth edges, pictures and text, no brush; restored when it goes.
    class ShapeState {
    public:
        explicit ShapeState(QPainter& p);
        ~ShapeState();
        ShapeState(const ShapeState&) = delete;
        ShapeState& operator=(const ShapeState&) = delete;

    private:
        QPainter& m_painter;
    };
};
