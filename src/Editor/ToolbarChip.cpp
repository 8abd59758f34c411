#include "Editor/ToolbarChip.h"

#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QPainter>

ToolbarChip::ToolbarChip(const QString& iconName, QWidget* parent)
    : QAbstractButton(parent)
    , m_icon(iconName)
{
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToolbarChip::setIconName(const QString& name)
{
    m_icon = name;
    updateGeometry();
    update();
}

void ToolbarChip::setChevron(bool shown)
{
    m_chevron = shown;
    updateGeometry();
    update();
}

void ToolbarChip::setSpacing(int spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

void ToolbarChip::setPlain(bool plain)
{
    m_plain = plain;
    updateGeometry();
    update();
}

QSizeF ToolbarChip::leadingSize() const { return {iconPx, iconPx}; }

void ToolbarChip::paintLeading(QPainter& p, const QRectF& box, const QColor& ink)
{
    IconRegistry::paint(p, m_icon, box, ink, iconPx);
}

QSize ToolbarChip::sizeHint() const
{
    const QFontMetrics fm(Theme::font(Theme::captionSize));
    const QSizeF lead = leadingSize();
    const int px = m_plain ? 0 : padX, py = m_plain ? 0 : padY;
    double w = px + lead.width() + px;
    if (!text().isEmpty())
        w += m_spacing + fm.horizontalAdvance(text());
    if (m_chevron)
        w += m_spacing + chevronPx;
    const double h = std::max<double>(fm.height(), lead.height()) + 2 * py;
    return QSize(qCeil(w), qCeil(h));
}

void ToolbarChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_plain)
        RoundedFill::paint(p, QRectF(rect()), 6, Theme::primary(isDown() ? 0.12 : 0.06, this));
    if (hasFocus()) {
        p.setPen(QPen(Theme::accent(this), 1.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    }
    const QColor ink = Theme::secondary(this);
    const QSizeF lead = leadingSize();
    double x = m_plain ? 0 : padX;
    paintLeading(p, QRectF(x, (height() - lead.height()) / 2, lead.width(), lead.height()), ink);
    x += lead.width();
    if (!text().isEmpty()) {
        const QFont font = Theme::font(Theme::captionSize);
        const int textWidth = QFontMetrics(font).horizontalAdvance(text());
        x += m_spacing;
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
        x += textWidth;
    }
    if (m_chevron)
        IconRegistry::paint(p, QStringLiteral("chevron.down"), QRectF(x + m_spacing, 0, chevronPx, height()), ink,
                            chevronPx);
}
