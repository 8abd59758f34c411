#include "Ui/Popover.h"

#include "Ui/Theme.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

Popover::Popover(Mode mode, QWidget* parent)
    : QWidget(parent,
              mode == Mode::click ? Qt::Popup | Qt::FramelessWindowHint
                                  : Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                                        | Qt::WindowStaysOnTopHint) // as Qt makes every tooltip window
    , m_mode(mode)
{
    setAttribute(Qt::WA_TranslucentBackground);
    if (mode == Mode::hover)
        setAttribute(Qt::WA_ShowWithoutActivating);
}

void Popover::setContent(QWidget* content)
{
    if (m_content && m_content != content)
        m_content->deleteLater();
    m_content = content;
    if (content)
        content->setParent(this);
    relayout();
}

void Popover::relayout()
{
    if (!m_content)
        return;
    // A content of a fixed size (a list 240 x 320, a panel 280 wide) may hint
    // at less: what it is held to counts.
    QSize inner = m_content->sizeHint().expandedTo(m_content->minimumSizeHint()).expandedTo(m_content->minimumSize());
    inner = inner.boundedTo(m_content->maximumSize());
    if (m_content->hasHeightForWidth())
        inner.setHeight(std::max(inner.height(), m_content->heightForWidth(inner.width())));
    const int top = m_arrowOnTop ? arrowHeight : 0;
    m_content->setGeometry(contentPadding, top + contentPadding, inner.width(), inner.height());
    resize(inner.width() + 2 * contentPadding, inner.height() + 2 * contentPadding + arrowHeight);
}

void Popover::showAt(QWidget* anchor)
{
    if (!anchor)
        return;
    m_anchor = anchor;
    m_arrowOnTop = true;
    relayout();
    const QRect a(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    int y = a.bottom() + 1;
    if (y + height() > avail.bottom() && a.top() - height() >= avail.top()) {
        m_arrowOnTop = false;
        relayout();
        y = a.top() - height();
    }
    int x = a.center().x() - width() / 2;
    x = qBound(avail.left(), x, qMax(avail.left(), avail.right() - width() + 1));
    m_arrowX = qBound<qreal>(radius + arrowWidth / 2.0, a.center().x() - x, width() - radius - arrowWidth / 2.0);
    reshape(); // the arrow's side and place are part of the cut
    move(x, y);
    show();
    raise();
}

QPainterPath Popover::cardShape() const
{
    const QRectF body = m_arrowOnTop ? QRectF(0.5, arrowHeight + 0.5, width() - 1, height() - arrowHeight - 1)
                                     : QRectF(0.5, 0.5, width() - 1, height() - arrowHeight - 1);
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);
    QPainterPath arrow;
    if (m_arrowOnTop) {
        arrow.moveTo(m_arrowX - arrowWidth / 2.0, body.top() + 1);
        arrow.lineTo(m_arrowX, 0.5);
        arrow.lineTo(m_arrowX + arrowWidth / 2.0, body.top() + 1);
    } else {
        arrow.moveTo(m_arrowX - arrowWidth / 2.0, body.bottom() - 1);
        arrow.lineTo(m_arrowX, height() - 0.5);
        arrow.lineTo(m_arrowX + arrowWidth / 2.0, body.bottom() - 1);
    }
    arrow.closeSubpath();
    return path.united(arrow);
}

void Popover::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintBeneath(p, Theme::windowBackground(this));
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = cardShape();
    p.fillPath(path, Theme::windowBackground(this));
    p.setPen(QPen(Theme::primary(0.15, this), 1));
    p.drawPath(path);
}

void Popover::mousePressEvent(QMouseEvent* e)
{
    // Outside presses come here while a click popover is up.
    if (m_anchorPressKeepsOpen && m_anchor && !rect().contains(e->position().toPoint())) {
        const QPoint onAnchor = m_anchor->mapFromGlobal(e->globalPosition().toPoint());
        if (m_anchor->isVisible() && m_anchor->rect().contains(onAnchor)) {
            e->accept();
            return;
        }
    }
    QWidget::mousePressEvent(e);
}

void Popover::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (isVisible())
        dropStill();
}

void Popover::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (isVisible())
        dropStill();
    reshape();
}

void Popover::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    Q_EMIT closed();
}
