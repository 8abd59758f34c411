#include "Screenshot/ScrollCoverOverlay.h"

#include "Localization/Localizer.h"
#include "Platform/CompositingInfo.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollProgress.h"
#include "Screenshot/ScrollProgressHUD.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVariantAnimation>
#include <cmath>

namespace {

QFont pxSized(QFont font, const QPaintDevice* device, qreal px)
{
    font.setPointSizeF(px * 72.0 / qMax(1, device->logicalDpiY()));
    return font;
}

QFont systemFont(const QPaintDevice* device, qreal px, QFont::Weight weight)
{
    QFont font = pxSized(QApplication::font(), device, px);
    font.setWeight(weight);
    return font;
}

const QColor ink = QColor::fromRgbF(0.12f, 0.13f, 0.15f);
const QColor muted = QColor::fromRgbF(0.4f, 0.42f, 0.46f);
const QColor glyph = QColor::fromRgbF(0.28f, 0.28f, 0.28f);
const QColor hint = QColor::fromRgbF(0.55f, 0.55f, 0.55f);

// The bright line sweeping from the bottom edge to the top edge; its glow
// reaches 8 px to either side. It passes behind the card: the card's glass
// would let it run through the texts.
class ScanLine final : public QWidget {
public:
    ScanLine(const QRectF& card, QWidget* parent)
        : QWidget(parent)
        , m_card(card)
    {
    }
    static constexpr int glow = 8;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QPainterPath outside;
        outside.addRect(QRectF(rect()));
        QPainterPath card;
        card.addRoundedRect(m_card.translated(-QPointF(pos())), ScrollCoverOverlay::cardRadius,
                            ScrollCoverOverlay::cardRadius);
        p.setClipPath(outside.subtracted(card));
        const qreal mid = height() / 2.0;
        QLinearGradient halo(0, 0, 0, height());
        halo.setColorAt(0, QColor(255, 255, 255, 0));
        halo.setColorAt(0.5, QColor(255, 255, 255, int(0.6 * 255)));
        halo.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(rect(), halo);
        p.fillRect(QRectF(0, mid - 1, width(), 2), QColor(255, 255, 255, int(0.85 * 255)));
    }

private:
    QRectF m_card; // in the cover's coordinates
};

class CoverWindow final : public QWidget {
public:
    CoverWindow(const QSize& size, bool translucent, QImage still, const ScrollProgress& progress)
        : m_translucent(translucent)
    {
        if (!still.isNull()) {
            // Blurred like the dark full-screen material it stands in for.
            m_background = Backdrop::blurred(still.scaled(size), 16);
            QPainter p(&m_background);
            p.fillRect(m_background.rect(), QColor(28, 28, 30, int(0.35 * 255)));
        }
        resize(size);
        const qreal pw = ScrollCoverOverlay::cardWidth(size.width());
        const QRect card = QRectF((size.width() - pw) / 2, (size.height() - ScrollCoverOverlay::cardHeight) / 2, pw,
                                  ScrollCoverOverlay::cardHeight)
                               .toRect();
        m_scan = new ScanLine(card, this);
        m_scan->setGeometry(0, size.height() - ScanLine::glow - 1, size.width(), 2 + 2 * ScanLine::glow);
        auto* sweep = new QVariantAnimation(this);
        sweep->setStartValue(0.0);
        sweep->setEndValue(qreal(size.height()));
        sweep->setDuration(3200);
        sweep->setLoopCount(-1);
        connect(sweep, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            const qreal centre = height() - v.toReal();
            m_scan->move(0, int(std::lround(centre - 1 - ScanLine::glow)));
        });
        sweep->start();

        m_card = new PillView(progress, this);
        m_card->setGeometry(card);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (m_translucent) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(rect(), QColor(28, 28, 30, int(0.6 * 255)));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else if (!m_background.isNull()) {
            p.drawImage(rect(), m_background);
        } else {
            p.fillRect(rect(), QColor(28, 28, 30));
        }
        p.fillRect(rect(), QColor(0, 0, 0, int(0.2 * 255)));
    }

private:
    bool m_translucent;
    QImage m_background;
    ScanLine* m_scan;
    PillView* m_card;
};

} // namespace

ScrollCoverOverlay::ScrollCoverOverlay(std::shared_ptr<CompositingInfo> compositing, Backdrop::Source backdrop,
                                       GrabExclusions& exclusions, ScrollProgress& progress)
    : m_compositing(std::move(compositing))
    , m_backdrop(std::move(backdrop))
    , m_exclusions(exclusions)
    , m_progress(progress)
{
}

ScrollCoverOverlay::~ScrollCoverOverlay()
{
    hide();
}

qreal ScrollCoverOverlay::cardWidth(qreal coverWidth)
{
    return qMin(qMax(coverWidth - 40, qreal(190)), qreal(272));
}

void ScrollCoverOverlay::show(const QRectF& rect)
{
    // A new run counts from nothing; a cover moved during the run goes on.
    if (!m_window) {
        m_progress.setStrips(0);
        m_progress.setHeightPx(0);
    }
    hide();
    const QRect geometry = rect.toAlignedRect();
    if (geometry.isEmpty())
        return;
    const bool translucent = m_compositing && m_compositing->isCompositing();
    QImage still;
    if (!translucent && m_backdrop)
        still = m_backdrop(geometry);

    // Unmanaged (no window-manager frame that would catch the clicks the cover
    // lets through), above the windows a window manager stacks.
    auto* cover = new CoverWindow(geometry.size(), translucent, still, m_progress);
    cover->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                          | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    cover->setAttribute(Qt::WA_ShowWithoutActivating);
    if (translucent)
        cover->setAttribute(Qt::WA_TranslucentBackground);
    cover->setWindowTitle(QStringLiteral("Zentu.it"));
    cover->setGeometry(geometry);
    m_window = cover;
    m_windowID = quint32(cover->winId());
    m_exclusions.add(*m_windowID);
    cover->show();
    cover->raise();
}

void ScrollCoverOverlay::hide()
{
    if (!m_window && !m_windowID)
        return;
    if (m_windowID)
        m_exclusions.remove(*m_windowID);
    m_windowID.reset();
    if (m_window) {
        m_window->hide();
        m_window->deleteLater();
    }
    m_window = nullptr;
}

PillView::PillView(const ScrollProgress& progress, QWidget* parent)
    : QWidget(parent)
    , m_progress(progress)
    , m_status(Localizer::t(QStringLiteral("Nehme auf …")))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&progress, &ScrollProgress::stripsChanged, this, qOverload<>(&QWidget::update));
}

QString PillView::countText() const { return ScrollProgressHUD::countText(m_progress.strips()); }

void PillView::tick()
{
    m_phase += 1.0 / 90.0;
    if (m_phase >= 1)
        m_phase -= 1;
    update();
}

bool PillView::animating() const
{
    return m_timer && m_timer->isActive();
}

void PillView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (animating())
        return;
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(1000 / 30);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &PillView::tick);
    }
    m_timer->start();
}

void PillView::hideEvent(QHideEvent* event)
{
    if (m_timer)
        m_timer->stop();
    QWidget::hideEvent(event);
}

QFont PillView::preferredFont(const QPaintDevice* device, qreal px, QFont::Weight weight)
{
    for (const QString& family : {QStringLiteral("Figtree"), QStringLiteral("Inter"), QStringLiteral("Inter Variable")}) {
        if (!QFontDatabase::hasFamily(family))
            continue;
        QFont font(family);
        font.setWeight(weight >= QFont::DemiBold ? QFont::Bold : QFont::Normal);
        return pxSized(font, device, px);
    }
    return systemFont(device, px, weight);
}

qreal PillView::pillKeycap(QPainter& painter, const QString& label, const QPointF& p, qreal k, const QColor& inkColour)
{
    const QFont font = preferredFont(painter.device(), k * 0.52, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const qreal kw = qMax(k, std::ceil(metrics.horizontalAdvance(label)) + 14);
    const QRectF key(p.x(), p.y(), kw, k);
    QPainterPath path;
    path.addRoundedRect(key, k * 0.3, k * 0.3);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    face.setColorAt(0, QColor(255, 255, 255, int(0.95 * 255)));
    face.setColorAt(1, QColor(255, 255, 255, int(0.78 * 255)));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, face);
    painter.strokePath(path, QPen(QColor(0, 0, 0, int(0.14 * 255)), 1));
    // Lower lip.
    painter.setPen(QPen(QColor(0, 0, 0, int(0.16 * 255)), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(key.left() + k * 0.28, key.bottom() - 1.3), QPointF(key.right() - k * 0.28, key.bottom() - 1.3));
    const qreal lh = metrics.height();
    painter.setFont(font);
    painter.setPen(inkColour);
    painter.drawText(QRectF(key.left(), key.top() + (k - lh) / 2 - 0.5, kw, lh), Qt::AlignHCenter | Qt::AlignTop, label);
    painter.restore();
    return kw;
}

void PillView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal W = width();

    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), ScrollCoverOverlay::cardRadius,
                        ScrollCoverOverlay::cardRadius);
    p.fillPath(card, QColor(255, 255, 255, int(0.68 * 255)));
    p.strokePath(card, QPen(QColor(0, 0, 0, int(0.08 * 255)), 1));

    drawScrollIcon(p, QRectF((W - 56) / 2, 22, 56, 56), m_phase, glyph);

    p.setFont(preferredFont(this, 13, QFont::DemiBold));
    p.setPen(ink);
    p.drawText(QRectF(0, 90, W, 18), Qt::AlignHCenter | Qt::AlignTop, m_status);
    p.setFont(preferredFont(this, 11.5, QFont::Normal));
    p.setPen(muted);
    p.drawText(QRectF(0, 111, W, 16), Qt::AlignHCenter | Qt::AlignTop, countText());

    const QString label = Localizer::t(QStringLiteral("Abbrechen"));
    const QFont labelFont = preferredFont(this, 11.5, QFont::Normal);
    const qreal lw = std::ceil(QFontMetricsF(labelFont).horizontalAdvance(label));
    const qreal kw = qMax(std::ceil(QFontMetricsF(systemFont(this, 10.4, QFont::DemiBold)).horizontalAdvance(QStringLiteral("esc"))) + 14, qreal(20));
    const qreal x = (W - (lw + kw + 8)) / 2;
    pillKeycap(p, QStringLiteral("esc"), QPointF(x, 138), 20, ink);
    p.setFont(labelFont);
    p.setPen(muted);
    p.drawText(QRectF(x + kw + 8, 141, lw + 4, 20), Qt::AlignLeft | Qt::AlignTop, label);

    p.setFont(systemFont(this, 10, QFont::Normal));
    p.setPen(hint);
    p.drawText(QRectF(8, 164, W - 16, 14), Qt::AlignHCenter | Qt::AlignTop,
               Localizer::t(QStringLiteral("Fenster vorn lassen — nicht minimieren")));
}
