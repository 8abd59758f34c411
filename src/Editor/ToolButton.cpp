#include "Editor/ToolButton.h"

#include "Editor/EditorViewModel.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/TooltipHost.h"

#include <QPainter>

ToolButton::ToolButton(EditorTool tool, EditorViewModel& vm, std::function<void()> onSelect, QWidget* parent)
    : QAbstractButton(parent), m_tool(tool), m_vm(vm)
{
    setFixedSize(frameWidth, frameHeight);
    setCursor(Qt::ArrowCursor);
    // Checked = the current tool, so assistive technology reads the state.
    setCheckable(true);
    retranslate();
    sync();
    connect(&vm, &EditorViewModel::settingsChanged, this, &ToolButton::sync);
    connect(this, &QAbstractButton::clicked, this, [this, onSelect = std::move(onSelect)] {
        m_vm.setTool(m_tool);
        sync(); // the click toggled the check; the model decides
        if (onSelect)
            onSelect();
    });
}

bool ToolButton::isCurrent() const { return m_vm.state().selectedTool == m_tool; }

void ToolButton::retranslate()
{
    const QString name = label(m_tool);
    setAccessibleName(name);
    gooeyTip(this, name);
}

void ToolButton::sync()
{
    setChecked(isCurrent());
    update();
}

void ToolButton::paintSymbol(QPainter& p, EditorTool tool, const QRectF& frame, const QColor& color, bool plain)
{
    const bool cursor = tool == EditorTool::cursor && !plain;
    IconRegistry::paint(p, systemImage(tool), frame.translated(cursor ? -2 : 0, 0), color, iconPx);
    if (cursor) {
        // The small plus in the bottom-trailing corner: a picture is added, not drawn.
        const qreal side = 8;
        const QRectF badge(frame.right() - side - 2.5, frame.bottom() - side - 4, side, side);
        IconRegistry::paint(p, QStringLiteral("plus.circle.fill"), badge, color, side + 2);
    }
}

void ToolButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool current = isCurrent();
    if (current)
        RoundedFill::paint(p, QRectF(rect()), 6, Theme::withAlpha(Theme::accent(this), selectedFieldOpacity));
    paintSymbol(p, m_tool, QRectF(rect()), current ? Theme::accent(this) : Theme::primary(this), false);
}
