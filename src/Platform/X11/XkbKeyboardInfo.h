#pragma once
#include "Platform/KeyboardInfo.h"

#include <QString>

// Reads the XKB rules names (_XKB_RULES_NAMES on the root window): ISO when the
// model is a 102/105-key model and the first layout is not a US one (US
// machines report pc105 too, on ANSI hardware).
class XkbKeyboardInfo final : public KeyboardInfo {
public:
    bool isISO() const override;
    // The rule itself, for tests: model and comma-separated layouts.
    static bool isISOModel(const QString& model, const QString& layouts);
};
