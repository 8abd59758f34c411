#include "Editor/CompactToolTrigger.h"

#include "Editor/EditorViewModel.h"
#include "Editor/ToolButton.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QPainter>

namespace {
constexpr int spacing = 2;
constexpr qreal chevronPx = 11; // the glyph box of a 7-point semibold chevron
constexpr int chevronWidth = 9;
constexpr int trailingPadding = 2;
} // namespace

CompactToolTrigger::CompactToolTrigger(EditorViewModel& vm, QWidget* parent) : QWidget(parent), m_vm(vm)
{
    setFixedSize(sizeHint());
    connect(&vm, &EditorViewModel::settingsChanged, this, qOverload<>(&QWidget::update));
}

QSize CompactToolTrigger::sizeHint() const
{
    return {ToolButton::frameWidth + spacing + chevronWidth + trailingPadding, ToolButton::frameHeight};
}

void CompactToolTrigger::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = Theme::accent(this);
    RoundedFill::paint(p, QRectF(rect()), 6, Theme::withAlpha(accent, ToolButton::selectedFieldOpacity));
    const QRectF frame(0, 0, ToolButton::frameWidth, ToolButton::frameHeight);
    ToolButton::paintSymbol(p, m_vm.state().selectedTool, frame, accent, true);
    const QRectF chevron(frame.right() + spacing, 0, chevronWidth, height());
    IconRegistry::paint(p, QStringLiteral("chevron.down"), chevron, Theme::secondary(this), chevronPx);
}
