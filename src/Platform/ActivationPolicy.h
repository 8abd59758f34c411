#pragma once
// Whether the app shows up like an ordinary application (its windows in the
// taskbar) or only as a tray icon. The numbers are the ones logged.

class ActivationPolicy {
public:
    enum class Policy { regular = 0, accessory = 1 };
    virtual ~ActivationPolicy() = default;
    virtual Policy policy() const = 0;
    virtual void setPolicy(Policy policy) = 0;
};
