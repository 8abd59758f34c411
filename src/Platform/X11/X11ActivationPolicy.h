#pragma once
#include "Platform/ActivationPolicy.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QObject>

class QWidget;

// Accessory: every window of the app carries _NET_WM_STATE_SKIP_TASKBAR, so the
// app lives in the tray only. Regular: its windows show in the taskbar. Windows
// shown later get the current state as they are mapped.
class X11ActivationPolicy final : public QObject, public QAbstractNativeEventFilter, public ActivationPolicy {
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
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void apply(QWidget* window, bool mapped) const;

    Policy m_policy = Policy::regular;
    uint32_t m_netWmState = 0;
    // Corrections asked for per window since its state last matched; bounded so
    // a window manager that refuses the state cannot make us loop.
    QHash<uint32_t, int> m_corrections;
};
