#include "Platform/X11/X11CapturePermissions.h"

#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/XcbConnection.h"

X11CapturePermissions::X11CapturePermissions(X11ScreenSource& screens, std::shared_ptr<XcbConnection> x)
    : m_screens(screens)
    , m_x(std::move(x))
{
}

bool X11CapturePermissions::preflightScreenCapture()
{
    // Whether this client may read the root window is settled for the life
    // of its connection: once it could, the periodic check needs no grab.
    if (!m_rootReadable)
        m_rootReadable = m_screens.canGrabRoot();
    return m_rootReadable;
}

bool X11CapturePermissions::requestScreenCapture() { return preflightScreenCapture(); }

bool X11CapturePermissions::isAccessibilityTrusted()
{
    // XTEST comes with the server and does not go away; ask once.
    if (!m_xtest) {
        const std::shared_ptr<XcbConnection> x = XcbConnection::sharedOrOwn(m_x);
        if (!x->isValid())
            return false;
        m_xtest = x->hasXTest();
    }
    return *m_xtest;
}

void X11CapturePermissions::promptAccessibility() { }

