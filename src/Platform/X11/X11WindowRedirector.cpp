#include "Platform/X11/X11WindowRedirector.h"

#include <QByteArray>
#include <cstdlib>
#include <xcb/composite.h>
#include <xcb/xcb.h>

namespace {

// The child of the root that holds the window (its frame under a window manager).
xcb_window_t topLevel(xcb_connection_t* c, xcb_window_t window)
{
    for (int depth = 0; depth < 64 && window != XCB_WINDOW_NONE; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree)
            return XCB_WINDOW_NONE;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            return window;
        window = parent;
    }
    return XCB_WINDOW_NONE;
}

bool compositorRuns(xcb_connection_t* c, int screen)
{
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, name.size(), name.constData()), nullptr);
    bool owned = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        free(owner);
    }
    free(atom);
    return owned;
}

} // namespace

X11WindowRedirector::X11WindowRedirector()
{
    xcb_connection_t* c = xcb_connect(nullptr, &m_screen);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return;
    }
    m_connection = c;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_composite_id);
    if (ext && ext->present) {
        xcb_composite_query_version_reply_t* version =
            xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr);
        m_hasComposite = version && (version->major_version > 0 || version->minor_version >= 2);
        free(version);
    }
}

X11WindowRedirector::~X11WindowRedirector()
{
    releaseAll();
    if (m_connection)
        xcb_disconnect(m_connection);
}

void X11WindowRedirector::keep(quint32 window)
{
    QMutexLocker lock(&m_mutex);
    if (!m_connection || !m_hasComposite || compositorRuns(m_connection, m_screen))
        return;
    const xcb_window_t frame = topLevel(m_connection, window);
    if (frame == XCB_WINDOW_NONE || m_kept.contains(frame))
        return;
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_composite_redirect_window_checked(m_connection, frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
    if (error) {
        free(error);
        return;
    }
    m_kept.insert(frame);
}

void X11WindowRedirector::releaseAll()
{
    QMutexLocker lock(&m_mutex);
    if (!m_connection)
        return;
    for (quint32 frame : std::as_const(m_kept))
        xcb_composite_unredirect_window(m_connection, frame, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    xcb_flush(m_connection);
    m_kept.clear();
}
