#pragma once
// The field in which the user records a global key combination. Idle it shows
// the combination; a click asks for a key press ("Taste drücken …"); the next
// press that carries Super, Shift, Alt or Ctrl becomes the new combination and
// is reported through onChange. Escape alone, a second click or losing the
// focus ends recording without a change. A key that cannot be taken beeps
// and is handed with the reason to onRefused, every time; recording goes on.
// While recording the field holds the keyboard, so neither our own global
// hotkeys nor the desktop's shortcuts swallow the keys being recorded.
#include "Models/HotkeyCombo.h"

#include <QPushButton>
#include <functional>
#include <optional>

class Beeper;

class HotkeyRecorderView : public QPushButton {
    Q_OBJECT
public:
    HotkeyRecorderView(const HotkeyCombo& combo, Beeper& beeper, QWidget* parent = nullptr);

    // The owner's current combination; ignored while recording (the prompt stays).
    void setCombo(const HotkeyCombo& combo);
    bool isRecording() const { return m_recording; }

    // A new combination, already shown.
    std::function<void(const HotkeyCombo&)> onChange;
    // Asked before a combination is taken: a non-empty answer refuses it (the
    // field beeps, keeps asking and hands the answer to onRefused).
    std::function<QString(const HotkeyCombo&)> refusalReason;
    // Why a key press was not taken: the answer above, or the field's own
    // (a key without a modifier, a key no hotkey can hold).
    std::function<void(const QString&)> onRefused;
    // Recording started (true) or ended, however it ended.
    std::function<void(bool recording)> onRecordingChanged;

    static QString prompt();
    // The field's own reasons.
    static QString needsModifier();
    static QString unusableKey();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void toggleRecording();
    void startRecording();
    // Back to idle showing the stored combination.
    void stopRecording();
    void showCombo();
    void refuse(const QString& why);

    Beeper& m_beeper;
    bool m_recording = false;
    std::optional<HotkeyCombo> m_currentCombo;
};
