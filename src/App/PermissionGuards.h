#pragma once
// Makes sure a capture may read the screen (and, for the scrolling capture,
// drive other applications). When the X server refuses, it tells the user
// what refuses and what they can do; it keeps watching and restarts the app
// by itself once the screen can be read.
#include <QObject>
#include <functional>

class Alerts;
class CapturePermissions;
class PermissionManager;
class ProcessLauncher;
class UserDefaults;

class PermissionGuards : public QObject {
    Q_OBJECT
public:
    PermissionGuards(PermissionManager& permissions, CapturePermissions& platform, UserDefaults& defaults,
                     Alerts& alerts, ProcessLauncher& launcher, QObject* parent = nullptr);

    // True when capturing may go on; otherwise tells the user why not and returns false.
    bool ensureScreenRecordingPermission();
    // True when the app may drive other applications (XTEST); otherwise tells
    // the user why not and returns false.
    bool ensureAccessibilityPermission();
    // At start-up: issues the request a permission relaunch left pending.
    void requestScreenRecordingIfPending();
    // Starts (or restarts) the watcher that relaunches the app once screen
    // recording is granted.
    void armPermissionAutoRelaunch();
    // Starts a new instance once this one has ended, then ends this one. When
    // the new one cannot be started, this one keeps running.
    void relaunchApp();

    bool isWatching() const { return m_watcherChecks >= 0; }

    // Delayed main-thread work (QTimer by default); tests drive it by hand.
    void setScheduler(std::function<void(int ms, std::function<void()>)> after) { m_after = std::move(after); }

    static constexpr int watcherIntervalMs = 1500;
    static constexpr int watcherMaxChecks = 120;

private:
    void watcherStep(quint64 generation);

    PermissionManager& m_permissions;
    CapturePermissions& m_platform;
    UserDefaults& m_defaults;
    Alerts& m_alerts;
    ProcessLauncher& m_launcher;
    std::function<void(int, std::function<void()>)> m_after;
    // Re-arming starts a new generation; steps of an older one end silently.
    quint64 m_watcherGeneration = 0;
    int m_watcherChecks = -1;
};
