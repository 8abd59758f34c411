#include "MenuBar/CaptureButton.h"

#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QPainter>

CaptureButton::CaptureButton(QString title, QString systemImage, QString hotkey, std::function<void()> action,
                             QWidget* parent)
    : HoverCardButton(std::move(hotkey), std::move(action), parent)
    , m_title(std::move(title))
    , m_systemImage(std::move(systemImage))
{
    setAccessibleName(m_title);
}

void CaptureButton::setTitle(const QString& title)
{
    m_title = title;
    setAccessibleName(title);
    update();
}

void CaptureButton::paintIcon(QPainter& p, const QRectF& area, const QColor& color)
{
    IconRegistry::paint(p, m_systemImage, area, color, 20);
}

void CaptureButton::paintTitle(QPainter& p, const QRectF& area, const QColor& color)
{
    p.setFont(Theme::font(titleFontPx, QFont::Medium));
    p.setPen(color);
    p.drawText(area, Qt::AlignCenter, m_title);
}
