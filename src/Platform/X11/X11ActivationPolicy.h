#pragma once
#include "Platform/ActivationPolicy.h"

#include <QObject>

class QWidget;

// Accessory: every window of the app carries _NET_WM_STATE_SKIP_TASKBAR, so the
// app lives in the tray only. Regular: its windows show in the taskbar. Windows
// shown later get the current state as they are mapped.
class X11ActivationPolicy final : public QObject, public ActivationPolicy {
    Q_OBJECT
public:
    explicit X11ActivationPolicy(QObject* parent = nullptr);
    ~X11ActivationPolicy() override;

    Policy policy() const override { return m_policy; }
    void setPolicy(Policy policy) override;

    // Whether the window carries the skip-taskbar state right now.
    static bool skipsTaskbar(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(QWidget* window, bool mapped) const;

    Policy m_policy = Policy::regular;
};
