#include "Models/HotkeyCombo.h"

#include "Localization/Localizer.h"
#include "Models/JsonDecoder.h"

#include <QHash>
#include <QKeyEvent>
#include <QStringList>

QString HotkeyCombo::displayString() const
{
    // The names printed on PC keyboards, in the order Linux desktops list them.
    QStringList parts;
    if (carbonModifiers & command) parts << QStringLiteral("Super");
    if (carbonModifiers & control) parts << QStringLiteral("Ctrl");
    if (carbonModifiers & option) parts << QStringLiteral("Alt");
    if (carbonModifiers & shift) parts << QStringLiteral("Shift");
    parts << keyName(keyCode);
    return parts.join(QLatin1Char('+'));
}

QString HotkeyCombo::keyName(uint32_t code)
{
    static const QHash<uint32_t, QString> names{
        {0, "A"}, {1, "S"}, {2, "D"}, {3, "F"}, {4, "H"}, {5, "G"}, {6, "Z"}, {7, "X"}, {8, "C"},
        {9, "V"}, {10, "<"}, {11, "B"}, {12, "Q"}, {13, "W"}, {14, "E"}, {15, "R"}, {16, "Y"},
        {17, "T"}, {18, "1"}, {19, "2"}, {20, "3"}, {21, "4"}, {22, "6"}, {23, "5"}, {25, "9"},
        {26, "7"}, {28, "8"}, {29, "0"}, {31, "O"}, {32, "U"}, {34, "I"}, {35, "P"},
        {36, "Enter"}, {37, "L"}, {38, "J"}, {40, "K"}, {43, ","}, {44, "/"},
        {45, "N"}, {46, "M"}, {47, "."}, {48, "Tab"}, {51, "Backspace"}, {53, "Esc"},
        {96, "F5"}, {97, "F6"}, {99, "F3"}, {118, "F4"}, {120, "F2"}, {122, "F1"},
        {123, QString(QChar(0x2190))}, {124, QString(QChar(0x2192))}, {125, QString(QChar(0x2193))},
        {126, QString(QChar(0x2191))}};
    if (code == 49)
        return Localizer::t(QStringLiteral("Leertaste"));
    const auto it = names.constFind(code);
    return it != names.constEnd() ? *it : Localizer::t(QStringLiteral("Taste %1")).arg(code);
}

uint32_t HotkeyCombo::carbonModifiersFrom(Qt::KeyboardModifiers m)
{
    uint32_t flags = 0;
    if (m & Qt::MetaModifier) flags |= command; // Super on X11
    if (m & Qt::ShiftModifier) flags |= shift;
    if (m & Qt::AltModifier) flags |= option;
    if (m & Qt::ControlModifier) flags |= control;
    return flags;
}

std::optional<HotkeyCombo> HotkeyCombo::from(uint32_t x11Keycode, Qt::KeyboardModifiers modifiers)
{
    const uint32_t flags = carbonModifiersFrom(modifiers);
    if (flags == 0)
        return std::nullopt;
    const auto code = CarbonKeyCodes::fromX11Keycode(x11Keycode);
    if (!code)
        return std::nullopt;
    return HotkeyCombo{*code, flags};
}

std::optional<HotkeyCombo> HotkeyCombo::from(const QKeyEvent& event)
{
    return from(event.nativeScanCode(), event.modifiers());
}

QJsonObject HotkeyCombo::toJson() const
{
    return {{"keyCode", qint64(keyCode)}, {"carbonModifiers", qint64(carbonModifiers)}};
}

std::optional<HotkeyCombo> HotkeyCombo::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    const qint64 key = d.integer("keyCode");
    const qint64 mods = d.integer("carbonModifiers");
    if (!d.ok() || key < 0 || mods < 0 || key > 0xFFFFFFFFLL || mods > 0xFFFFFFFFLL)
        return std::nullopt;
    return HotkeyCombo{uint32_t(key), uint32_t(mods)};
}

size_t qHash(const HotkeyCombo& c, size_t seed)
{
    return qHashMulti(seed, c.keyCode, c.carbonModifiers);
}
