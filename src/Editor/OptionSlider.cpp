#include "Editor/OptionSlider.h"

#include "Editor/EditorViewModel.h"
#include "Editor/StyleEditSlider.h"
#include "Editor/ToolbarChip.h"
#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/Stepper.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

namespace {

QLabel* valueLabel(int width, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(Theme::font(Theme::captionSize));
    Theme::setForeground(label, Theme::secondary(parent));
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

OptionSlider::OptionSlider(EditorViewModel& vm, EditorPopoverFlags& flags, EditorPopoverFlags::Flag flag,
                           OptionSliderConfig config, Read read, Write write, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_flags(flags)
    , m_flag(flag)
    , m_config(std::move(config))
    , m_read(std::move(read))
    , m_write(std::move(write))
{
    // Its own size in the row, never stretched.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    if (!m_config.chipOnly) {
        m_inline = buildInline();
        row->addWidget(m_inline);
    }
    m_chip = new ToolbarChip(m_config.icon, this);
    m_chip->setObjectName(QStringLiteral("chip"));
    row->addWidget(m_chip, 0, Qt::AlignVCenter);
    // The chip only opens its popover; the popover closes itself.
    connect(m_chip, &QAbstractButton::clicked, this, [this] { m_flags.setOpen(m_flag, true); });

    m_popover = new Popover(Popover::Mode::click, m_chip);
    m_popover->setAnchorPressKeepsOpen(true); // the chip only opens it
    m_popover->setContent(buildPopoverContent());
    m_flags.bind(m_flag, m_popover, m_chip);
    connect(&m_flags, &EditorPopoverFlags::changed, this, [this](EditorPopoverFlags::Flag f, bool open) {
        if (f == m_flag && open)
            m_popSlider->setFocus(Qt::PopupFocusReason);
    });

    connect(&vm, &EditorViewModel::settingsChanged, this, &OptionSlider::sync);
    applyForm();
    retranslate();
    sync();
}

StyleEditSlider* OptionSlider::makeSlider(int width, QWidget* parent)
{
    auto* slider = new StyleEditSlider(m_config.minimum, m_config.maximum, m_config.keyStep, parent);
    slider->setFixedWidth(width);
    connect(slider, &StyleEditSlider::editingBegan, this, [this] { m_vm.beginStyleEdit(); });
    connect(slider, &StyleEditSlider::editingEnded, this, [this] { m_vm.endStyleEdit(); });
    connect(slider, &StyleEditSlider::edited, this, [this](double v) { m_write(v); });
    return slider;
}

QWidget* OptionSlider::buildInline()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_inlineIcon = new QLabel(box);
    m_inlineIcon->setPixmap(IconRegistry::pixmap(m_config.icon, ToolbarChip::iconPx, Theme::secondary(box), devicePixelRatioF()));
    m_inlineSlider = makeSlider(m_config.inlineWidth, box);
    m_inlineSlider->setObjectName(QStringLiteral("inlineSlider"));
    m_inlineValue = valueLabel(m_config.inlineValueWidth, box);
    m_inlineValue->setObjectName(QStringLiteral("inlineValueLabel"));
    row->addWidget(m_inlineIcon, 0, Qt::AlignVCenter);
    row->addWidget(m_inlineSlider, 0, Qt::AlignVCenter);
    row->addWidget(m_inlineValue, 0, Qt::AlignVCenter);
    return box;
}

QWidget* OptionSlider::buildPopoverContent()
{
    // 280 wide with 12 of padding: the popover itself pads by 10.
    auto* content = new QWidget;
    content->setFixedWidth(280 - 2 * Popover::contentPadding);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(8);
    m_popTitle = new QLabel(content);
    m_popTitle->setFont(Theme::font(Theme::captionSize));
    Theme::setForeground(m_popTitle, Theme::secondary(content));
    column->addWidget(m_popTitle);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    m_popSlider = makeSlider(m_config.popoverSliderWidth, content);
    m_popSlider->setObjectName(QStringLiteral("popoverSlider"));
    row->addWidget(m_popSlider);
    if (m_config.stepper) {
        m_stepper = new Stepper(content);
        m_stepper->setRange(int(m_config.minimum), int(m_config.maximum));
        m_stepper->valueText = [this](int) { return valueText(); };
        // Every click is one undo step of its own.
        connect(m_stepper, &Stepper::valueChanged, this, [this](int shown) {
            const int delta = shown - m_stepperShown;
            m_stepperShown = shown;
            const double next = std::clamp(m_read(m_vm.state()) + delta, m_config.minimum, m_config.maximum);
            m_vm.beginStyleEdit();
            m_write(next);
            m_vm.endStyleEdit();
        });
        row->addWidget(m_stepper);
    }
    m_popValue = valueLabel(m_config.popoverValueWidth, content);
    row->addWidget(m_popValue);
    row->addStretch(1);
    column->addLayout(row);
    return content;
}

void OptionSlider::setCompact(bool compact)
{
    if (m_compact == compact)
        return;
    m_compact = compact;
    applyForm();
}

void OptionSlider::applyForm()
{
    const bool chip = m_compact || m_config.chipOnly;
    if (m_inline)
        m_inline->setVisible(!chip);
    m_chip->setVisible(chip);
    if (!chip)
        m_flags.setOpen(m_flag, false);
}

QString OptionSlider::valueText() const { return m_config.valueText(m_read(m_vm.state())); }

QString OptionSlider::title() const { return Localizer::t(m_config.title); }

void OptionSlider::sync()
{
    const double value = m_read(m_vm.state());
    const QString text = m_config.valueText(value);
    if (m_inline) {
        m_inlineSlider->showValue(value);
        m_inlineValue->setText(text);
    }
    m_popSlider->showValue(value);
    m_popValue->setText(text);
    if (m_stepper) {
        const QSignalBlocker quiet(m_stepper);
        m_stepper->setValue(std::isfinite(value) ? int(std::trunc(value)) : m_stepper->minimum());
        m_stepperShown = m_stepper->value();
    }
    if (m_chip->text() != text) {
        m_chip->setText(text);
        m_chip->setAccessibleName(text);
        m_chip->updateGeometry();
    }
}

void OptionSlider::retranslate()
{
    const QString t = title();
    if (m_inline) {
        m_inline->setToolTip(t);
        m_inlineSlider->setAccessibleName(t);
    }
    m_chip->setToolTip(t);
    m_chip->setAccessibleDescription(t);
    m_popTitle->setText(t);
    m_popSlider->setAccessibleName(t);
    if (m_stepper)
        m_stepper->setAccessibleName(t);
}

void OptionSlider::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
