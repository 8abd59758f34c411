#include "Editor/StyleEditSlider.h"

#include <QMouseEvent>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <cmath>

namespace {

// The platform's own slider look, except that a left click on the track
// jumps there and grabs the handle instead of paging.
class JumpClickStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

int steps(double value) { return int(std::lround(value * StyleEditSlider::resolution)); }

} // namespace

StyleEditSlider::StyleEditSlider(double minimum, double maximum, double keyStep, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_min(minimum)
    , m_max(maximum)
{
    static JumpClickStyle* style = new JumpClickStyle;
    setStyle(style);
    setRange(steps(minimum), steps(maximum));
    setSingleStep(std::max(1, steps(keyStep)));
    setPageStep(std::max(1, steps(keyStep) * 10));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::valueChanged, this, [this] { Q_EMIT edited(doubleValue()); });
}

double StyleEditSlider::doubleValue() const { return value() / resolution; }

void StyleEditSlider::showValue(double v)
{
    if (!std::isfinite(v))
        return;
    const QSignalBlocker quiet(this);
    setValue(steps(std::clamp(v, m_min, m_max)));
}

void StyleEditSlider::mousePressEvent(QMouseEvent* e)
{
    // The edit opens before the press moves the handle, so the jump and the
    // drag after it share one step.
    if (e->button() == Qt::LeftButton && !m_editing && minimum() != maximum()) {
        m_editing = true;
        Q_EMIT editingBegan();
    }
    QSlider::mousePressEvent(e);
}

void StyleEditSlider::mouseReleaseEvent(QMouseEvent* e)
{
    QSlider::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        endEditing();
}

void StyleEditSlider::hideEvent(QHideEvent* e)
{
    // Hidden in the middle of a drag (its popover closed): the edit ends too.
    endEditing();
    QSlider::hideEvent(e);
}

void StyleEditSlider::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    Q_EMIT editingEnded();
}
