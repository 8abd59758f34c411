#pragma once
// The cursor tool's options: the style chip with its grid, the size, and the
// highlight switch; while the highlight is on, its colour, size and opacity.
// The row that holds the group makes its sliders compact.
#include <QWidget>

class ColorPanelController;
class CompactColorWell;
class CursorStylePicker;
class EditorPopoverFlags;
class EditorViewModel;
class OptionSlider;
class ToggleChip;

class CursorControls : public QWidget {
    Q_OBJECT
public:
    CursorControls(EditorViewModel& vm, EditorPopoverFlags& flags, ColorPanelController& panel,
                   QWidget* parent = nullptr);

    OptionSlider* sizeSlider() const { return m_size; }
    OptionSlider* highlightSize() const { return m_hlSize; }
    OptionSlider* highlightOpacity() const { return m_hlOpacity; }

protected:
    void changeEvent(QEvent* e) override;

private:
    void sync();
    void retranslate();

    EditorViewModel& m_vm;
    CursorStylePicker* m_style;
    OptionSlider* m_size;
    ToggleChip* m_highlight;
    CompactColorWell* m_well;
    OptionSlider* m_hlSize;
    OptionSlider* m_hlOpacity;
};
