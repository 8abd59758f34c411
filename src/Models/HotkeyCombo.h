#pragma once
// One key combination: a Carbon virtual key code and Carbon modifier flags,
// stored exactly so (file format). On X11: command = Super, option = Alt.
#include "Platform/CarbonKeyCodes.h"

#include <QJsonObject>
#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

class QKeyEvent;

struct HotkeyCombo {
    static constexpr uint32_t command = CarbonKeyCodes::commandFlag;
    static constexpr uint32_t shift = CarbonKeyCodes::shiftFlag;
    static constexpr uint32_t option = CarbonKeyCodes::optionFlag;
    static constexpr uint32_t control = CarbonKeyCodes::controlFlag;

    uint32_t keyCode = 0;
    uint32_t carbonModifiers = 0;

    bool operator==(const HotkeyCombo&) const = default;

    // How the combination reads on screen: Linux key names joined by "+",
    // e.g. "Super+Shift+2"; the stored codes stay as they are.
    QString displayString() const;
    // The key's name in the current interface language ("Taste N" when unknown).
    static QString keyName(uint32_t keyCode);

    // From a key press: none when no modifier among command, shift, option and
    // control is held, or when the key has no Carbon code.
    static std::optional<HotkeyCombo> from(const QKeyEvent& event);
    static std::optional<HotkeyCombo> from(uint32_t x11Keycode, Qt::KeyboardModifiers modifiers);
    static uint32_t carbonModifiersFrom(Qt::KeyboardModifiers modifiers);

    QJsonObject toJson() const;
    static std::optional<HotkeyCombo> fromJson(const QJsonValue& value);
};
size_t qHash(const HotkeyCombo& c, size_t seed = 0);
