#pragma once
// The leading part of the toolbar's second row: only the option groups that
// fit what the user works on. The crop options while the crop tool is chosen;
// otherwise the groups of the single selected annotation's kind, or, with
// nothing or several things selected, of the current tool's kind. Each shown
// group ends with a divider. Compact (from the first collapse level on) the
// groups use their chip and icon forms.
#include "Editor/EditorPopoverFlags.h"

#include <QList>
#include <QWidget>
#include <array>

class ColorPanelController;
class CompactColorWell;
class CropAspectChip;
class CropConfirmControls;
class CropTool;
class CursorControls;
class EditorViewModel;
class FontFamilyPicker;
class OptionSlider;
class QHBoxLayout;
class SegmentedControl;
class ToggleChip;

class StyleOptionsRow : public QWidget {
    Q_OBJECT
public:
    // In the order the row shows them.
    enum class Group { crop, font, bubble, magnifier, cursor, blur, lineStyle, badge };

    StyleOptionsRow(EditorViewModel& vm, CropTool& crop, EditorPopoverFlags& flags, ColorPanelController& panel,
                    QWidget* parent = nullptr);

    void setCompact(bool compact);

    // The groups shown now, in row order.
    QList<Group> shownGroups() const;
    // A group with its divider.
    QWidget* group(Group g) const { return m_groups[size_t(g)]; }

    // The controls (for keyboard access and tests).
    OptionSlider* slider(EditorPopoverFlags::Flag flag) const;
    // Inside the line-style group: the corners, for rectangles.
    QWidget* cornerControls() const;

protected:
    void changeEvent(QEvent* e) override;

private:
    QWidget* addGroup(Group g, std::initializer_list<QWidget*> controls);
    OptionSlider* addSlider(OptionSlider* slider);
    QWidget* buildCrop();
    QWidget* buildFont();
    QWidget* buildBubble();
    QWidget* buildMagnifier();
    QWidget* buildBlur();
    QWidget* buildLineStyle();
    QWidget* buildBadge();
    void refresh();
    void retranslate();

    EditorViewModel& m_vm;
    CropTool& m_crop;
    EditorPopoverFlags& m_flags;
    ColorPanelController& m_panel;
    QHBoxLayout* m_layout;
    bool m_compact = false;
    std::array<QWidget*, 8> m_groups{};
    QList<OptionSlider*> m_sliders;

    CropAspectChip* m_cropAspect = nullptr;
    CropConfirmControls* m_cropConfirm = nullptr;
    FontFamilyPicker* m_fontFamily = nullptr;
    SegmentedControl* m_bubble = nullptr;
    SegmentedControl* m_blurStyle = nullptr;
    CursorControls* m_cursor = nullptr;
    ToggleChip* m_dashed = nullptr;
    ToggleChip* m_fill = nullptr;
    CompactColorWell* m_fillWell = nullptr;
    QWidget* m_fillGroup = nullptr;
    CompactColorWell* m_badgeColor = nullptr;
    CompactColorWell* m_numberColor = nullptr;
    QWidget* m_badgeColorRow = nullptr;
    QWidget* m_numberColorRow = nullptr;
};
