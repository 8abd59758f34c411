#pragma once
// Which option chip of the editor toolbar has its popover open: thirteen
// flags, all closed when a window opens. A chip opens its popover by setting
// its flag; closing a popover that holds a slider also ends the slider's
// style edit, so a drag cut short by the popover closing stays one undo step.
#include <QObject>
#include <QPointer>
#include <array>

class EditorViewModel;
class Popover;
class QWidget;

class EditorPopoverFlags : public QObject {
    Q_OBJECT
public:
    enum class Flag {
        stroke, badge, corner, blur, magnifier, cursorSize, cursorHlSize, cursorHlOpacity, cursorStyle,
        fontFamily, fontSize, badgeFont, cropAspect
    };
    static constexpr int count = 13;

    explicit EditorPopoverFlags(EditorViewModel& vm, QObject* parent = nullptr);

    bool isOpen(Flag flag) const { return m_open[size_t(flag)]; }
    void setOpen(Flag flag, bool open);
    void toggle(Flag flag) { setOpen(flag, !isOpen(flag)); }
    bool anyOpen() const;

    // Ties a chip's popover to its flag: setting the flag shows the popover
    // under the anchor, clearing it hides it, and a popover closed by the
    // user (a click outside) clears the flag.
    void bind(Flag flag, Popover* popover, QWidget* anchor);

    // The popovers that hold a slider (the others hold lists and grids).
    static bool holdsSlider(Flag flag);

Q_SIGNALS:
    void changed(EditorPopoverFlags::Flag flag, bool open);

private:
    struct Binding {
        QPointer<Popover> popover;
        QPointer<QWidget> anchor;
    };
    EditorViewModel& m_vm;
    std::array<bool, count> m_open{};
    std::array<Binding, count> m_bindings{};
};
