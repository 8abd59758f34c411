#include "Editor/EditorPopoverFlags.h"

#include "Editor/EditorViewModel.h"
#include "Ui/Popover.h"

#include <algorithm>

EditorPopoverFlags::EditorPopoverFlags(EditorViewModel& vm, QObject* parent) : QObject(parent), m_vm(vm) {}

bool EditorPopoverFlags::anyOpen() const { return std::any_of(m_open.begin(), m_open.end(), [](bool b) { return b; }); }

void EditorPopoverFlags::setOpen(Flag flag, bool open)
{
    bool& current = m_open[size_t(flag)];
    if (current == open)
        return;
    current = open;
    Binding& b = m_bindings[size_t(flag)];
    if (b.popover) {
        if (open && b.anchor)
            b.popover->showAt(b.anchor);
        else if (!open)
            b.popover->hide();
    }
    if (!open && holdsSlider(flag) && m_vm.isCoalescingStyleEdit())
        m_vm.endStyleEdit();
    Q_EMIT changed(flag, open);
}

void EditorPopoverFlags::bind(Flag flag, Popover* popover, QWidget* anchor)
{
    m_bindings[size_t(flag)] = {popover, anchor};
    if (popover)
        connect(popover, &Popover::closed, this, [this, flag] { setOpen(flag, false); });
}

bool EditorPopoverFlags::holdsSlider(Flag flag)
{
    switch (flag) {
    case Flag::cursorStyle:
    case Flag::fontFamily:
    case Flag::cropAspect: return false;
    default: return true;
    }
}

