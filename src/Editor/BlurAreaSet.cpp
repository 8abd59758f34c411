#include "Editor/BlurAreaSet.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/BlurProcessor.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <algorithm>
#include <cmath>

BlurStyle BlurAreaSet::styleOf(const AnnotationObject& blur)
{
    return blur.blurStyle.value_or(BlurStyle::pixelated);
}

double BlurAreaSet::amountOf(const AnnotationObject& blur)
{
    // Out-of-range amounts act as the nearest end, so they group with it too.
    const double amount = blur.blurAmount.value_or(18);
    return std::isnan(amount) ? 0.0 : std::clamp(amount, 0.0, 100.0);
}

QRect BlurAreaSet::pixelArea(const AnnotationObject& blur) const
{
    const QRectF area = AnnotationRenderer::area(blur);
    if (!(std::isfinite(area.left()) && std::isfinite(area.top()) && std::isfinite(area.right()) &&
          std::isfinite(area.bottom())) || area.isEmpty())
        return {};
    // Clipped before rounding, so far-off coordinates never overflow.
    return area.intersected(QRectF(m_bounds)).toAlignedRect().intersected(m_bounds);
}

BlurAreaSet::BlurAreaSet(const QImage& source, const QList<AnnotationObject>& annotations)
    : m_bounds(source.rect())
{
    if (source.isNull())
        return;
    struct Group {
        BlurStyle style;
        double amount;
        std::vector<QRect> rects;
    };
    std::vector<Group> groups;
    for (const AnnotationObject& a : annotations) {
        // The kinds painted from the blurred picture (the renderer asks for their pieces).
        if (AnnotationKinds::of(a.kind).source() != AnnotationKindBehaviour::Source::blurredPicture)
            continue;
        const QRect r = pixelArea(a);
        if (r.isEmpty())
            continue;
        const BlurStyle style = styleOf(a);
        const double amount = amountOf(a);
        auto g = std::find_if(groups.begin(), groups.end(),
                              [&](const Group& x) { return x.style == style && x.amount == amount; });
        if (g == groups.end())
            g = groups.insert(groups.end(), Group{style, amount, {}});
        g->rects.push_back(r);
    }
    for (Group& g : groups) {
        // Merge areas whose reads overlap until no two do; each cluster is then
        // processed once over its bounding rectangle.
        const int reach = BlurProcessor::reach(g.style, g.amount);
        std::vector<QRect> clusters = g.rects;
        for (bool merged = true; merged;) {
            merged = false;
            for (size_t i = 0; i < clusters.size() && !merged; ++i)
                for (size_t j = i + 1; j < clusters.size() && !merged; ++j) {
                    const QMargins m(reach, reach, reach, reach);
                    if (clusters[i].marginsAdded(m).intersects(clusters[j].marginsAdded(m))) {
                        clusters[i] = clusters[i].united(clusters[j]);
                        clusters.erase(clusters.begin() + std::ptrdiff_t(j));
                        merged = true;
                    }
                }
        }
        for (const QRect& c : clusters)
            m_entries.push_back({g.style, g.amount, c, BlurProcessor::processRect(source, g.style, g.amount, c)});
    }
}

BlurAreaSet::Piece BlurAreaSet::piece(const AnnotationObject& blur) const
{
    const QRect r = pixelArea(blur);
    if (r.isEmpty())
        return {};
    const BlurStyle style = styleOf(blur);
    const double amount = amountOf(blur);
    for (const Entry& e : m_entries)
        if (e.style == style && e.amount == amount && e.rect.contains(r))
            return {e.image, e.rect.topLeft()};
    return {};
}
