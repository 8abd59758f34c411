#include "Screenshot/ScrollProgressHUD.h"

#include "Localization/Localizer.h"
#include "Ui/ScrollMotifIcon.h"
#include "Platform/CompositingInfo.h"
#include "Screenshot/GrabExclusions.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

namespace {

// Sizes are given in device-independent pixels; Qt fonts want points.
QFont pxFont(const QPaintDevice* device, qreal px, QFont::Weight weight)
{
    QFont font = QApplication::font();
    font.setPointSizeF(px * 72.0 / qMax(1, device->logicalDpiY()));
    font.setWeight(weight);
    return font;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(color.alphaF() * alpha);
    return color;
}

// The panel's content: card with motif, title, strip count and Escape hint.
class ScrollHUDView final : public QWidget {
public:
    ScrollHUDView(ScrollProgress& progress, bool translucent, QImage backdrop)
        : m_translucent(translucent)
        , m_backdrop(std::move(backdrop))
    {
        const QColor accent = palette().color(QPalette::Highlight);
        m_motif = new ScrollMotifIcon(accent, this);
        m_count = progress.strips();
        m_countAnimation = new QVariantAnimation(this);
        m_countAnimation->setDuration(200);
        m_countAnimation->setEasingCurve(QEasingCurve::InOutQuad);
        m_countAnimation->setStartValue(0.0);
        m_countAnimation->setEndValue(1.0);
        connect(m_countAnimation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
        connect(&progress, &ScrollProgress::stripsChanged, this, [this](int strips) {
            m_previousCount = m_count;
            m_count = strips;
            m_countAnimation->stop();
            m_countAnimation->start();
        });
    }

    QRectF cardRect() const
    {
        const qreal h = cardHeight();
        return QRectF(6, (height() - h) / 2, width() - 12, h);
    }

protected:
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::LanguageChange)
            update();
        QWidget::changeEvent(e);
    }

    void resizeEvent(QResizeEvent*) override
    {
        const QRectF card = cardRect();
        const QPointF circleCentre(card.left() + 18 + 23, card.center().y());
        m_motif->setGeometry(QRectF(circleCentre.x() - 14, circleCentre.y() - 12.5, 28, 25).toRect());
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        if (!m_translucent) {
            if (!m_backdrop.isNull())
                p.drawImage(rect(), m_backdrop);
            else
                p.fillRect(rect(), palette().color(QPalette::Window));
        }
        const QRectF card = cardRect();
        // Shadow: black 0.22, radius 16, offset (0, 5), approximated in rings.
        for (int i = 8; i >= 1; --i) {
            QPainterPath ring;
            ring.addRoundedRect(card.translated(0, 5).adjusted(-i, -i, i, i), 16 + i, 16 + i);
            p.fillPath(ring, QColor(0, 0, 0, int(0.22 * 255 / 8 * (9 - i) / 4.5)));
        }
        QPainterPath shape;
        shape.addRoundedRect(card, 16, 16);
        const QColor windowColour = palette().color(QPalette::Window);
        p.fillPath(shape, m_translucent ? withAlpha(windowColour, 0.92) : windowColour);
        const QColor primary = palette().color(QPalette::WindowText);
        QPainterPath inner;
        inner.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 15.5, 15.5);
        p.strokePath(inner, QPen(withAlpha(primary, 0.08), 1));

        // Motif circle; the animated motif itself is a child widget on it.
        const QColor accent = palette().color(QPalette::Highlight);
        const QPointF circleCentre(card.left() + 18 + 23, card.center().y());
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(accent, 0.14));
        p.drawEllipse(circleCentre, 23, 23);

        // Text column, vertically centred.
        const qreal x = card.left() + 18 + 46 + 14;
        const qreal right = card.right() - 18;
        const QFont titleFont = pxFont(this, 13, QFont::DemiBold);
        const QFont countFont = pxFont(this, 11, QFont::Normal);
        const QFont hintFont = pxFont(this, 10, QFont::Normal);
        const QFont symbolFont = pxFont(this, 9, QFont::Bold);
        const qreal h1 = QFontMetricsF(titleFont).height();
        const qreal h2 = QFontMetricsF(countFont).height();
        const qreal h3 = QFontMetricsF(hintFont).height();
        qreal y = card.center().y() - (h1 + 3 + h2 + 3 + h3) / 2;

        p.setPen(primary);
        p.setFont(titleFont);
        p.drawText(QRectF(x, y, right - x, h1), Qt::AlignLeft | Qt::AlignVCenter,
                   Localizer::t(QStringLiteral("Scroll-Aufnahme läuft …")));
        y += h1 + 3;

        // The count rolls up: the old number leaves upwards, the new one comes in.
        p.save();
        p.setClipRect(QRectF(x, y, right - x, h2));
        p.setFont(countFont);
        const qreal t = m_countAnimation->state() == QAbstractAnimation::Running
            ? m_countAnimation->currentValue().toReal()
            : 1.0;
        if (t < 1.0) {
            p.setPen(withAlpha(primary, 0.5 * (1 - t)));
            p.drawText(QRectF(x, y - t * h2, right - x, h2), Qt::AlignLeft | Qt::AlignVCenter,
                       ScrollProgressHUD::countText(m_previousCount));
        }
        p.setPen(withAlpha(primary, 0.5 * t));
        p.drawText(QRectF(x, y + (1 - t) * h2, right - x, h2), Qt::AlignLeft | Qt::AlignVCenter,
                   ScrollProgressHUD::countText(m_count));
        p.restore();
        y += h2 + 3;

        const QColor tertiary = withAlpha(primary, 0.26);
        p.setPen(tertiary);
        p.setFont(symbolFont);
        const QString escapeSymbol = QStringLiteral("\u238B");
        const qreal symbolWidth = QFontMetricsF(symbolFont).horizontalAdvance(escapeSymbol);
        p.drawText(QRectF(x, y, symbolWidth, h3), Qt::AlignLeft | Qt::AlignVCenter, escapeSymbol);
        p.setFont(hintFont);
        p.drawText(QRectF(x + symbolWidth + 5, y, right - x - symbolWidth - 5, h3), Qt::AlignLeft | Qt::AlignVCenter,
                   Localizer::t(QStringLiteral("ESC zum Stoppen · Fenster nicht schließen")));
    }

private:
    qreal cardHeight() const
    {
        const qreal column = QFontMetricsF(pxFont(this, 13, QFont::DemiBold)).height() + 3
            + QFontMetricsF(pxFont(this, 11, QFont::Normal)).height() + 3
            + QFontMetricsF(pxFont(this, 10, QFont::Normal)).height();
        return qMin<qreal>(qMax<qreal>(46, column) + 26, height() - 12);
    }

    bool m_translucent;
    QImage m_backdrop;
    ScrollMotifIcon* m_motif;
    QVariantAnimation* m_countAnimation;
    int m_count = 0;
    int m_previousCount = 0;
};

} // namespace

ScrollProgressHUD::ScrollProgressHUD(std::shared_ptr<CompositingInfo> compositing, Backdrop::Source backdrop,
                                     GrabExclusions& exclusions)
    : m_compositing(std::move(compositing))
    , m_backdrop(std::move(backdrop))
    , m_exclusions(exclusions)
{
}

ScrollProgressHUD::~ScrollProgressHUD()
{
    hide();
}

QPoint ScrollProgressHUD::panelOrigin(const QRect& available)
{
    return QPoint(available.x() + available.width() / 2 - panelWidth / 2, available.y() + 40);
}

QString ScrollProgressHUD::countText(int strips)
{
    return Localizer::t(QStringLiteral("%d Abschnitte erfasst")).replace(QStringLiteral("%d"), QString::number(strips));
}

void ScrollProgressHUD::show()
{
    if (m_panel)
        return;
    m_progress.setStrips(0);
    m_progress.setHeightPx(0);

    QRect geometry(QPoint(0, 0), QSize(panelWidth, panelHeight));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        geometry.moveTopLeft(panelOrigin(screen->availableGeometry()));
    const bool translucent = m_compositing && m_compositing->isCompositing();
    QImage backdrop;
    if (!translucent && m_backdrop)
        backdrop = m_backdrop(geometry);

    auto* view = new ScrollHUDView(m_progress, translucent, backdrop);
    view->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                         | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
    view->setAttribute(Qt::WA_ShowWithoutActivating);
    view->setAttribute(Qt::WA_DeleteOnClose);
    if (translucent)
        view->setAttribute(Qt::WA_TranslucentBackground);
    view->setWindowTitle(QStringLiteral("Zentu.it"));
    view->setGeometry(geometry);
    // Left out of the grabs from its first frame on.
    m_panel = view;
    m_windowID = quint32(view->winId());
    m_exclusions.add(*m_windowID);
    view->show();
}

void ScrollProgressHUD::hide()
{
    if (m_windowID) {
        m_exclusions.remove(*m_windowID);
        m_windowID.reset();
    }
    if (m_panel) {
        m_panel->hide();
        m_panel->deleteLater();
        m_panel = nullptr;
    }
}

void drawScrollIcon(QPainter& painter, const QRectF& rect, qreal phase, const QColor& color)
{
    painter.save();
    painter.translate(rect.topLeft());
    const qreal k = qMin(rect.width(), rect.height()) / 24.0;
    painter.scale(k, k);
    ScrollMotifIcon::drawDesignBox(painter, phase, color);
    painter.restore();
}
