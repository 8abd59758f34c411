#pragma once
// The program's short-lived windows: tooltips, menus, popups and popovers.
// They must not outlive the window they belong to, nor show up in a capture.
class TransientUi {
public:
    // Hides every tooltip and closes every open menu, popup and popover at
    // once; true when anything was on screen (the windows beneath then need a
    // moment to paint themselves again).
    static bool dismiss();
    // Hides a shown tooltip at once (QToolTip::hideText waits 300 ms first).
    static bool hideTooltips();
};
