#include "Platform/X11/X11WindowRedirector.h"

#include "Platform/CompositingInfo.h"
#include "Platform/X11/XcbConnection.h"

#include <cstdlib>
#include <xcb/composite.h>
#include <xcb/xcb.h>

X11WindowRedirector::X11WindowRedirector(std::shared_ptr<CompositingInfo> compositing)
    : m_compositing(std::move(compositing))
{
}

X11WindowRedirector::~X11WindowRedirector()
{
    releaseAll();
}

void X11WindowRedirector::keep(quint32 window)
{
    QMutexLocker lock(&m_mutex);
    if (m_compositing->isCompositing())
        return;
    if (!m_x)
        m_x = std::make_unique<XcbConnection>();
    if (!m_x->isValid() || !m_x->hasComposite())
        return;
    xcb_connection_t* c = m_x->get();
    const xcb_window_t frame = m_x->topLevelOf(window);
    if (frame == XCB_WINDOW_NONE || m_kept.contains(frame))
        return;
    xcb_generic_error_t* error
        = xcb_request_check(c, xcb_composite_redirect_window_checked(c, frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
    if (error) {
        free(error);
        return;
    }
    m_kept.insert(frame);
}

void X11WindowRedirector::releaseAll()
{
    QMutexLocker lock(&m_mutex);
    if (m_x && m_x->isValid()) {
        for (quint32 frame : std::as_const(m_kept))
            xcb_composite_unredirect_window(m_x->get(), frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(m_x->get());
    }
    m_kept.clear();
    // Nothing kept, no connection held while the program idles.
    m_x.reset();
}
