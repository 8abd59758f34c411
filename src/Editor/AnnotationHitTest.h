#pragma once
// Which annotation lies under a point, and the rectangle rules the editor's
// selection uses. A point on a rectangle's maximum edge is outside it.
#include "Models/AnnotationObject.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>

class EditorEnvironment;

class AnnotationHitTest {
public:
    explicit AnnotationHitTest(const EditorEnvironment& environment) : m_environment(environment) {}

    // Whether the point lies on the annotation (as its kind decides, see
    // AnnotationKinds), with a tolerance of max(line width, 8) + 4 pixels
    // where the kind has one.
    bool hits(const AnnotationObject& annotation, QPointF point) const;
    // Index of the topmost annotation hit (the last one in drawing order).
    std::optional<qsizetype> topHit(const QList<AnnotationObject>& annotations, QPointF point) const;

    // Minimum edges inside, maximum edges outside.
    static bool contains(const QRectF& rect, QPointF point);
    // Closed rectangles: touching edges and rectangles of no area count.
    static bool intersects(const QRectF& a, const QRectF& b);

    // The size of a text annotation's lines, as the environment measures them.
    QSizeF textSize(const AnnotationObject& text) const;

private:
    // Texts are measured once per text, size and font: a press may test
    // hundreds of them.
    struct TextKey {
        QString text;
        double fontSize;
        std::optional<QString> fontName;
        bool operator==(const TextKey&) const = default;
        friend size_t qHash(const TextKey& k, size_t seed = 0)
        {
            return qHashMulti(seed, k.text, k.fontSize, k.fontName.value_or(QString()), k.fontName.has_value());
        }
    };

    const EditorEnvironment& m_environment;
    mutable QHash<TextKey, QSizeF> m_textSizes;
};
