#include "Editor/StyleOptionsRow.h"

#include "Editor/CompactColorWell.h"
#include "Editor/CropAspectChip.h"
#include "Editor/CropConfirmControls.h"
#include "Editor/CropTool.h"
#include "Editor/CursorControls.h"
#include "Editor/EditorToolbarLayout.h"
#include "Editor/EditorViewModel.h"
#include "Editor/FontFamilyPicker.h"
#include "Editor/Kinds/AnnotationKinds.h"
#include "Editor/OptionSlider.h"
#include "Editor/OptionValueText.h"
#include "Editor/StyleBindings.h"
#include "Editor/ToggleChip.h"
#include "Localization/Localizer.h"
#include "Models/RawEnum.h"
#include "Ui/IconRegistry.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Theme.h"
#include "Ui/ToolbarDivider.h"
#include "Ui/ToolbarShapes.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>

using Flag = EditorPopoverFlags::Flag;

namespace {

QWidget* hbox(std::initializer_list<QWidget*> controls, int spacing, QWidget* parent)
{
    auto* box = new QWidget(parent);
    // Exactly as wide as what it shows: the row's spare room goes to its end.
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    for (QWidget* w : controls)
        row->addWidget(w, 0, Qt::AlignVCenter);
    return box;
}

// The size chip of a font: a value in points, its popover slider from 8 to 160.
OptionSliderConfig fontSizeConfig()
{
    OptionSliderConfig config{QStringLiteral("textformat"), ZENTU_TEXT("Schriftgröße"), 8, 160, 0,
                          [](double v) { return OptionValueText::withUnit(v, QStringLiteral("pt")); }};
    config.chipOnly = true;
    return config;
}

SegmentedControl* picker(QWidget* parent)
{
    auto* control = new SegmentedControl({}, parent);
    control->setMetrics(11, 2);
    control->setRadii(7, 5);
    // Its own size, never stretched by the row.
    control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return control;
}

// An enumeration shown by a segmented picker: the model's value selects the
// segment, a chosen segment goes to the setter.
template <typename Enum>
void bindPicker(SegmentedControl* control, EditorViewModel& vm, Enum EditorState::*field, void (EditorViewModel::*set)(Enum))
{
    auto sync = [control, &vm, field] {
        const QSignalBlocker quiet(control);
        const auto cases = allCases<Enum>();
        control->setCurrentIndex(int(std::find(cases.begin(), cases.end(), vm.state().*field) - cases.begin()));
    };
    QObject::connect(&vm, &EditorViewModel::settingsChanged, control, sync);
    QObject::connect(control, &SegmentedControl::currentIndexChanged, control, [&vm, set, sync](int i) {
        (vm.*set)(allCases<Enum>()[size_t(i)]);
        sync();
    });
    sync();
}

// The dashed-line icon: a line of short dashes in a 17 × 13 frame.
void paintDashedLine(QPainter& p, const QRectF& box, const QColor& ink)
{
    p.save();
    p.setOpacity(0.9);
    QPen pen(ink, 1.3, Qt::CustomDashLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    // The pattern is counted in pen widths: 2.6 on and 2.4 off.
    pen.setDashPattern({2.6 / 1.3, 2.4 / 1.3});
    p.setPen(pen);
    p.drawPath(ToolbarShapes::dashedLineIcon(box));
    p.restore();
}

QLabel* iconLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(IconRegistry::pixmap(name, 10, Theme::secondary(parent), parent->devicePixelRatioF()));
    return label;
}

} // namespace

StyleOptionsRow::StyleOptionsRow(EditorViewModel& vm, CropTool& crop, EditorPopoverFlags& flags,
                                 ColorPanelController& panel, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_crop(crop)
    , m_flags(flags)
    , m_panel(panel)
    , m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(14);
    buildCrop();
    buildFont();
    buildBubble();
    buildMagnifier();
    addGroup(Group::cursor, {m_cursor = new CursorControls(vm, flags, panel, this)});
    m_cursor->setObjectName(QStringLiteral("cursorControls"));
    m_sliders << m_cursor->sizeSlider() << m_cursor->highlightSize() << m_cursor->highlightOpacity();
    buildBlur();
    buildLineStyle();
    buildBadge();

    for (auto signal :
         {&EditorViewModel::settingsChanged, &EditorViewModel::selectionChanged, &EditorViewModel::annotationsChanged})
        connect(&vm, signal, this, &StyleOptionsRow::refresh);
    connect(&crop, &CropTool::cropChanged, this, &StyleOptionsRow::refresh);
    setCompact(false);
    retranslate();
    refresh();
}

QWidget* StyleOptionsRow::addGroup(Group g, std::initializer_list<QWidget*> controls)
{
    QWidget* content = hbox(controls, 8, this);
    QWidget* frame = hbox({content, new ToolbarDivider(22, this)}, 14, this);
    m_layout->addWidget(frame, 0, Qt::AlignVCenter);
    m_groups[size_t(g)] = frame;
    return content;
}

OptionSlider* StyleOptionsRow::addSlider(OptionSlider* slider)
{
    m_sliders << slider;
    return slider;
}

OptionSlider* StyleOptionsRow::slider(Flag flag) const
{
    for (OptionSlider* s : m_sliders)
        if (s->flag() == flag)
            return s;
    return nullptr;
}

QWidget* StyleOptionsRow::cornerControls() const { return slider(Flag::corner); }

QWidget* StyleOptionsRow::buildCrop()
{
    m_cropAspect = new CropAspectChip(m_vm, m_crop, this);
    m_cropAspect->setObjectName(QStringLiteral("cropAspectChip"));
    m_cropConfirm = new CropConfirmControls(m_crop, this);
    m_cropConfirm->setObjectName(QStringLiteral("cropConfirm"));
    return addGroup(Group::crop, {m_cropAspect, m_cropConfirm});
}

QWidget* StyleOptionsRow::buildFont()
{
    m_fontFamily = new FontFamilyPicker(m_vm, m_flags, this);
    m_fontFamily->setObjectName(QStringLiteral("fontFamilyPicker"));
    auto* size = addSlider(new OptionSlider(m_vm, m_flags, Flag::fontSize, fontSizeConfig(),
                                            [](const EditorState& s) { return s.fontSize; },
                                            [this](double v) { m_vm.setFontSize(v); }, this));
    return addGroup(Group::font, {m_fontFamily, size});
}

QWidget* StyleOptionsRow::buildBubble()
{
    m_bubble = picker(this);
    m_bubble->setObjectName(QStringLiteral("bubblePicker"));
    bindPicker(m_bubble, m_vm, &EditorState::bubbleStyle, &EditorViewModel::setBubbleStyle);
    return addGroup(Group::bubble, {m_bubble});
}

QWidget* StyleOptionsRow::buildMagnifier()
{
    OptionSliderConfig config{QStringLiteral("plus.magnifyingglass"), ZENTU_TEXT("Vergrößerung der Lupe"), 1.2, 6.0, 110,
                          &OptionValueText::magnification};
    config.keyStep = 0.1;
    // Whatever reaches the binding, the loupe stays between 1.2× and 6×.
    auto* zoom = addSlider(new OptionSlider(m_vm, m_flags, Flag::magnifier, config,
                                            [](const EditorState& s) { return s.magnifierZoom; },
                                            [this](double v) { m_vm.setMagnification(std::clamp(v, 1.2, 6.0)); },
                                            this));
    return addGroup(Group::magnifier, {zoom});
}

QWidget* StyleOptionsRow::buildBlur()
{
    m_blurStyle = picker(this);
    m_blurStyle->setObjectName(QStringLiteral("blurStylePicker"));
    bindPicker(m_blurStyle, m_vm, &EditorState::selectedBlurStyle, &EditorViewModel::setBlurStyle);
    auto* amount = addSlider(new OptionSlider(
        m_vm, m_flags, Flag::blur,
        {QStringLiteral("dial.medium"), ZENTU_TEXT("Intensität (1–100)"), 1, 100, 110, &OptionValueText::whole},
        [](const EditorState& s) { return s.blurAmount; }, [this](double v) { m_vm.setBlurAmount(v); }, this));
    return addGroup(Group::blur, {m_blurStyle, amount});
}

QWidget* StyleOptionsRow::buildLineStyle()
{
    m_dashed = new ToggleChip(&paintDashedLine, QSizeF(17, 13), this);
    m_dashed->setObjectName(QStringLiteral("dashedSwitch"));
    StyleBindings::bindSwitch(m_dashed, m_vm, [](const EditorState& s) { return s.dashed; },
                              [this](bool on) { m_vm.setDashed(on); });
    m_fill = ToggleChip::withIcon(QStringLiteral("drop.fill"), this);
    m_fill->setObjectName(QStringLiteral("fillSwitch"));
    StyleBindings::bindSwitch(m_fill, m_vm, [](const EditorState& s) { return s.fillEnabled; },
                              [this](bool on) { m_vm.setFillEnabled(on); });
    // Choosing a fill colour also switches the fill on (the model does both).
    m_fillWell = new CompactColorWell(m_panel, this);
    m_fillWell->setObjectName(QStringLiteral("fillWell"));
    StyleBindings::bindWell(m_fillWell, m_vm, [](const EditorState& s) { return s.fillColor; },
                            [this](const RGBAColor& c) { m_vm.setFillColor(c); });
    m_fillGroup = hbox({m_fill, m_fillWell}, 8, this);
    m_fillGroup->setObjectName(QStringLiteral("fillControls"));
    auto* corner = addSlider(new OptionSlider(
        m_vm, m_flags, Flag::corner,
        {QStringLiteral("app"), ZENTU_TEXT("Ecken abrunden"), 0, 200, 90, &OptionValueText::whole},
        [](const EditorState& s) { return s.cornerRadius; }, [this](double v) { m_vm.setCornerRadius(v); }, this));
    return addGroup(Group::lineStyle, {m_dashed, m_fillGroup, corner});
}

QWidget* StyleOptionsRow::buildBadge()
{
    auto* size = addSlider(new OptionSlider(
        m_vm, m_flags, Flag::badge,
        {QStringLiteral("circle.dashed"), ZENTU_TEXT("Badge-Größe"), 16, 160, 80, &OptionValueText::whole},
        [](const EditorState& s) { return s.badgeSize; }, [this](double v) { m_vm.setBadgeSize(v); }, this));
    m_badgeColor = new CompactColorWell(m_panel, this);
    StyleBindings::bindWell(m_badgeColor, m_vm, [](const EditorState& s) { return s.badgeColor; },
                            [this](const RGBAColor& c) { m_vm.setBadgeColor(c); });
    m_numberColor = new CompactColorWell(m_panel, this);
    StyleBindings::bindWell(m_numberColor, m_vm, [](const EditorState& s) { return s.badgeTextColor; },
                            [this](const RGBAColor& c) { m_vm.setBadgeTextColor(c); });
    m_badgeColorRow = hbox({iconLabel(QStringLiteral("circle.fill"), this), m_badgeColor}, 3, this);
    m_numberColorRow = hbox({iconLabel(QStringLiteral("number"), this), m_numberColor}, 3, this);
    auto* fontSize = addSlider(new OptionSlider(m_vm, m_flags, Flag::badgeFont, fontSizeConfig(),
                                                [](const EditorState& s) { return s.badgeFontSize; },
                                                [this](double v) { m_vm.setBadgeFontSize(v); }, this));
    return addGroup(Group::badge, {size, m_badgeColorRow, m_numberColorRow, fontSize});
}

void StyleOptionsRow::setCompact(bool compact)
{
    m_compact = compact;
    for (OptionSlider* s : m_sliders)
        s->setCompact(compact);
    // Compact pickers show their symbols alone; the full bubble picker its words alone.
    m_bubble->setSymbols(compact ? QStringList{QStringLiteral("bubble.left"), QStringLiteral("oval"),
                                               QStringLiteral("rectangle"), QStringLiteral("cloud")}
                                 : QStringList{},
                         12);
    m_bubble->setSymbolsOnly(compact);
    m_blurStyle->setSymbols({QStringLiteral("square.grid.3x3.fill"), QStringLiteral("drop.fill")}, 12);
    m_blurStyle->setSymbolsOnly(compact);
    retranslate();
}

void StyleOptionsRow::retranslate()
{
    QStringList bubbles;
    for (SpeechBubbleStyle s : allCases<SpeechBubbleStyle>())
        bubbles << label(s);
    m_bubble->setLabels(bubbles);
    m_bubble->setToolTip(
        Localizer::t(QStringLiteral("Form der Sprechblase · Doppelklick auf die Blase, um den Text zu bearbeiten")));
    m_blurStyle->setLabels({Localizer::t(QStringLiteral("Pixel")), Localizer::t(QStringLiteral("Weich"))});
    m_blurStyle->setToolTip(Localizer::t(QStringLiteral("Stil: pixelig oder weich")));

    const QString dashed = Localizer::t(QStringLiteral("Gestrichelte Linie"));
    m_dashed->setToolTip(dashed);
    m_dashed->setAccessibleName(dashed);
    m_dashed->setLabel(m_compact ? QString() : Localizer::t(QStringLiteral("Gestrichelt")));
    const QString fill = Localizer::t(QStringLiteral("Füllung"));
    m_fill->setToolTip(fill);
    m_fill->setAccessibleName(fill);
    m_fill->setLabel(m_compact ? QString() : fill);
    const QString fillColour = Localizer::t(QStringLiteral("Füllfarbe"));
    m_fillWell->setToolTip(fillColour);
    m_fillWell->setAccessibleName(fillColour);
    const QString badge = Localizer::t(QStringLiteral("Badge-Farbe"));
    m_badgeColorRow->setToolTip(badge);
    m_badgeColor->setAccessibleName(badge);
    const QString number = Localizer::t(QStringLiteral("Zahl-Farbe"));
    m_numberColorRow->setToolTip(number);
    m_numberColor->setAccessibleName(number);
}

QList<StyleOptionsRow::Group> StyleOptionsRow::shownGroups() const
{
    QList<Group> shown;
    for (size_t i = 0; i < m_groups.size(); ++i)
        if (m_groups[i]->isVisibleTo(this))
            shown << Group(i);
    return shown;
}

void StyleOptionsRow::refresh()
{
    using Option = AnnotationKindBehaviour::Option;
    const std::optional<AnnotationKind> kind = EditorToolbarLayout::activeStyleKind(m_vm);
    const AnnotationKindBehaviour::Options offered =
        kind ? AnnotationKinds::of(*kind).options() : AnnotationKindBehaviour::Options();
    const bool cropping = m_vm.state().selectedTool == EditorTool::crop;
    const bool shown[] = {cropping,
                          offered.testFlag(Option::font),
                          offered.testFlag(Option::bubble),
                          offered.testFlag(Option::magnifier),
                          offered.testFlag(Option::cursor),
                          offered.testFlag(Option::blur),
                          bool(offered & (Option::dashed | Option::fill | Option::corner)),
                          offered.testFlag(Option::badge)};
    for (size_t i = 0; i < m_groups.size(); ++i)
        m_groups[i]->setVisible(shown[i]);
    m_cropConfirm->setVisible(cropping && m_crop.cropDraft());
    m_fillGroup->setVisible(offered.testFlag(Option::fill));
    slider(Flag::corner)->setVisible(offered.testFlag(Option::corner));
}

void StyleOptionsRow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
