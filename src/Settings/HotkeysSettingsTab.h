#pragma once
// The "Hotkeys" tab: one row per hotkey action with its label, a recorder and
// a button that restores the default. A change is stored and all global
// hotkeys are registered again at once. A combination that cannot work as a
// global hotkey (no modifier, Shift alone on a typing key, one another action
// already has, or one the desktop refuses to hand over) is turned down with a
// beep and a short note saying why, every time, and the row keeps its working
// combination. The note goes when the recording it answered ends.
#include "Models/HotkeyAction.h"
#include "Models/HotkeyCombo.h"

#include <QMap>
#include <QWidget>
#include <optional>

class Beeper;
class HotkeyManager;
class HotkeyRecorderView;
class QLabel;
class QToolButton;
class SettingsManager;

class HotkeysSettingsTab : public QWidget {
    Q_OBJECT
public:
    HotkeysSettingsTab(SettingsManager& settings, HotkeyManager& hotkeys, Beeper& beeper, QWidget* parent = nullptr);

    HotkeyRecorderView* recorder(HotkeyAction action) const { return m_recorders.value(action); }
    QToolButton* resetButton(HotkeyAction action) const { return m_resetButtons.value(action); }
    // The last refusal, shown under the rows (empty when none).
    QString hint() const;

    // Why combo cannot be the action's hotkey, or empty when it can.
    QString refusalReason(HotkeyAction action, const HotkeyCombo& combo) const;

private:
    // Stores combo (or, without one, the default) and registers everything
    // again; takes the change back when the action ends up unregistered.
    void apply(HotkeyAction action, const std::optional<HotkeyCombo>& combo);
    void reset(HotkeyAction action);
    void refresh();
    void showHint(const QString& text);

    SettingsManager& m_settings;
    HotkeyManager& m_hotkeys;
    Beeper& m_beeper;
    QMap<HotkeyAction, HotkeyRecorderView*> m_recorders;
    QMap<HotkeyAction, QToolButton*> m_resetButtons;
    QLabel* m_hint = nullptr;
};
