#include "Platform/X11/X11RepaintWatch.h"

#include "Platform/CompositingInfo.h"

#include <xcb/damage.h>
#include <xcb/xfixes.h>

X11RepaintWatch::X11RepaintWatch(std::shared_ptr<CompositingInfo> compositing) : m_compositing(std::move(compositing))
{
    xcb_connection_t* c = m_x.get();
    if (!m_x.isValid() || !m_x.hasXFixes())
        return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_damage_id);
    if (!ext || !ext->present)
        return;
    XcbReply<xcb_damage_query_version_reply_t> version(
        xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    if (!version)
        return;
    m_damage = xcb_generate_id(c);
    m_parts = xcb_generate_id(c);
    xcb_xfixes_create_region(c, m_parts, 0, nullptr);
    xcb_damage_create(c, m_damage, m_x.root(), XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    xcb_flush(c);
}

X11RepaintWatch::~X11RepaintWatch()
{
    if (!m_damage)
        return;
    xcb_damage_destroy(m_x.get(), m_damage);
    xcb_xfixes_destroy_region(m_x.get(), m_parts);
    xcb_flush(m_x.get());
}

bool X11RepaintWatch::works()
{
    return m_damage && !m_compositing->isCompositing();
}

void X11RepaintWatch::dropEvents()
{
    // Only the non-empty notices arrive; what was drawn is asked for.
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x.get()))
        std::free(event);
}

void X11RepaintWatch::restart()
{
    m_drawn = {};
    if (!m_damage)
        return;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    xcb_damage_subtract(c, m_damage, XCB_NONE, XCB_NONE);
    // A round trip: the server has emptied the damage before our other
    // connections send what follows (the unmap of the window going away).
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    dropEvents();
}

QRegion X11RepaintWatch::drawnSinceRestart()
{
    if (!m_damage)
        return m_drawn;
    QMutexLocker lock(&m_x.mutex());
    xcb_connection_t* c = m_x.get();
    xcb_damage_subtract(c, m_damage, XCB_NONE, m_parts);
    XcbReply<xcb_xfixes_fetch_region_reply_t> reply(xcb_xfixes_fetch_region_reply(c, xcb_xfixes_fetch_region(c, m_parts), nullptr));
    if (reply) {
        const xcb_rectangle_t* r = xcb_xfixes_fetch_region_rectangles(reply.get());
        for (int i = 0, n = xcb_xfixes_fetch_region_rectangles_length(reply.get()); i < n; ++i)
            m_drawn += QRect(r[i].x, r[i].y, r[i].width, r[i].height);
    }
    dropEvents();
    return m_drawn;
}
