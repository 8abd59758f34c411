#pragma once
// Asks a running browser which pages its windows show.
#include <QString>

struct Browser;

class BrowserBridge {
public:
    virtual ~BrowserBridge() = default;
    // One line per browser window of the process: left, top, right, bottom
    // (top-left global screen coordinates) and the front tab's URL, separated
    // by tab characters, each line ended by a line feed. A window whose page
    // cannot be read is left out. Throws CaptureError when the browser cannot
    // be asked at all.
    virtual QString windowList(const Browser& browser, qint64 pid) = 0;
};
