#include "Editor/Kinds/TextKind.h"

#include "Editor/AnnotationFont.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

namespace {

constexpr double defaultFontSize = 28;

} // namespace

bool TextKind::hits(const AnnotationObject& a, QPointF p, double tolerance, const AnnotationHitTest& test) const
{
    if (a.points.isEmpty())
        return false;
    return AnnotationHitTest::contains(
        QRectF(a.points[0], test.textSize(a)).adjusted(-tolerance, -tolerance, tolerance, tolerance), p);
}

void TextKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop&) const
{
    if (a.points.isEmpty() || !a.text || a.text->isEmpty())
        return;
    const AnnotationInk::ShapeState state(p);
    const QFont font = AnnotationFont::resolve(a.fontName, a.fontSize.value_or(defaultFontSize), *p.device());
    AnnotationInk::drawLines(p, *a.text, a.points.first(), font, AnnotationInk::colour(a.color));
}

QRectF TextKind::paintExtent(const AnnotationObject& a) const
{
    const double size = a.fontSize.value_or(defaultFontSize);
    // Glyphs may reach a little beyond the measured lines.
    return QRectF(a.points.first(), AnnotationRenderer::textSize(a.text.value_or(QString()), size, a.fontName))
        .adjusted(-0.5 * size, -0.5 * size, 0.5 * size, 0.5 * size);
}

QRectF TextKind::selectionOutline(const AnnotationObject& a) const
{
    return QRectF(a.points.value(0), AnnotationRenderer::textSize(a.text.value_or(QString()),
                                                                  a.fontSize.value_or(defaultFontSize), a.fontName));
}

std::optional<AnnotationObject> TextKind::whileWordsEdited(const AnnotationObject&) const
{
    return std::nullopt;
}
