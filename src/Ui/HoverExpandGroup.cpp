#include "Ui/HoverExpandGroup.h"

#include "Ui/Popover.h"

#include <QEvent>
#include <QHBoxLayout>

HoverExpandGroup::HoverExpandGroup(QWidget* trigger, ContentBuilder content, DelayScheduler& scheduler, QWidget* parent)
    : QAbstractButton(parent)
    , m_trigger(trigger)
    , m_content(std::move(content))
    , m_closeWork(scheduler)
{
    m_trigger->setObjectName(QStringLiteral("trigger"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(trigger);
    // The chip only draws: clicks anywhere on it belong to the group.
    trigger->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        m_closeWork.cancel();
        setOpen(!m_open);
    });
}

HoverExpandGroup::~HoverExpandGroup() { m_closeWork.cancel(); }

void HoverExpandGroup::hover(bool inside)
{
    m_closeWork.cancel();
    if (inside) {
        if (!m_open)
            setOpen(true);
        return;
    }
    m_closeWork.start(closeDelayMs, [this] { setOpen(false); });
}

void HoverExpandGroup::collapse()
{
    m_closeWork.cancel();
    setOpen(false);
}

void HoverExpandGroup::setOpen(bool open)
{
    if (open && !isVisible())
        return; // a chip that is not on screen has nothing to hang a popover from
    if (open == m_open)
        return;
    m_open = open;
    if (open) {
        if (!m_popover) {
            m_popover = new Popover(Popover::Mode::hover, this);
            m_popover->setContent(m_content([this] { collapse(); }));
            m_popover->installEventFilter(this);
            connect(m_popover, &Popover::closed, this, [this] {
                if (m_open) { // hidden from outside (the window went away)
                    m_closeWork.cancel();
                    m_open = false;
                    Q_EMIT openChanged(false);
                }
            });
        }
        m_popover->showAt(this);
    } else if (m_popover) {
        m_popover->hide();
    }
    Q_EMIT openChanged(open);
}

void HoverExpandGroup::enterEvent(QEnterEvent* e)
{
    QAbstractButton::enterEvent(e);
    hover(true);
}

void HoverExpandGroup::leaveEvent(QEvent* e)
{
    QAbstractButton::leaveEvent(e);
    hover(false);
}

void HoverExpandGroup::hideEvent(QHideEvent* e)
{
    QAbstractButton::hideEvent(e);
    collapse();
}

bool HoverExpandGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_popover) {
        if (event->type() == QEvent::Enter)
            hover(true);
        else if (event->type() == QEvent::Leave)
            hover(false);
    }
    return QAbstractButton::eventFilter(watched, event);
}
