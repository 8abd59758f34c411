#pragma once
// The editor's two toolbar rows. Row 1: the tools, the image insert button,
// the colours, the line width and, at its right end, undo and redo. Row 2:
// the option groups of the annotation kind in focus with delete and reset,
// and the export row at its right end. The toolbar folds up in steps as the
// window narrows (see EditorToolbarLayout); what still does not fit slides
// sideways, while undo, redo and the export row stay in view. The groups
// that join later find their places in the slots below and follow levelChanged.
#include "Editor/EditorToolbarLayout.h"

#include <QWidget>

class ColorPanelController;
class ColorRow;
class CropTool;
class DelayScheduler;
class EditorPopoverFlags;
class EditorViewModel;
class ImageInsertButton;
class OptionSlider;
class StyleOptionsRow;
class ToolbarScroller;
class ToolbarSlot;
class ToolsGroup;

struct EditorToolbarServices {
    DelayScheduler& scheduler;
    ColorPanelController& colorPanel;
};

class EditorToolbar : public QWidget {
    Q_OBJECT
public:
    EditorToolbar(EditorViewModel& vm, CropTool& crop, EditorToolbarServices services, QWidget* parent = nullptr);

    // The width the window gives the toolbar; decides the level.
    void setAvailableWidth(double width);

    int level() const { return m_level; }
    ToolbarShape shape() const { return EditorToolbarLayout::shape(m_level); }
    ToolbarFocus focus() const;

    EditorPopoverFlags& popoverFlags() const { return *m_flags; }
    // Row 1, right end: undo and redo.
    ToolbarSlot* historySlot() const { return m_history; }
    // Row 2: the option groups of the kind in focus, each followed by a
    // divider, then delete and reset; compact from level 1 on (shape().compactOptions).
    ToolbarSlot* row2LeadingSlot() const { return m_row2Leading; }
    // Row 2, right end: the export controls.
    ToolbarSlot* exportSlot() const { return m_export; }
    static constexpr int rowSpacing = 8;
    static constexpr int groupSpacing = 14;
    static constexpr int horizontalPadding = 14;
    static constexpr int verticalPadding = 10;
    static constexpr int row2Height = 26;

Q_SIGNALS:
    void levelChanged(int level);
    // The image insert button was pressed: a picture file is to be chosen and placed.
    void requestInsertImage();

private:
    void relevel();
    void applyShape();

    EditorViewModel& m_vm;
    const CropTool& m_crop;
    EditorPopoverFlags* m_flags;
    ToolsGroup* m_tools;
    ColorRow* m_colors;
    ImageInsertButton* m_imageButton;
    OptionSlider* m_strokeControl;
    StyleOptionsRow* m_styleOptions;
    ToolbarSlot* m_imageInsert;
    ToolbarSlot* m_stroke;
    ToolbarSlot* m_history;
    ToolbarSlot* m_row2Leading;
    ToolbarSlot* m_export;
    // The runs that slide sideways when the window is too narrow for them:
    // row 1 up to the line width, row 2's option groups. Undo and redo and
    // the export controls stay in view at every width.
    ToolbarScroller* m_row1Scroller;
    ToolbarScroller* m_row2Scroller;
    double m_available = 0;
    int m_level = 0;
};
