#include "Ui/ProminentButton.h"

#include "Text/ButtonText.h"
#include "Ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

ProminentButton::ProminentButton(const QString& text, Size size, QWidget* parent)
    : QPushButton(ButtonText::escaped(text), parent)
    , m_size(size)
{
    setFont(labelFont());
    setAccessibleName(text);
    setCursor(Qt::ArrowCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFont ProminentButton::labelFont() const
{
    switch (m_size) {
    case Size::small: return Theme::font(11, QFont::Medium);
    case Size::regular: return Theme::font(Theme::bodySize, QFont::Medium);
    case Size::large: return Theme::font(14, QFont::DemiBold);
    }
    return Theme::font(Theme::bodySize);
}

QMargins ProminentButton::padding() const
{
    switch (m_size) {
    case Size::small: return {8, 3, 8, 3};
    case Size::regular: return {12, 4, 12, 4};
    case Size::large: return {18, 8, 18, 8};
    }
    return {};
}

QSize ProminentButton::sizeHint() const
{
    const QFontMetrics fm(labelFont());
    const QMargins m = padding();
    return QSize(fm.horizontalAdvance(ButtonText::shown(text())) + m.left() + m.right() + 2,
                 fm.height() + m.top() + m.bottom());
}

void ProminentButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = Theme::accent(this);
    if (isDown())
        fill = fill.darker(120);
    if (!isEnabled())
        fill = Theme::withAlpha(fill, 0.4);
    const qreal radius = m_size == Size::large ? 8 : (m_size == Size::regular ? 6 : 5);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius, radius);
    p.fillPath(path, fill);
    if (hasFocus()) {
        p.setPen(QPen(Theme::withAlpha(fill.darker(140), 0.8), 2));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    p.setFont(labelFont());
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, ButtonText::shown(text()));
}
