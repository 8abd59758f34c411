#include "App/MenuBarPanel.h"

#include "Ui/TransientUi.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

MenuBarPanel::MenuBarPanel(QWidget* content, QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_content(content)
    , m_scroll(new QScrollArea(this))
{
    setWindowTitle(QStringLiteral("Zentu.it"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Scrolls only on a screen too low for the whole panel.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setWidgetResizable(false);
    layout->addWidget(m_scroll);
    if (m_content) {
        m_content->setFixedWidth(contentWidth);
        m_scroll->setWidget(m_content);
        m_content->installEventFilter(this);
    }
    fit();
}

void MenuBarPanel::showAt(const QRect& iconRect, const QRect& availableArea)
{
    m_iconRect = iconRect;
    m_available = availableArea;
    fit();
    show();
    raise();
    activateWindow();
}

void MenuBarPanel::fit()
{
    if (!m_content)
        return;
    if (m_content->layout())
        m_content->layout()->activate();
    m_content->adjustSize();
    const QSize wanted = m_content->size();
    const bool tooLow = !m_available.isEmpty() && wanted.height() > m_available.height();
    const int height = tooLow ? m_available.height() : wanted.height();
    const int width = wanted.width() + (tooLow ? m_scroll->verticalScrollBar()->sizeHint().width() : 0);
    setFixedSize(width, height);
    move(placement(m_iconRect, size(), m_available));
}

bool MenuBarPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The content grows and shrinks with the histories while the panel is
    // open: place it again after every change, never from a stale size.
    if (watched == m_content && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        fit();
    return QFrame::eventFilter(watched, event);
}

QPoint MenuBarPanel::placement(const QRect& iconRect, QSize panelSize, const QRect& availableArea)
{
    int x = iconRect.x() + iconRect.width() / 2 - panelSize.width() / 2;
    int y = iconRect.center().y() < availableArea.center().y() ? iconRect.bottom() + 1
                                                                : iconRect.top() - panelSize.height();
    if (!availableArea.isEmpty()) {
        x = std::clamp(x, availableArea.left(), std::max(availableArea.left(), availableArea.right() + 1 - panelSize.width()));
        y = std::clamp(y, availableArea.top(), std::max(availableArea.top(), availableArea.bottom() + 1 - panelSize.height()));
    }
    return QPoint(x, y);
}

void MenuBarPanel::hideEvent(QHideEvent* event)
{
    // A tooltip of the panel must not stay behind on the desktop.
    TransientUi::hideTooltips();
    QFrame::hideEvent(event);
    Q_EMIT hidden();
}
