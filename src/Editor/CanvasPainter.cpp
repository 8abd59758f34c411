#include "Editor/CanvasPainter.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/CanvasGrips.h"
#include "Editor/EditorSession.h"
#include "Editor/Kinds/AnnotationKinds.h"
#include "Ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {

// The picture scaled to the zoom is kept up to this many device pixels;
// beyond that (deep zooms) each layer build scales only the part on screen.
constexpr qint64 scaledPictureLimit = qint64(4096) * 2048;
// Annotations are kept as painted up to this size each and this much in all;
// larger ones (deep zooms) are painted into the layer directly.
constexpr qint64 spritePixelLimit = qint64(2048) * 2048;
constexpr qint64 spriteBudgetBytes = qint64(128) * 1024 * 1024;

// Dash lengths in view points for a pen of this width (Qt counts in widths).
QPen dashedPen(const QColor& color, double width, double dash, double gap)
{
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    pen.setDashPattern({dash / width, gap / width});
    return pen;
}

QPen solidPen(const QColor& color, double width)
{
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

void paintGrip(QPainter& p, QPointF at, bool round)
{
    const double side = CanvasGrips::handleSize + (round ? 1 : 0);
    const QRectF r(at.x() - side / 2, at.y() - side / 2, side, side);
    p.setPen(solidPen(Theme::accent(), 1.5));
    p.setBrush(Qt::white);
    if (round)
        p.drawEllipse(r);
    else
        p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

} // namespace

CanvasPainter::CanvasPainter(EditorSession& session)
    : m_vm(session.model())
    , m_drawing(session.drawing())
    , m_selection(session.selectionDrag())
    , m_crop(session.crop())
    , m_textEntry(session.textEntry())
    , m_sprites(spriteBudgetBytes)
{
    m_scalers.setMaxThreadCount(1);
}

void CanvasPainter::setContentSize(QSizeF size)
{
    if (size == m_contentSize)
        return;
    m_contentSize = size;
    m_layerValid = false;
}

void CanvasPainter::invalidatePicture()
{
    m_scaled = QImage();
    m_scaling.reset(); // a copy still being made is of the old picture
    m_blurred.clear();
    m_layerValid = false;
}

std::optional<CanvasPainter::Placement> CanvasPainter::placement() const
{
    const QImage& picture = m_vm.original();
    const QSizeF px = m_vm.imagePixelSize();
    if (picture.isNull() || !(px.width() > 0 && px.height() > 0))
        return std::nullopt;
    const auto fit = AnnotationGeometry::fittedTransform(px, m_contentSize);
    return Placement{QRectF(fit.offset, px * fit.scale), fit.scale};
}

bool CanvasPainter::isOneToOne(const Placement& at, qreal dpr)
{
    // 100 % at a scale of 1.5 gives 0.666… x 1.5, a hair below 1.
    return std::abs(at.scale * dpr - 1) < 1e-6;
}

std::optional<QSize> CanvasPainter::scaledDeviceSize(const Placement& at, qreal dpr) const
{
    const QSize device = (at.target.size() * dpr).toSize();
    if (at.scale * dpr < 1 && !isOneToOne(at, dpr) && qint64(device.width()) * device.height() <= scaledPictureLimit
        && !device.isEmpty())
        return device;
    return std::nullopt;
}

void CanvasPainter::prefetch(qreal dpr)
{
    const auto at = placement();
    const auto device = at ? scaledDeviceSize(*at, dpr) : std::nullopt;
    const QImage& picture = m_vm.original();
    if (!device || (!m_scaled.isNull() && m_scaledKey == picture.cacheKey() && m_scaled.size() == *device))
        return;
    if (m_scaling && m_scaling->pictureKey == picture.cacheKey() && m_scaling->device == *device)
        return;
    const QSize size = *device;
    m_scaling = Scaling{QtConcurrent::run(&m_scalers, [picture, size] {
                            return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                        }),
                        picture.cacheKey(), size};
}

const QImage& CanvasPainter::scaledPicture(QSize device, qreal dpr)
{
    const QImage& picture = m_vm.original();
    if (!m_scaled.isNull() && m_scaledKey == picture.cacheKey() && m_scaled.size() == device
        && m_scaled.devicePixelRatioF() == dpr)
        return m_scaled;
    if (m_scaling && m_scaling->pictureKey == picture.cacheKey() && m_scaling->device == device)
        m_scaled = m_scaling->result.result();
    else
        m_scaled = picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaling.reset();
    m_scaled.setDevicePixelRatio(dpr);
    m_scaledKey = picture.cacheKey();
    return m_scaled;
}

std::optional<QImage> CanvasPainter::pictureOnly(const QRect& area, qreal dpr)
{
    const QImage& picture = m_vm.original();
    const auto at = placement();
    // Whole device pixels only, and the picture hiding everything beneath.
    if (!at || picture.hasAlphaChannel())
        return std::nullopt;
    const QPointF shift = (QPointF(area.topLeft()) - at->target.topLeft()) * dpr;
    const QPoint origin(qRound(shift.x()), qRound(shift.y()));
    if (std::abs(shift.x() - origin.x()) > 1e-6 || std::abs(shift.y() - origin.y()) > 1e-6)
        return std::nullopt;
    const QRect wanted(origin, (QSizeF(area.size()) * dpr).toSize());
    QImage source;
    if (const auto device = scaledDeviceSize(*at, dpr))
        source = scaledPicture(*device, dpr);
    else if (isOneToOne(*at, dpr))
        source = picture; // pixel for pixel
    else
        return std::nullopt;
    if (!source.rect().contains(wanted))
        return std::nullopt;
    QImage part = wanted == source.rect() ? source : source.copy(wanted);
    if (part.devicePixelRatioF() != dpr)
        part.setDevicePixelRatio(dpr);
    return part;
}

QRectF CanvasPainter::toView(const QRectF& imageRect) const
{
    return CanvasGrips::viewRect(imageRect, m_contentSize, m_vm.imagePixelSize());
}

void CanvasPainter::paint(QPainter& p, const QRect& exposed, const QRect& visible)
{
    const QRect content(QPoint(0, 0), m_contentSize.toSize().expandedTo(QSize(1, 1)));
    const QRect wanted = exposed & content;
    if (wanted.isEmpty())
        return;
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    if (!m_layerValid || m_layer.devicePixelRatioF() != dpr || !m_layerArea.contains(wanted))
        buildLayer((wanted | visible) & content, dpr);
    // Whole pixels of the layer, each on one device pixel: at a fractional
    // scale a piece starting between two pixels would be resampled (the
    // exposed area clips what lies beyond it).
    const QRect source = QRectF(QPointF(wanted.topLeft() - m_layerArea.topLeft()) * dpr, QSizeF(wanted.size()) * dpr)
                             .toAlignedRect()
                             .intersected(m_layer.rect());
    p.drawImage(QPointF(m_layerArea.topLeft()) + QPointF(source.topLeft()) / dpr, m_layer, source);

    p.save();
    p.setClipRect(wanted);
    if (const auto& draft = m_drawing.draft())
        if (toView(paintExtent(*draft)).intersects(wanted))
            paintAnnotation(p, *draft);
    paintMarquee(p);
    paintCropOverlay(p);
    p.restore();
}

QList<CanvasPainter::Laid> CanvasPainter::laidNow() const
{
    const QSet<QUuid>& selected = m_vm.selectedIDs();
    const bool selecting = m_vm.state().selectedTool == EditorTool::select;
    const Chrome selectedChrome = selected.size() == 1 ? Chrome::outlineAndGrips : Chrome::outline;
    QList<Laid> laid;
    laid.reserve(m_vm.state().annotations.size());
    for (const AnnotationObject& a : m_vm.state().annotations)
        laid.append({shownAs(a), selecting && selected.contains(a.id) ? selectedChrome : Chrome::none});
    return laid;
}

void CanvasPainter::buildLayer(const QRect& area, qreal dpr)
{
    m_layerArea = area;
    m_layerValid = true;
    const QList<AnnotationObject>& annotations = m_vm.state().annotations;
    const QList<Laid> now = laidNow();
    const PartsKey key{area, dpr, m_contentSize, m_vm.original().cacheKey()};
    m_paintDirectly = false;

    // Which annotations differ from the last build: while the changes stay
    // within the middle of the parts kept then, the parts below and above it
    // are used again (a move drag changes one annotation on every frame).
    qsizetype first = 0, last = 0;
    bool sameCount = m_partsValid && key == m_partsKey && now.size() == m_laid.size();
    if (sameCount) {
        first = now.size();
        for (qsizetype i = 0; i < now.size(); ++i)
            if (!(now[i] == m_laid[i])) {
                first = std::min(first, i);
                last = i + 1;
            }
    }
    const bool reuse = sameCount && (first >= last || (first >= m_middleBegin && last <= m_middleEnd));
    if (!reuse) {
        // Everything below when nothing is known to change, else split around the change.
        m_middleBegin = sameCount ? first : now.size();
        m_middleEnd = sameCount ? last : now.size();
        prepareSprites(annotations, now, area, dpr);
        if (auto picture = pictureOnly(area, dpr)) {
            m_below = std::move(*picture);
        } else {
            m_below = blankLayer(area, dpr, m_backdrop);
            QPainter picturePainter(&m_below);
            picturePainter.translate(-area.topLeft());
            picturePainter.setClipRect(area);
            paintPicture(picturePainter, area, dpr);
        }
        // (A painter on a share of the scaled picture would copy it: only when needed.)
        if (m_middleBegin > 0) {
            QPainter below(&m_below);
            below.translate(-area.topLeft());
            below.setClipRect(area);
            for (qsizetype i = 0; i < m_middleBegin; ++i)
                layAnnotation(below, annotations[i], now[i], area, dpr);
        }
        m_above = QImage();
        if (m_middleEnd < now.size()) {
            m_above = blankLayer(area, dpr, Qt::transparent);
            QPainter above(&m_above);
            above.translate(-area.topLeft());
            above.setClipRect(area);
            for (qsizetype i = m_middleEnd; i < now.size(); ++i)
                layAnnotation(above, annotations[i], now[i], area, dpr);
        }
        m_partsKey = key;
        m_partsValid = true;
    }
    m_laid = now;

    m_layer = m_below;
    if (m_middleBegin >= m_middleEnd && m_above.isNull())
        return;
    QPainter lp(&m_layer);
    lp.translate(-area.topLeft());
    lp.setClipRect(area);
    for (qsizetype i = m_middleBegin; i < m_middleEnd; ++i)
        layAnnotation(lp, annotations[i], now[i], area, dpr);
    if (!m_above.isNull())
        lp.drawImage(QPointF(area.topLeft()), m_above);
}

QImage CanvasPainter::blankLayer(const QRect& area, qreal dpr, const QColor& fill)
{
    QImage image((QSizeF(area.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(fill);
    return image;
}

void CanvasPainter::setBackdrop(const QColor& colour)
{
    if (colour == m_backdrop)
        return;
    m_backdrop = colour;
    m_layerValid = false;
    m_partsValid = false;
}

void CanvasPainter::paintPicture(QPainter& p, const QRect& area, qreal dpr)
{
    const QImage& picture = m_vm.original();
    const auto at = placement();
    if (!at)
        return;
    const QRectF target = at->target;
    const double scale = at->scale;
    // Shrinking: a copy scaled once by area averaging looks better than the
    // painter's bilinear sampling, and costs a plain copy per frame.
    if (const auto device = scaledDeviceSize(*at, dpr)) {
        p.drawImage(target.topLeft(), scaledPicture(*device, dpr));
        return;
    }
    // One to one (100 % on a screen of any scale): each of the picture's
    // pixels on one device pixel, never filtered across their borders.
    if (isOneToOne(*at, dpr)) {
        QImage pixels = picture; // shares the pixels
        pixels.setDevicePixelRatio(dpr);
        p.drawImage(target.topLeft(), pixels);
        return;
    }
    // Only the part of the picture under `area`, with a pixel of margin for the filter.
    const QRectF wanted((QPointF(area.topLeft()) - target.topLeft()) / scale, QSizeF(area.size()) / scale);
    const QRect source = wanted.toAlignedRect().adjusted(-1, -1, 1, 1) & picture.rect();
    if (source.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(target.topLeft() + QPointF(source.topLeft()) * scale, QSizeF(source.size()) * scale),
                picture, source);
    p.restore();
}

QRectF CanvasPainter::paintExtent(const AnnotationObject& a) const
{
    if (a.points.isEmpty())
        return {};
    const QRectF r = AnnotationKinds::of(a.kind).paintExtent(a);
    const double lw = std::isfinite(a.lineWidth) ? std::clamp(a.lineWidth, 0.0, 4000.0) : 0.0;
    // Arrow heads spread sideways beyond the end point by up to twice the width.
    const double m = std::max(4 * lw, 12.0) + lw;
    return r.adjusted(-m, -m, m, m);
}

std::optional<AnnotationObject> CanvasPainter::shownAs(const AnnotationObject& a) const
{
    // The entry field shows the words while they are edited.
    if (a.id == m_textEntry.editingTextID() || a.id == m_textEntry.editingBubbleID())
        return AnnotationKinds::of(a.kind).whileWordsEdited(a);
    return a;
}

std::optional<CanvasPainter::SpriteRects> CanvasPainter::spriteRects(const AnnotationObject& a, const QRectF& area,
                                                                    qreal dpr) const
{
    const QRectF extent = toView(paintExtent(a));
    if (!extent.adjusted(-8, -8, 8, 8).intersects(area))
        return std::nullopt;
    const auto device = [dpr](const QRectF& r) { return QRectF(r.topLeft() * dpr, r.size() * dpr).toAlignedRect(); };
    SpriteRects rects;
    rects.needed = device(extent) & device(area);
    // Kept a little beyond the layer, so scrolling a bit finds it whole.
    const int mx = rects.needed.width() / 4 + 64, my = rects.needed.height() / 4 + 64;
    rects.kept = device(extent) & device(area).adjusted(-mx, -my, mx, my)
                 & QRect(QPoint(0, 0), (m_contentSize * dpr).toSize());
    return rects;
}

bool CanvasPainter::spriteFits(const Sprite& sprite, const AnnotationObject& shown, const QRect& needed, qreal dpr) const
{
    const bool usesPicture = AnnotationKinds::of(shown.kind).showsPicture();
    return sprite.shown == shown && sprite.contentSize == m_contentSize && sprite.dpr == dpr
        && (!usesPicture || sprite.pictureKey == m_vm.original().cacheKey())
        && QRect(sprite.origin, sprite.image.size()).contains(needed);
}

void CanvasPainter::prepareSprites(const QList<AnnotationObject>& annotations, const QList<Laid>& laid,
                                   const QRectF& area, qreal dpr)
{
    // Painted side by side on the thread pool; what only the main thread may
    // touch (blur previews, decoded pictures) is fetched first.
    struct Job {
        QUuid id;
        AnnotationObject shown;
        Inputs inputs;
        std::unique_ptr<Sprite> sprite;
    };
    std::vector<Job> jobs;
    qint64 bytes = 0;
    m_paintDirectly = false;
    for (qsizetype i = 0; i < annotations.size(); ++i) {
        if (!laid[i].shown)
            continue;
        const auto rects = spriteRects(annotations[i], area, dpr);
        if (!rects || rects->needed.isEmpty() || qint64(rects->kept.width()) * rects->kept.height() > spritePixelLimit)
            continue;
        if (const Sprite* kept = m_sprites.object(annotations[i].id); kept && spriteFits(*kept, *laid[i].shown, rects->needed, dpr))
            continue;
        auto sprite = std::make_unique<Sprite>();
        sprite->shown = *laid[i].shown;
        sprite->contentSize = m_contentSize;
        sprite->dpr = dpr;
        sprite->pictureKey = m_vm.original().cacheKey();
        sprite->origin = rects->kept.topLeft();
        bytes += qint64(rects->kept.width()) * rects->kept.height() * 4;
        if (bytes > spriteBudgetBytes) {
            // More than the cache keeps (many large annotations at a deep
            // zoom): copies would push each other out; this build paints
            // straight into the layer.
            m_paintDirectly = true;
            return;
        }
        sprite->image = QImage(rects->kept.size(), QImage::Format_ARGB32_Premultiplied);
        jobs.push_back({annotations[i].id, *laid[i].shown, inputsFor(*laid[i].shown), std::move(sprite)});
    }
    if (jobs.size() < 2)
        return; // laid one by one as they come
    QtConcurrent::blockingMap(jobs, [this](Job& job) { paintSprite(*job.sprite, job.inputs); });
    for (Job& job : jobs) {
        const qint64 bytes = job.sprite->image.sizeInBytes();
        m_sprites.insert(job.id, job.sprite.release(), bytes);
    }
}

void CanvasPainter::layAnnotation(QPainter& p, const AnnotationObject& a, const Laid& laid, const QRectF& area,
                                  qreal dpr)
{
    const auto rects = spriteRects(a, area, dpr);
    if (!rects)
        return;
    if (laid.shown && !rects->needed.isEmpty()) {
        if (const Sprite* sprite = spriteFor(a.id, *laid.shown, *rects, dpr))
            p.drawImage(QPointF(sprite->origin) / dpr, sprite->image);
        else
            paintAnnotation(p, *laid.shown); // too large to keep: straight into the layer
    }
    if (laid.chrome != Chrome::none)
        paintSelection(p, a, laid.chrome == Chrome::outlineAndGrips);
}

const CanvasPainter::Sprite* CanvasPainter::spriteFor(const QUuid& id, const AnnotationObject& shown,
                                                      const SpriteRects& rects, qreal dpr)
{
    if (qint64(rects.kept.width()) * rects.kept.height() > spritePixelLimit)
        return nullptr;
    if (const Sprite* kept = m_sprites.object(id); kept && spriteFits(*kept, shown, rects.needed, dpr))
        return kept;
    if (m_paintDirectly)
        return nullptr;
    auto made = std::make_unique<Sprite>();
    made->shown = shown;
    made->contentSize = m_contentSize;
    made->dpr = dpr;
    made->pictureKey = m_vm.original().cacheKey();
    made->origin = rects.kept.topLeft();
    made->image = QImage(rects.kept.size(), QImage::Format_ARGB32_Premultiplied);
    paintSprite(*made, inputsFor(shown));
    const Sprite* sprite = made.get();
    const qint64 bytes = made->image.sizeInBytes();
    // Refused (and freed) when it alone is over the budget.
    return m_sprites.insert(id, made.release(), bytes) ? sprite : nullptr;
}

void CanvasPainter::paintSprite(Sprite& sprite, const Inputs& inputs) const
{
    sprite.image.fill(Qt::transparent);
    sprite.image.setDevicePixelRatio(sprite.dpr);
    QPainter sp(&sprite.image);
    // The same device pixels as in the layer, so it looks the same as painted there.
    sp.translate(-QPointF(sprite.origin) / sprite.dpr);
    paintShown(sp, sprite.shown, inputs);
}

CanvasPainter::Inputs CanvasPainter::inputsFor(const AnnotationObject& a)
{
    Inputs inputs;
    switch (AnnotationKinds::of(a.kind).source()) {
    case AnnotationKindBehaviour::Source::blurredPicture:
        if (a.points.size() >= 2)
            if (!m_vm.original().isNull())
                inputs.blurred = m_blurred.blurred(m_vm.original(), a.blurStyle.value_or(BlurStyle::pixelated),
                                                   a.blurAmount.value_or(18));
        break;
    case AnnotationKindBehaviour::Source::embeddedPicture:
        if (a.imageData)
            inputs.picture = m_pictures.image(a.id, *a.imageData);
        break;
    case AnnotationKindBehaviour::Source::picture: // read where it is painted
    case AnnotationKindBehaviour::Source::none:
        break;
    }
    return inputs;
}

void CanvasPainter::paintAnnotation(QPainter& p, const AnnotationObject& a)
{
    paintShown(p, a, inputsFor(a));
}

void CanvasPainter::paintShown(QPainter& p, const AnnotationObject& a, const Inputs& inputs) const
{
    const QSizeF px = m_vm.imagePixelSize();
    const auto fit = AnnotationGeometry::fittedTransform(px, m_contentSize);
    QTransform toViewPoints;
    toViewPoints.translate(fit.offset.x(), fit.offset.y());
    toViewPoints.scale(fit.scale, fit.scale);

    AnnotationBackdrop backdrop;
    backdrop.picture = &m_vm.original();
    backdrop.blurred = &inputs.blurred;
    backdrop.decoded = &inputs.picture;
    p.save();
    p.setTransform(toViewPoints, true);
    AnnotationRenderer::paint(a, p, backdrop);
    p.restore();
}

void CanvasPainter::paintSelection(QPainter& p, const AnnotationObject& a, bool grips)
{
    const QRectF outline = AnnotationKinds::of(a.kind).selectionOutline(a);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath rounded;
    rounded.addRoundedRect(toView(outline), 3, 3);
    p.strokePath(rounded, dashedPen(Theme::withAlpha(Theme::accent(), 0.9), 1.5, 4, 3));
    if (grips) {
        for (const CanvasGrips::Grip& g : CanvasGrips::handlePositions(a, m_contentSize, m_vm.imagePixelSize())) {
            const bool round = g.handle == DragHandle::arrowStart || g.handle == DragHandle::arrowEnd
                               || g.handle == DragHandle::tail || g.handle == DragHandle::tailBase;
            paintGrip(p, g.point, round);
        }
    }
    p.restore();
}

void CanvasPainter::paintMarquee(QPainter& p)
{
    const auto& marquee = m_selection.marqueeRect();
    if (!marquee)
        return;
    const QRectF v = toView(*marquee);
    p.save();
    p.fillRect(v, Theme::withAlpha(Theme::accent(), 0.12));
    p.setPen(dashedPen(Theme::withAlpha(Theme::accent(), 0.8), 1, 4, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(v);
    p.restore();
}

void CanvasPainter::paintCropOverlay(QPainter& p)
{
    const auto& draft = m_crop.cropDraft();
    if (!draft)
        return;
    const QRectF k = toView(*draft);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Everything but the draft is dimmed.
    QPainterPath dim;
    dim.setFillRule(Qt::OddEvenFill);
    dim.addRect(QRectF(QPointF(0, 0), m_contentSize));
    dim.addRect(k);
    p.fillPath(dim, QColor(0, 0, 0, qRound(0.45 * 255)));
    p.setBrush(Qt::NoBrush);
    p.setPen(dashedPen(Qt::white, 1.5, 6, 4));
    p.drawRect(k);
    p.setPen(solidPen(Theme::accent(), 1));
    p.drawRect(k);
    for (const QPointF& corner : {k.topLeft(), k.topRight(), k.bottomLeft(), k.bottomRight()})
        paintGrip(p, corner, false);
    p.restore();
}

QRectF CanvasPainter::draftBounds() const
{
    const auto& draft = m_drawing.draft();
    return draft ? toView(paintExtent(*draft)).adjusted(-2, -2, 2, 2) : QRectF();
}

QRectF CanvasPainter::marqueeBounds() const
{
    const auto& marquee = m_selection.marqueeRect();
    return marquee ? toView(*marquee).adjusted(-2, -2, 2, 2) : QRectF();
}
