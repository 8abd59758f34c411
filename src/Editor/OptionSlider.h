#pragma once
// One numeric style value of the editor toolbar, in either of two forms: on a
// wide toolbar an inline row of icon, slider and value text; on a narrow one a
// chip with the icon and the value that opens a popover with the slider. The
// control shows a field of the model's tool settings and writes only through
// the setter it is given. A drag is one undo step (the model coalesces the
// edit between press and release); a key or wheel step is a step of its own.
#include "Editor/EditorPopoverFlags.h"

#include <QWidget>
#include <functional>

class EditorViewModel;
class Popover;
class QLabel;
class Stepper;
class StyleEditSlider;
class ToolbarChip;
struct EditorState;

struct OptionSliderConfig {
    QString icon;  // symbol name
    QString title; // German; translated where shown
    double minimum = 0;
    double maximum = 1;
    int inlineWidth = 100; // the inline form's slider
    std::function<QString(double)> valueText;
    double keyStep = 1; // one arrow-key press
    int inlineValueWidth = 42;
    int popoverSliderWidth = 170;
    int popoverValueWidth = 46;
    bool stepper = false;  // the popover adds a stepper whose every click is one step
    bool chipOnly = false; // the chip in both forms
};

class OptionSlider : public QWidget {
    Q_OBJECT
public:
    using Read = std::function<double(const EditorState&)>;
    using Write = std::function<void(double)>;

    OptionSlider(EditorViewModel& vm, EditorPopoverFlags& flags, EditorPopoverFlags::Flag flag, OptionSliderConfig config,
                 Read read, Write write, QWidget* parent = nullptr);

    void setCompact(bool compact);

    // Writes a value as the slider would (through the setter it was given).
    void setValue(double value) { m_write(value); }
    // The current value as the control prints it ("4 px").
    QString valueText() const;
    EditorPopoverFlags::Flag flag() const { return m_flag; }
    QString title() const;

    // The parts (for keyboard access and tests).
    Popover* popover() const { return m_popover; }

protected:
    void changeEvent(QEvent* e) override;

private:
    StyleEditSlider* makeSlider(int width, QWidget* parent);
    QWidget* buildInline();
    QWidget* buildPopoverContent();
    void sync();
    void retranslate();
    void applyForm();

    EditorViewModel& m_vm;
    EditorPopoverFlags& m_flags;
    EditorPopoverFlags::Flag m_flag;
    OptionSliderConfig m_config;
    Read m_read;
    Write m_write;
    bool m_compact = false;

    QWidget* m_inline = nullptr;
    QLabel* m_inlineIcon = nullptr;
    StyleEditSlider* m_inlineSlider = nullptr;
    QLabel* m_inlineValue = nullptr;
    ToolbarChip* m_chip = nullptr;
    Popover* m_popover = nullptr;
    QLabel* m_popTitle = nullptr;
    StyleEditSlider* m_popSlider = nullptr;
    QLabel* m_popValue = nullptr;
    Stepper* m_stepper = nullptr;
    int m_stepperShown = 0;
};
