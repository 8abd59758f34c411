#include "Editor/ColorRow.h"

#include "Editor/CompactColorWell.h"
#include "Editor/EditorViewModel.h"
#include "Editor/SwatchButton.h"
#include "Localization/Localizer.h"
#include "Ui/ColorPanelController.h"
#include "Ui/HoverExpandGroup.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>

namespace {

// The palette chip's face: the palette symbol on a faint rounded field.
class PaletteChipFace : public QWidget {
public:
    explicit PaletteChipFace(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(26, 20); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        RoundedFill::paint(p, QRectF(rect()), 5, Theme::primary(0.08, this));
        IconRegistry::paint(p, QStringLiteral("paintpalette"), QRectF(rect()), Theme::secondary(this), 13);
    }
};

} // namespace

ColorPanelWell::ColorPanelWell(EditorViewModel& vm, ColorPanelController& panel, QWidget* parent)
    : QAbstractButton(parent), m_vm(vm)
{
    setFixedSize(CompactColorWell::chipWidth, CompactColorWell::chipHeight);
    setCursor(Qt::ArrowCursor);
    retranslate();
    connect(&vm, &EditorViewModel::settingsChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::clicked, this, [this, &panel] {
        QPointer<EditorViewModel> vm(&m_vm);
        // Each change the panel reports is one colour choice.
        panel.present(m_vm.state().selectedColor.toQColor(), this, [vm](const QColor& c) {
            if (vm)
                vm->setColor(RGBAColor::fromQColor(c));
        });
    });
}

void ColorPanelWell::retranslate()
{
    const QString help = Localizer::t(QStringLiteral("Eigene Farbe / Pipette"));
    setToolTip(help);
    setAccessibleName(help);
}

void ColorPanelWell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    CompactColorWell::paintChip(p, QRectF(rect()), m_vm.state().selectedColor.toQColor(), this);
}

ColorRow::ColorRow(EditorViewModel& vm, ColorPanelController& panel, DelayScheduler& scheduler, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_panel(panel)
    , m_scheduler(scheduler)
    , m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    // Swatches reserve room for their ring, so their visible gap is 6.
    m_layout->setSpacing(6 - 2 * SwatchButton::ringRoom);
    connect(&vm, &EditorViewModel::settingsChanged, this, &ColorRow::refreshRings);
    setInlineCount(8);
}

bool ColorRow::isSelectedColor(const RGBAColor& color, const RGBAColor& current)
{
    return color.red == current.red && color.green == current.green && color.blue == current.blue &&
           color.alpha == current.alpha;
}

void ColorRow::setInlineCount(int count)
{
    count = qBound(0, count, int(RGBAColor::palette().size()));
    if (count == m_inlineCount)
        return;
    m_inlineCount = count;
    rebuild();
}

SwatchButton* ColorRow::makeSwatch(const RGBAColor& color, QWidget* parent, std::function<void()> after)
{
    auto* swatch = new SwatchButton(color, Localizer::t(QStringLiteral("Farbe")), parent);
    swatch->setRinged(isSelectedColor(color, m_vm.state().selectedColor));
    connect(swatch, &QAbstractButton::clicked, this, [this, color, after = std::move(after)] {
        m_vm.setColor(color);
        if (after)
            after();
    });
    return swatch;
}

void ColorRow::rebuild()
{
    // The well stays: the colour panel it presented keeps talking to it.
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        if (QWidget* w = item->widget(); w && w != m_well) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    m_inline.clear();
    m_inChip.clear();
    m_chip = nullptr;

    const auto& palette = RGBAColor::palette();
    for (int i = 0; i < m_inlineCount; ++i) {
        m_inline.append(makeSwatch(palette[size_t(i)], this, {}));
        m_layout->addWidget(m_inline.last());
        m_inline.last()->show(); // at once, not on the next pass of the event loop
    }
    if (m_inlineCount < int(palette.size())) {
        const int hiddenFrom = m_inlineCount;
        m_chip = new HoverExpandGroup(
            new PaletteChipFace,
            [this, hiddenFrom](std::function<void()> close) {
                auto* content = new QWidget;
                auto* row = new QHBoxLayout(content);
                row->setContentsMargins(0, 0, 0, 0);
                row->setSpacing(6 - 2 * SwatchButton::ringRoom);
                const auto& colors = RGBAColor::palette();
                for (size_t i = size_t(hiddenFrom); i < colors.size(); ++i) {
                    m_inChip.append(makeSwatch(colors[i], content, close));
                    row->addWidget(m_inChip.last());
                }
                return content;
            },
            m_scheduler, this);
        m_chip->setObjectName(QStringLiteral("paletteChip"));
        m_layout->addSpacing(2 * SwatchButton::ringRoom);
        m_layout->addWidget(m_chip);
        m_chip->show();
    }
    m_layout->addSpacing(2 * SwatchButton::ringRoom);
    if (!m_well) {
        m_well = new ColorPanelWell(m_vm, m_panel, this);
        m_well->setObjectName(QStringLiteral("panelWell"));
    }
    m_layout->addWidget(m_well);
    retranslate();
}

void ColorRow::retranslate()
{
    const QString title = Localizer::t(QStringLiteral("Farbe"));
    for (SwatchButton* s : m_inline + m_inChip)
        s->setTitle(title);
    if (m_chip)
        m_chip->setAccessibleName(Localizer::t(QStringLiteral("Weitere Farben…")));
    m_well->retranslate();
}

void ColorRow::refreshRings()
{
    const RGBAColor& current = m_vm.state().selectedColor;
    for (SwatchButton* s : m_inline)
        s->setRinged(isSelectedColor(s->color(), current));
    for (SwatchButton* s : m_inChip)
        s->setRinged(isSelectedColor(s->color(), current));
}

void ColorRow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
