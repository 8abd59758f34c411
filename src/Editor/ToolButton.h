#pragma once
// One tool of the editor toolbar: the tool's symbol in a 28 × 24 frame,
// accent-coloured on an accent field while it is the current tool. A click
// sets the tool (also when it already is the current one).
#include "Models/CoreTypes.h"

#include <QAbstractButton>
#include <functional>

class EditorViewModel;

class ToolButton : public QAbstractButton {
    Q_OBJECT
public:
    // onSelect runs after the tool is set (the tools grid closes itself with it).
    ToolButton(EditorTool tool, EditorViewModel& vm, std::function<void()> onSelect = {}, QWidget* parent = nullptr);

    EditorTool tool() const { return m_tool; }
    bool isCurrent() const;
    // Follows the interface language.
    void retranslate();

    // The current tool's field: the accent colour at this opacity.
    static constexpr double selectedFieldOpacity = 0.22;
    static constexpr int frameWidth = 28;
    static constexpr int frameHeight = 24;
    static constexpr qreal iconPx = 16;

    // Paints a tool's symbol into a 28 × 24 frame; the cursor tool's symbol
    // sits 2 points left with a small plus badge unless plain is asked for.
    static void paintSymbol(QPainter& p, EditorTool tool, const QRectF& frame, const QColor& color, bool plain);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void sync();

    EditorTool m_tool;
    EditorViewModel& m_vm;
};
