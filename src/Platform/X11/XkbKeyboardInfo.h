#pragma once
#include "Platform/KeyboardInfo.h"

#include <QString>
#include <memory>

class XcbConnection;

// Reads the XKB rules names (_XKB_RULES_NAMES on the root window): ISO when the
// model is a 102/105-key model and the first layout is not a US one (US
// machines report pc105 too, on ANSI hardware).
class XkbKeyboardInfo final : public KeyboardInfo {
public:
    // x: the connection of the main thread's backends; none opens one per
    // question.
    explicit XkbKeyboardInfo(std::shared_ptr<XcbConnection> x = nullptr) : m_x(std::move(x)) { }
    bool isISO() const override;
    // The rule itself, for tests: model and comma-separated layouts.
    static bool isISOModel(const QString& model, const QString& layouts);

private:
    std::shared_ptr<XcbConnection> m_x;
};
