#include "Ui/TooltipHost.h"

#include "Ui/Theme.h"
#include "Ui/ToolbarShapes.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace {

constexpr qreal textPx = 11.5;
constexpr qreal hPadding = 10;
constexpr qreal vPadding = 5;
constexpr qreal cornerRadius = 7;
constexpr qreal startOffset = 5; // a new tooltip slides down this far while it fades in

QFont tipFont() { return Theme::font(textPx, QFont::Medium); }

// Watches one control's hover and hands it to the host that serves it.
QString objectNameOfFilter() { return QStringLiteral("zentu-gooey-tip"); }

class GooeyTipFilter : public QObject {
public:
    GooeyTipFilter(QWidget* control, QString text) : QObject(control), m_control(control), m_text(std::move(text))
    {
        setObjectName(objectNameOfFilter());
        control->installEventFilter(this);
    }
    void setText(const QString& text) { m_text = text; }
    const QString& text() const { return m_text; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_control)
            return false;
        switch (event->type()) {
        case QEvent::Enter:
            if (TooltipHost* host = TooltipHost::forControl(m_control))
                host->controlEntered(m_control, m_text);
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            if (TooltipHost* host = TooltipHost::forControl(m_control))
                host->controlLeft(m_control);
            break;
        default: break;
        }
        return false;
    }

private:
    QWidget* m_control;
    QString m_text;
};

GooeyTipFilter* filterOf(const QWidget* control)
{
    // Found by name: the filter has no meta-object of its own to cast by.
    return control ? static_cast<GooeyTipFilter*>(
                         control->findChild<QObject*>(objectNameOfFilter(), Qt::FindDirectChildrenOnly))
                   : nullptr;
}

} // namespace

TooltipHost::TooltipHost(DelayScheduler& scheduler, QWidget* parent)
    : QWidget(parent)
    , m_showWork(scheduler)
    , m_fade(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_fade->setDuration(fadeInMs);
    m_fade->setEasingCurve(QEasingCurve::OutQuad);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const QRectF before = currentRect();
        m_progress = v.toDouble();
        update(before.united(currentRect()).toAlignedRect().adjusted(-12, -12, 12, 12));
    });
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

TooltipHost::~TooltipHost() { m_showWork.cancel(); }

TooltipHost* TooltipHost::forControl(QWidget* control)
{
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* host = w->findChild<TooltipHost*>(QString(), Qt::FindDirectChildrenOnly))
            return host;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

void TooltipHost::controlEntered(QWidget* control, const QString& text)
{
    m_showWork.cancel();
    m_pending = control;
    m_showWork.start(showDelayMs, [this, text] {
        if (m_pending && m_pending->isVisible())
            show(m_pending, text);
        m_pending = nullptr;
    });
}

void TooltipHost::controlLeft(QWidget* control)
{
    if (m_pending == control) {
        m_showWork.cancel();
        m_pending = nullptr;
    }
    if (m_shown == control)
        hideTip();
}

void TooltipHost::show(QWidget* control, const QString& text)
{
    const QRectF before = currentRect();
    m_shown = control;
    m_text = text;
    raise(); // above whatever was added to the parent since
    update(before.toAlignedRect().adjusted(-12, -12, 12, 12));
    m_fade->stop();
    m_progress = 0.0;
    m_fade->start();
}

void TooltipHost::hideTip()
{
    const QRectF before = currentRect();
    m_fade->stop();
    m_shown = nullptr;
    m_text.clear();
    update(before.toAlignedRect().adjusted(-12, -12, 12, 12));
}

QRectF TooltipHost::tooltipRect(const QString& text, QPointF centre)
{
    const QFontMetricsF fm(tipFont());
    // Never wrapped: the bubble is as wide as its one line.
    const QSizeF bubble(fm.horizontalAdvance(text) + 2 * hPadding, fm.height() + 2 * vPadding);
    QRectF r(0, 0, qMax(bubble.width(), arrowWidth), bubble.height() + arrowHeight);
    r.moveCenter(centre);
    return r;
}

QColor TooltipHost::background() { return QColor::fromRgbF(0.14f, 0.14f, 0.14f, 1.0f); }

QRectF TooltipHost::bubbleRect() const
{
    if (!m_shown)
        return {};
    const QRect a(mapFromGlobal(m_shown->mapToGlobal(QPoint(0, 0))), m_shown->size());
    const QPointF centre(a.left() + a.width() / 2.0, a.top() + a.height() + gapBelowControl);
    return tooltipRect(m_text, centre);
}

QRectF TooltipHost::currentRect() const
{
    return bubbleRect().translated(0, -startOffset * (1.0 - m_progress));
}

bool TooltipHost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TooltipHost::paintEvent(QPaintEvent*)
{
    if (!m_shown)
        return;
    const QRectF r = currentRect();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(m_progress);

    const QRectF arrow(r.center().x() - arrowWidth / 2, r.top(), arrowWidth, arrowHeight);
    const QRectF bubble(r.left(), r.top() + arrowHeight, r.width(), r.height() - arrowHeight);
    QPainterPath shape;
    shape.addRoundedRect(bubble, cornerRadius, cornerRadius);
    shape = shape.united(ToolbarShapes::tooltipTriangle(arrow));

    // A soft shadow 2 points down: a few widening strokes of falling strength.
    const QPainterPath shadow = shape.translated(0, 2);
    for (int i = 5; i >= 1; --i) {
        p.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.18f / 5), 2.0 * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(shadow);
    }
    p.fillPath(shadow, QColor::fromRgbF(0, 0, 0, 0.18f));
    p.fillPath(shape, background());

    p.setFont(tipFont());
    p.setPen(Qt::white);
    p.drawText(bubble, Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

void gooeyTip(QWidget* control, const QString& text)
{
    if (!control)
        return;
    if (GooeyTipFilter* existing = filterOf(control))
        existing->setText(text);
    else
        new GooeyTipFilter(control, text);
}

QString gooeyTipText(const QWidget* control)
{
    const GooeyTipFilter* f = filterOf(control);
    return f ? f->text() : QString();
}
