#include "Editor/ToolsGroup.h"

#include "Editor/CompactToolTrigger.h"
#include "Editor/EditorViewModel.h"
#include "Editor/ToolButton.h"
#include "Localization/Localizer.h"
#include "Models/RawEnum.h"
#include "Ui/HoverExpandGroup.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>

ToolsGroup::ToolsGroup(EditorViewModel& vm, DelayScheduler& scheduler, QWidget* parent)
    : QWidget(parent), m_vm(vm), m_row(new QWidget(this))
{
    auto* rowLayout = new QHBoxLayout(m_row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(2);
    for (EditorTool tool : allCases<EditorTool>()) {
        m_inline.append(new ToolButton(tool, vm, {}, m_row));
        rowLayout->addWidget(m_inline.last());
    }

    m_trigger = new CompactToolTrigger(vm);
    m_group = new HoverExpandGroup(
        m_trigger, [this](std::function<void()> close) { return buildGrid(std::move(close)); }, scheduler, this);
    m_group->setObjectName(QStringLiteral("foldedGroup"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_row);
    layout->addWidget(m_group);
    m_group->hide();

    retranslate();
    connect(&vm, &EditorViewModel::settingsChanged, this, &ToolsGroup::retranslate);
}

void ToolsGroup::setFolded(bool folded)
{
    if (folded == m_folded)
        return;
    m_folded = folded;
    m_row->setVisible(!folded);
    m_group->setVisible(folded);
}

QWidget* ToolsGroup::buildGrid(std::function<void()> close)
{
    auto* grid = new QWidget;
    grid->setFixedWidth(gridWidth);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(2);
    int i = 0;
    for (EditorTool tool : allCases<EditorTool>()) {
        // Choosing sets the tool first, then closes the grid.
        m_grid.append(new ToolButton(tool, m_vm, close, grid));
        layout->addWidget(m_grid.last(), i / gridColumns, i % gridColumns, Qt::AlignCenter);
        ++i;
    }
    // Six fixed columns centred in the grid's width.
    const int used = gridColumns * ToolButton::frameWidth + (gridColumns - 1) * 2;
    const int side = (gridWidth - used) / 2;
    layout->setContentsMargins(side, 0, gridWidth - used - side, 0);
    return grid;
}

void ToolsGroup::retranslate()
{
    // The folded chip reads as the tool it stands for.
    m_group->setAccessibleName(label(m_vm.state().selectedTool));
}

void ToolsGroup::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange) {
        for (ToolButton* b : m_inline)
            b->retranslate();
        for (ToolButton* b : m_grid)
            b->retranslate();
        retranslate();
    }
    QWidget::changeEvent(e);
}
