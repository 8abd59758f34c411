#include "Editor/EditorToolbar.h"

#include "Editor/ColorRow.h"
#include "Editor/CropTool.h"
#include "Editor/EditorPopoverFlags.h"
#include "Editor/EditorViewModel.h"
#include "Editor/ImageInsertButton.h"
#include "Localization/Localizer.h"
#include "Editor/OptionSlider.h"
#include "Editor/OptionValueText.h"
#include "Editor/StyleOptionsRow.h"
#include "Editor/ToolbarScroller.h"
#include "Editor/ToolbarSlot.h"
#include "Editor/ToolsGroup.h"
#include "Ui/ToolbarDivider.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QHBoxLayout* rowLayout(QWidget* row)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(EditorToolbar::groupSpacing);
    return layout;
}
} // namespace

EditorToolbar::EditorToolbar(EditorViewModel& vm, CropTool& crop, EditorToolbarServices services, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
    , m_crop(crop)
    , m_flags(new EditorPopoverFlags(vm, this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding, verticalPadding);
    column->setSpacing(rowSpacing);

    // Each row: a run of controls that slides sideways when the window is too
    // narrow for it, then the controls that stay in view at the right end.
    auto* row1 = new QWidget(this);
    row1->setObjectName(QStringLiteral("toolbarRow1"));
    auto* r1 = rowLayout(row1);
    auto* row1Run = new QWidget;
    auto* run1 = rowLayout(row1Run);
    m_tools = new ToolsGroup(vm, services.scheduler, row1Run);
    m_tools->setObjectName(QStringLiteral("tools"));
    m_imageInsert = new ToolbarSlot(groupSpacing, row1Run);
    m_colors = new ColorRow(vm, services.colorPanel, services.scheduler, row1Run);
    m_colors->setObjectName(QStringLiteral("colors"));
    m_stroke = new ToolbarSlot(6, row1Run);
    run1->addWidget(m_tools);
    run1->addWidget(m_imageInsert);
    run1->addWidget(new ToolbarDivider(22, row1Run));
    run1->addWidget(m_colors);
    run1->addWidget(new ToolbarDivider(22, row1Run));
    run1->addWidget(m_stroke);
    m_row1Scroller = new ToolbarScroller(row1Run, row1);
    m_row1Scroller->setObjectName(QStringLiteral("row1Scroller"));
    m_history = new ToolbarSlot(4, row1);
    r1->addWidget(m_row1Scroller);
    r1->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding));
    r1->addWidget(m_history);

    auto* row2 = new QWidget(this);
    row2->setObjectName(QStringLiteral("toolbarRow2"));
    // The row keeps its height whatever its groups: as tall as the tallest
    // (the cursor style chip), so the canvas below never changes size with
    // the tool and a picture shown pixel for pixel stays so.
    row2->setMinimumHeight(row2Height);
    auto* r2 = rowLayout(row2);
    m_row2Leading = new ToolbarSlot(groupSpacing);
    m_row2Scroller = new ToolbarScroller(m_row2Leading, row2);
    m_row2Scroller->setObjectName(QStringLiteral("row2Scroller"));
    m_export = new ToolbarSlot(8, row2);
    r2->addWidget(m_row2Scroller);
    r2->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding));
    r2->addWidget(m_export);

    column->addWidget(row1);
    column->addWidget(row2);

    m_imageButton = new ImageInsertButton;
    m_imageButton->setObjectName(QStringLiteral("imageInsertButton"));
    m_imageInsert->addControl(m_imageButton);
    connect(m_imageButton, &QAbstractButton::clicked, this, &EditorToolbar::requestInsertImage);
    OptionSliderConfig stroke{QStringLiteral("lineweight"), ZENTU_TEXT("Linienstärke"), 1, 30, 100,
                            [](double v) { return OptionValueText::withUnit(v, QStringLiteral("px")); }};
    stroke.inlineValueWidth = 38;
    stroke.popoverSliderWidth = 150;
    stroke.popoverValueWidth = 38;
    stroke.stepper = true;
    m_strokeControl = new OptionSlider(vm, *m_flags, EditorPopoverFlags::Flag::stroke, stroke,
                                       [](const EditorState& s) { return s.lineWidth; },
                                       [&vm](double v) { vm.setLineWidth(v); });
    m_strokeControl->setObjectName(QStringLiteral("strokeControl"));
    m_stroke->addControl(m_strokeControl);
    m_styleOptions = new StyleOptionsRow(vm, crop, *m_flags, services.colorPanel);
    m_styleOptions->setObjectName(QStringLiteral("styleOptions"));
    m_row2Leading->addControl(m_styleOptions);

    // What the second row shows decides the level as much as the width does.
    connect(&vm, &EditorViewModel::settingsChanged, this, &EditorToolbar::relevel);
    connect(&vm, &EditorViewModel::selectionChanged, this, &EditorToolbar::relevel);
    connect(&vm, &EditorViewModel::annotationsChanged, this, &EditorToolbar::relevel);
    connect(&crop, &CropTool::cropChanged, this, &EditorToolbar::relevel);
    applyShape();
}

ToolbarFocus EditorToolbar::focus() const { return ToolbarFocus::of(m_vm, m_crop); }

void EditorToolbar::setAvailableWidth(double width)
{
    m_available = width;
    relevel();
}

void EditorToolbar::relevel()
{
    const int level = EditorToolbarLayout::collapseLevel(m_available, focus());
    if (level == m_level)
        return;
    m_level = level;
    applyShape();
    Q_EMIT levelChanged(level);
}

void EditorToolbar::applyShape()
{
    const ToolbarShape s = shape();
    m_tools->setFolded(s.toolsFolded);
    m_colors->setInlineCount(s.inlineColors);
    m_strokeControl->setCompact(s.strokeChip);
    m_styleOptions->setCompact(s.compactOptions);
}
