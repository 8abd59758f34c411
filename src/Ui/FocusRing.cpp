#include "Ui/FocusRing.h"

#include "Ui/Theme.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

constexpr const char* shapeProperty = "zentuFocusShape";
constexpr const char* keyboardProperty = "zentuKeyboardFocus";
constexpr const char* ringName = "zentuFocusRing";

// Room around the control for the whole ring.
int margin() { return int(std::ceil(FocusRing::offset + FocusRing::width / 2)) + 1; }

qreal radiusOf(const QWidget* control)
{
    const QVariant shape = control->property(shapeProperty);
    const qreal radius = shape.isValid() ? shape.toReal() : FocusRing::cornerRadius;
    const qreal half = qMin(control->width(), control->height()) / 2.0;
    return radius < 0 ? half : qMin(radius, half);
}

// Whether the keyboard moves the focus in a window: set by Tab, cleared by a
// click; a popover opened from a window follows the window until it has its
// own say.
bool keyboardDriven(const QWidget* window)
{
    for (const QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const QVariant said = w->property(keyboardProperty);
        if (said.isValid())
            return said.toBool();
    }
    return false;
}

QRect ringRect(const QWidget* control, const QWidget* host)
{
    const int m = margin();
    return QRect(control->mapTo(host, QPoint(0, 0)), control->size()).adjusted(-m, -m, m, m);
}

// Where the ring goes: the nearest ancestor with room for it, so a control
// in a row just its height is ringed all round. Never above the content of a
// scroll area (the ring scrolls with it and stays inside its view).
QWidget* hostFor(const QWidget* control)
{
    QWidget* host = control->parentWidget();
    while (host && !host->isWindow() && !host->rect().contains(ringRect(control, host))) {
        QWidget* up = host->parentWidget();
        auto* area = up ? qobject_cast<QAbstractScrollArea*>(up->parentWidget()) : nullptr;
        if (!up || (area && area->viewport() == up))
            break;
        host = up;
    }
    return host;
}

// The ring itself: a child of its host lying over the control, a little
// larger, transparent but for the ring.
class RingOverlay final : public QWidget {
public:
    RingOverlay(QWidget* control, QWidget* host)
        : QWidget(host)
        , m_control(control)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QLatin1String(ringName));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_control)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal m = margin();
        const QRectF control(m, m, m_control->width(), m_control->height());
        const qreal radius = radiusOf(m_control) + FocusRing::offset;
        QPainterPath ring;
        ring.addRoundedRect(control.adjusted(-FocusRing::offset, -FocusRing::offset, FocusRing::offset,
                                             FocusRing::offset),
                            radius, radius);
        p.strokePath(ring, QPen(Theme::accent(m_control), FocusRing::width));
    }

private:
    QPointer<QWidget> m_control;
};

} // namespace

FocusRing::FocusRing(QObject* parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

FocusRing::~FocusRing()
{
    if (qApp)
        qApp->removeEventFilter(this);
    delete m_ring;
}

void FocusRing::setShape(QWidget* control, qreal radius)
{
    if (control)
        control->setProperty(shapeProperty, radius);
}

bool FocusRing::decorates(const QWidget* control)
{
    if (!control || !control->parentWidget())
        return false;
    if (control->property(shapeProperty).isValid())
        return true;
    if (!qobject_cast<const QAbstractButton*>(control))
        return false;
    // Buttons the platform style draws show their focus in its own way.
    static const QByteArray styled[] = {"QPushButton", "QToolButton", "QCheckBox", "QRadioButton", "QCommandLinkButton"};
    const QByteArray name = control->metaObject()->className();
    return std::find(std::begin(styled), std::end(styled), name) == std::end(styled);
}

bool FocusRing::isRing(const QObject* object) { return object && object->objectName() == QLatin1String(ringName); }

QWidget* FocusRing::ringedControl() const { return m_ring && m_ring->isVisible() ? m_control.data() : nullptr; }

void FocusRing::follow(QWidget* control)
{
    if (control == m_control && m_ring) {
        place();
        return;
    }
    drop();
    m_control = control;
    QWidget* host = hostFor(control);
    m_ring = new RingOverlay(control, host);
    // The widgets between the control and the host: their moves move the control against the ring.
    m_between.clear();
    for (QWidget* w = control->parentWidget(); w && w != host; w = w->parentWidget())
        m_between.append(w);
    connect(control, &QObject::destroyed, this, &FocusRing::drop);
    place();
}

void FocusRing::drop()
{
    if (m_control)
        disconnect(m_control, &QObject::destroyed, this, &FocusRing::drop);
    m_control = nullptr;
    m_between.clear();
    delete m_ring;
}

void FocusRing::place()
{
    if (!m_control || !m_ring)
        return;
    m_ring->setGeometry(ringRect(m_control, m_ring->parentWidget()));
    m_ring->setVisible(m_control->isVisible());
    m_ring->raise();
    m_ring->update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    switch (type) {
    case QEvent::FocusIn: {
        if (w == m_ring)
            break;
        QWidget* window = w->window();
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            window->setProperty(keyboardProperty, true);
        else if (reason == Qt::MouseFocusReason)
            window->setProperty(keyboardProperty, false);
        if (decorates(w) && keyboardDriven(window))
            follow(w);
        else
            drop();
        break;
    }
    case QEvent::FocusOut:
        if (w == m_control)
            drop();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (w == m_control || m_between.contains(w))
            place();
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ZOrderChange:
        if (w == m_control)
            place();
        break;
    case QEvent::ParentChange:
        if (w == m_control) {
            drop();
            if (w->hasFocus() && decorates(w) && keyboardDriven(w->window()))
                follow(w);
        }
        break;
    default: break;
    }
    return false;
}
