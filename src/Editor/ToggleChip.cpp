#include "Editor/ToggleChip.h"

#include "Editor/ToolbarChip.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QPainter>

namespace {
constexpr int spacing = 5;
}

ToggleChip::ToggleChip(Picture picture, QSizeF pictureSize, QWidget* parent)
    : QAbstractButton(parent)
    , m_picture(std::move(picture))
    , m_pictureSize(pictureSize)
{
    setCheckable(true);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

ToggleChip* ToggleChip::withIcon(const QString& iconName, QWidget* parent)
{
    const qreal px = ToolbarChip::iconPx;
    return new ToggleChip([iconName, px](QPainter& p, const QRectF& box, const QColor& ink) {
        IconRegistry::paint(p, iconName, box, ink, px);
    }, QSizeF(px, px), parent);
}

void ToggleChip::setLabel(const QString& label)
{
    m_label = label;
    setText(label);
    updateGeometry();
    update();
}

QSize ToggleChip::sizeHint() const
{
    const QFontMetrics fm(Theme::font(Theme::calloutSize));
    double w = 2 * ToolbarChip::padX + m_pictureSize.width();
    if (!m_label.isEmpty())
        w += spacing + fm.horizontalAdvance(m_label);
    const double h = std::max<double>(fm.height(), m_pictureSize.height()) + 2 * ToolbarChip::padY;
    return QSize(qCeil(w), qCeil(h));
}

void ToggleChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool on = isChecked();
    const QColor field = on ? Theme::withAlpha(Theme::accent(this), onOpacity + (isDown() ? 0.08 : 0))
                            : Theme::primary(isDown() ? 0.12 : 0.06, this);
    RoundedFill::paint(p, QRectF(rect()), 6, field);
    if (hasFocus()) {
        p.setPen(QPen(Theme::accent(this), 1.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    }
    const QColor ink = on ? Theme::accent(this) : Theme::primary(this);
    double x = ToolbarChip::padX;
    m_picture(p, QRectF(x, (height() - m_pictureSize.height()) / 2, m_pictureSize.width(), m_pictureSize.height()), ink);
    if (!m_label.isEmpty()) {
        x += m_pictureSize.width() + spacing;
        p.setFont(Theme::font(Theme::calloutSize));
        p.setPen(ink);
        p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft, m_label);
    }
}
