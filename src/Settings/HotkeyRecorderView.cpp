#include "Settings/HotkeyRecorderView.h"

#include "Localization/Localizer.h"
#include "Platform/Beeper.h"
#include "Text/ButtonText.h"

#include <QKeyEvent>

namespace {

// Caps Lock in the key state the X server reports with each key press. It
// counts as a modifier for Escape, so Escape with Caps Lock on is no cancel.
constexpr quint32 capsLockState = 0x2;

// Modifier keys arrive as presses of their own before the key they go with.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

HotkeyRecorderView::HotkeyRecorderView(const HotkeyCombo& combo, Beeper& beeper, QWidget* parent)
    : QPushButton(parent)
    , m_beeper(beeper)
    , m_currentCombo(combo)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &HotkeyRecorderView::toggleRecording);
    showCombo();
}

QString HotkeyRecorderView::prompt() { return Localizer::t(QStringLiteral("Taste drücken …")); }

QString HotkeyRecorderView::needsModifier()
{
    return Localizer::t(QStringLiteral("Eine Taste allein ist kein Hotkey – bitte zusammen mit Super, Ctrl, Alt oder Shift drücken."));
}

QString HotkeyRecorderView::unusableKey()
{
    return Localizer::t(QStringLiteral("Diese Taste kann Zentu.it nicht als Hotkey verwenden."));
}

void HotkeyRecorderView::setCombo(const HotkeyCombo& combo)
{
    if (m_recording)
        return;
    m_currentCombo = combo;
    showCombo();
}

void HotkeyRecorderView::showCombo()
{
    const QString text = m_currentCombo ? m_currentCombo->displayString() : QString();
    setText(ButtonText::escaped(text));
    setAccessibleName(text);
}

void HotkeyRecorderView::toggleRecording()
{
    if (m_recording)
        stopRecording();
    else
        startRecording();
}

void HotkeyRecorderView::startRecording()
{
    m_recording = true;
    setText(ButtonText::escaped(prompt()));
    setAccessibleName(prompt());
    if (onRecordingChanged)
        onRecordingChanged(true);
    if (!isVisible())
        return;
    setFocus(Qt::OtherFocusReason);
    grabKeyboard();
}

void HotkeyRecorderView::stopRecording()
{
    m_recording = false;
    if (keyboardGrabber() == this)
        releaseKeyboard();
    showCombo();
    clearFocus();
    if (onRecordingChanged)
        onRecordingChanged(false);
}

void HotkeyRecorderView::refuse(const QString& why)
{
    m_beeper.beep();
    if (onRefused)
        onRefused(why);
}

bool HotkeyRecorderView::event(QEvent* e)
{
    if (m_recording) {
        // Every key belongs to the recording: no window shortcut, and Tab
        // does not move the focus away.
        if (e->type() == QEvent::ShortcutOverride) {
            e->accept();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent*>(e));
            return true;
        }
    }
    return QPushButton::event(e);
}

void HotkeyRecorderView::keyPressEvent(QKeyEvent* e)
{
    if (!m_recording) {
        QPushButton::keyPressEvent(e);
        return;
    }
    e->accept();
    if (isModifierKey(e->key()))
        return;
    const bool noModifier = HotkeyCombo::carbonModifiersFrom(e->modifiers()) == 0
        && !(e->nativeModifiers() & capsLockState);
    if (e->key() == Qt::Key_Escape && noModifier) {
        stopRecording();
        return;
    }
    const std::optional<HotkeyCombo> combo = HotkeyCombo::from(*e);
    if (!combo) {
        // Caps Lock is no modifier of a hotkey.
        refuse(HotkeyCombo::carbonModifiersFrom(e->modifiers()) == 0 ? needsModifier() : unusableKey());
        return;
    }
    if (refusalReason) {
        if (const QString why = refusalReason(*combo); !why.isEmpty()) {
            refuse(why);
            return;
        }
    }
    m_currentCombo = combo;
    stopRecording();
    if (onChange)
        onChange(*combo);
}

void HotkeyRecorderView::focusOutEvent(QFocusEvent* e)
{
    if (m_recording)
        stopRecording();
    QPushButton::focusOutEvent(e);
}
