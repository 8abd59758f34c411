#include "Ui/TooltipHost.h"

#include "Ui/TooltipWindow.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

namespace {

constexpr const char* tipProperty = "zentuGooeyTip";

// Windows that belong to the control they were opened from: popovers, hover
// groups, menus. A dialog or an ordinary window is a place of its own.
bool opensFromItsParent(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    return type == Qt::Popup || type == Qt::ToolTip;
}

} // namespace

TooltipHost::TooltipHost(DelayScheduler& scheduler, QWidget* area)
    : QObject(area)
    , m_area(area)
    , m_showWork(scheduler)
    , m_fade(new QVariantAnimation(this))
{
    m_fade->setDuration(fadeInMs);
    m_fade->setEasingCurve(QEasingCurve::OutQuad);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_progress = v.toDouble();
        if (m_window)
            m_window->setProgress(m_progress);
    });
    qApp->installEventFilter(this);
}

TooltipHost::~TooltipHost()
{
    if (qApp)
        qApp->removeEventFilter(this);
    m_showWork.cancel();
    delete m_window;
}

TooltipHost* TooltipHost::forControl(QWidget* control)
{
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* host = w->findChild<TooltipHost*>(QString(), Qt::FindDirectChildrenOnly))
            return host;
        if (w->isWindow() && !opensFromItsParent(w))
            break;
    }
    return nullptr;
}

QString TooltipHost::tipText(const QWidget* control)
{
    if (!control)
        return {};
    const QString own = gooeyTipText(control);
    return own.isEmpty() ? control->toolTip() : own;
}

QWidget* TooltipHost::tipOwner(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (!tipText(w).isEmpty())
            return w;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

bool TooltipHost::serves(QWidget* widget) const { return widget && forControl(widget) == this; }

void TooltipHost::controlEntered(QWidget* control, const QString& text)
{
    m_showWork.cancel();
    if (m_shown && m_shown != control)
        hideTip();
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
    if (!m_window)
        m_window = new TooltipWindow(m_area);
    m_window->hide(); // shown anew: a fresh still where no compositor runs
    if (m_shown && m_shown != control)
        disconnect(m_shown, &QObject::destroyed, this, &TooltipHost::hideTip);
    m_shown = control;
    // A control that goes (a row filtered away, a list rebuilt) takes its tip along.
    connect(control, &QObject::destroyed, this, &TooltipHost::hideTip, Qt::UniqueConnection);
    m_text = text;
    const QRect rect(control->mapToGlobal(QPoint(0, 0)), control->size());
    QScreen* screen = control->screen() ? control->screen() : QGuiApplication::primaryScreen();
    m_window->place(text, rect, screen ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16));
    m_fade->stop();
    m_progress = 0.0;
    m_window->setProgress(0.0);
    m_window->show();
    m_window->raise(); // above the popover its control may sit in
    m_fade->start();
}

void TooltipHost::hideTip()
{
    if (m_shown)
        disconnect(m_shown, &QObject::destroyed, this, &TooltipHost::hideTip);
    m_fade->stop();
    m_shown = nullptr;
    m_text.clear();
    if (m_window)
        m_window->hide();
}

QRectF TooltipHost::bubbleRect() const { return m_shown && m_window ? m_window->tipRect() : QRectF(); }

void TooltipHost::pointerMovedOnto(QWidget* widget)
{
    QWidget* owner = tipOwner(widget);
    if (!owner || owner == m_pending || owner == m_shown)
        return;
    controlEntered(owner, tipText(owner));
}

bool TooltipHost::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!watched->isWidgetType()
        || (type != QEvent::ToolTip && type != QEvent::Enter && type != QEvent::Leave && type != QEvent::Hide
            && type != QEvent::MouseButtonPress))
        return false;
    auto* w = static_cast<QWidget*>(watched);
    switch (type) {
    case QEvent::ToolTip:
        // The platform's tooltip never shows where the app draws its own.
        return serves(w);
    case QEvent::Enter:
        if (serves(w))
            pointerMovedOnto(w);
        break;
    case QEvent::Leave:
        if (w == m_pending || w == m_shown) {
            controlLeft(w);
            // Back on a surrounding control that has a tip of its own.
            if (QWidget* under = QApplication::widgetAt(QCursor::pos()); under && serves(under) && !w->isAncestorOf(under))
                pointerMovedOnto(under);
        }
        break;
    case QEvent::Hide:
        if (w == m_window && m_shown)
            hideTip(); // hidden from outside, before a capture
        else if (w == m_pending || w == m_shown)
            controlLeft(w);
        break;
    case QEvent::MouseButtonPress:
        // A press takes the tip away: the control is being used.
        if (m_shown && (w == m_shown || m_shown->isAncestorOf(w)))
            hideTip();
        else if (m_pending && (w == m_pending || m_pending->isAncestorOf(w)))
            controlLeft(m_pending);
        break;
    default: break;
    }
    return false;
}

void gooeyTip(QWidget* control, const QString& text)
{
    if (control)
        control->setProperty(tipProperty, text);
}

QString gooeyTipText(const QWidget* control)
{
    return control ? control->property(tipProperty).toString() : QString();
}
