#pragma once
// What the system says about the two permissions the app depends on: reading
// the screen (every capture) and driving other applications (the scrolling
// capture).
#include <QString>

class CapturePermissions {
public:
    virtual ~CapturePermissions() = default;
    // Whether screen capture is allowed now, without asking the user.
    virtual bool preflightScreenCapture() = 0;
    // Asks for screen capture where the system can ask; returns its answer.
    virtual bool requestScreenCapture() = 0;
    // Whether this process may inspect and drive other applications.
    virtual bool isAccessibilityTrusted() = 0;
    // Shows the system's own prompt for that permission, where there is one.
    virtual void promptAccessibility() = 0;
};
