#pragma once
// Knows whether the two permissions the app depends on are granted: screen
// recording (every capture) and accessibility (the scrolling capture). A
// negative screen-capture preflight is not trusted: a tiny real capture
// confirms it. Re-read at start, on every activation of the app, on request,
// and every 2 s (accessibility both ways, screen recording only towards yes).
#include "Platform/CapturePermissions.h"
#include "Platform/ScreenSource.h"

#include <QObject>
#include <QTimer>

class PermissionManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool screenRecordingAuthorized READ screenRecordingAuthorized NOTIFY screenRecordingAuthorizedChanged)
    Q_PROPERTY(bool accessibilityAuthorized READ accessibilityAuthorized NOTIFY accessibilityAuthorizedChanged)
public:
    PermissionManager(CapturePermissions& platform, ScreenSource& screens, QObject* parent = nullptr);

    bool screenRecordingAuthorized() const { return m_screenRecordingAuthorized; }
    bool accessibilityAuthorized() const { return m_accessibilityAuthorized; }

    // Re-reads both permissions; after a negative preflight a test capture
    // runs right after (on the event loop) and may set the flag again.
    void refresh();
    // A 32 x 20 capture of the first display; true (and the flag set) when it works.
    bool screenRecordingWorksViaSCK();
    bool requestScreenRecording();
    // Prompts and opens the settings page only when not trusted; returns the
    // trust read before prompting.
    bool requestAccessibility();
    // There is no settings page to open on X11: both note the request in the log.
    void openScreenRecordingSettings();
    void openAccessibilitySettings();

    QTimer* pollTimer() const { return m_pollTimer; }

Q_SIGNALS:
    // Emitted on every assignment, also when the value stays the same.
    void screenRecordingAuthorizedChanged(bool authorized);
    void accessibilityAuthorizedChanged(bool authorized);

private:
    void setScreenRecordingAuthorized(bool authorized);
    void setAccessibilityAuthorized(bool authorized);
    void poll();

    CapturePermissions& m_platform;
    ScreenSource& m_screens;
    bool m_screenRecordingAuthorized = false;
    bool m_accessibilityAuthorized = false;
    QTimer* m_pollTimer = nullptr;
};
