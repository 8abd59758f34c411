#pragma once
// Ties a switch or a colour well of the toolbar to one tool setting of the
// editor model: the control shows the setting (and follows every change of
// it) and the user's changes go through the given setter only.
#include "Editor/CompactColorWell.h"
#include "Editor/EditorViewModel.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <functional>

namespace StyleBindings {

inline void bindSwitch(QAbstractButton* button, EditorViewModel& vm, std::function<bool(const EditorState&)> read,
                       std::function<void(bool)> write)
{
    auto sync = [button, &vm, read] {
        const QSignalBlocker quiet(button);
        button->setChecked(read(vm.state()));
        button->update();
    };
    QObject::connect(&vm, &EditorViewModel::settingsChanged, button, sync);
    QObject::connect(button, &QAbstractButton::toggled, button, [sync, write](bool on) {
        write(on);
        sync(); // the model decides
    });
    sync();
}

inline void bindWell(CompactColorWell* well, EditorViewModel& vm, std::function<RGBAColor(const EditorState&)> read,
                     std::function<void(const RGBAColor&)> write)
{
    auto sync = [well, &vm, read] { well->setColor(read(vm.state())); };
    QObject::connect(&vm, &EditorViewModel::settingsChanged, well, sync);
    QObject::connect(well, &CompactColorWell::colorEdited, well, [write](const RGBAColor& c) { write(c); });
    sync();
}

} // namespace StyleBindings
