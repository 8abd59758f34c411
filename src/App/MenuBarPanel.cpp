#include "App/MenuBarPanel.h"

#include <QVBoxLayout>
#include <algorithm>

MenuBarPanel::MenuBarPanel(QWidget* content, QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_content(content)
{
    setWindowTitle(QStringLiteral("Zentu.it"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (m_content) {
        m_content->setParent(this);
        m_content->setFixedWidth(contentWidth);
        layout->addWidget(m_content);
    }
}

void MenuBarPanel::showAt(const QRect& iconRect, const QRect& availableArea)
{
    layout()->activate();
    adjustSize();
    move(placement(iconRect, size(), availableArea));
    show();
    raise();
    activateWindow();
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
    QFrame::hideEvent(event);
    Q_EMIT hidden();
}
