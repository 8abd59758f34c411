#pragma once
// What stands between a capture request and reading the screen: the
// permission to record it, and the program's own tooltips, menus and popups,
// which must leave the screen, and the windows beneath them paint again,
// before it is read.
#include <optional>

class CaptureStage {
public:
    virtual ~CaptureStage() = default;

    // Asks for the permission when it is missing; false ends the capture.
    virtual bool ensureScreenRecordingPermission() = 0;
    // Hides the program's tooltips, menus and popups; true when anything was
    // shown (or went away a moment ago), so the screen beneath may not have
    // painted itself yet.
    virtual bool dismissTransientUi() = 0;
    // Whether the windows beneath painted over where they were; none where
    // that cannot be watched (then a fixed settle time is waited).
    virtual std::optional<bool> transientUiRepainted() = 0;
};
