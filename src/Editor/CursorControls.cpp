#include "Editor/CursorControls.h"

#include "Editor/CursorStylePicker.h"
#include "Editor/OptionSlider.h"
#include "Editor/OptionValueText.h"
#include "Editor/StyleBindings.h"
#include "Editor/ToggleChip.h"
#include "Localization/Localizer.h"
#include "Ui/ToolbarDivider.h"

#include <QEvent>
#include <QHBoxLayout>

using Flag = EditorPopoverFlags::Flag;

CursorControls::CursorControls(EditorViewModel& vm, EditorPopoverFlags& flags, ColorPanelController& panel,
                               QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
{
    m_style = new CursorStylePicker(vm, flags, this);
    m_style->setObjectName(QStringLiteral("stylePicker"));
    m_size = new OptionSlider(vm, flags, Flag::cursorSize,
                              {QStringLiteral("arrow.up.left.and.arrow.down.right"), ZENTU_TEXT("Cursor-Größe"), 5,
                               240, 100, &OptionValueText::whole},
                              [](const EditorState& s) { return s.cursorSize; },
                              [&vm](double v) { vm.setCursorSize(v); }, this);
    m_highlight = ToggleChip::withIcon(QStringLiteral("circle.dotted.circle"), this);
    m_highlight->setObjectName(QStringLiteral("highlightSwitch"));
    StyleBindings::bindSwitch(m_highlight, vm, [](const EditorState& s) { return s.cursorHighlightEnabled; },
                              [&vm](bool on) { vm.setCursorHighlightEnabled(on); });
    m_well = new CompactColorWell(panel, this);
    m_well->setObjectName(QStringLiteral("highlightWell"));
    StyleBindings::bindWell(m_well, vm, [](const EditorState& s) { return s.cursorHighlightColor; },
                            [&vm](const RGBAColor& c) { vm.setCursorHighlightColor(c); });
    m_hlSize = new OptionSlider(vm, flags, Flag::cursorHlSize,
                                {QStringLiteral("circle.circle"), ZENTU_TEXT("Highlight-Größe"), 20, 220, 90,
                                 &OptionValueText::whole},
                                [](const EditorState& s) { return s.cursorHighlightSize; },
                                [&vm](double v) { vm.setCursorHighlightSize(v); }, this);
    OptionSliderConfig opacity{QStringLiteral("slider.horizontal.below.rectangle"), ZENTU_TEXT("Highlight-Deckkraft"),
                             0.1, 1.0, 80, &OptionValueText::percent};
    opacity.keyStep = 0.01;
    m_hlOpacity = new OptionSlider(vm, flags, Flag::cursorHlOpacity, opacity,
                                   [](const EditorState& s) { return s.cursorHighlightOpacity; },
                                   [&vm](double v) { vm.setCursorHighlightOpacity(v); }, this);

    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (QWidget* w : std::initializer_list<QWidget*>{m_style, m_size, new ToolbarDivider(22, this), m_highlight, m_well,
                                                      m_hlSize, m_hlOpacity})
        row->addWidget(w, 0, Qt::AlignVCenter);

    connect(&vm, &EditorViewModel::settingsChanged, this, &CursorControls::sync);
    retranslate();
    sync();
}

void CursorControls::sync()
{
    // The highlight's own controls exist only while it is on.
    const bool on = m_vm.state().cursorHighlightEnabled;
    for (QWidget* w : std::initializer_list<QWidget*>{m_well, m_hlSize, m_hlOpacity})
        w->setVisible(on);
}

void CursorControls::retranslate()
{
    const QString highlight = Localizer::t(QStringLiteral("Cursor hervorheben"));
    m_highlight->setToolTip(highlight);
    m_highlight->setAccessibleName(highlight);
    const QString colour = Localizer::t(QStringLiteral("Highlight-Farbe"));
    m_well->setToolTip(colour);
    m_well->setAccessibleName(colour);
}

void CursorControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
