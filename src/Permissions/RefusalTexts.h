#pragma once
// What refuses a capture on X11 and what the user can do about it, in the
// words every place uses that tells them (alerts, the panel, the settings).
// X11 has no permissions to grant: the X server either lets a client read
// the screen or it does not (a Wayland session, an untrusted "ssh -X"
// connection), and it offers XTEST for synthetic input or it does not.
#include <QString>

namespace RefusalTexts {

// The screen cannot be read: why, and what to do.
QString screenUnreadable();
// No XTEST, so no scrolling capture: why, and what to do.
QString xtestMissing();

} // namespace RefusalTexts
