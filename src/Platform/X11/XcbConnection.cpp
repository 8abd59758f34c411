#include "Platform/X11/XcbConnection.h"

#include <QtEndian>
#include <cstring>
#include <xcb/composite.h>
#include <xcb/randr.h>
#include <xcb/res.h>
#include <xcb/shm.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

namespace {
bool extensionPresent(xcb_connection_t* c, xcb_extension_t* ext)
{
    const xcb_query_extension_reply_t* r = xcb_get_extension_data(c, ext);
    return r && r->present;
}
} // namespace

std::shared_ptr<XcbConnection> XcbConnection::sharedOrOwn(std::shared_ptr<XcbConnection> shared)
{
    return shared ? std::move(shared) : std::make_shared<XcbConnection>();
}

XcbConnection::XcbConnection(const QByteArray& display)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    m_screen = it.data;
    m_screenNumber = screenNumber;

    // Every backend opens one of these, some per call: ask for all extensions
    // in one round trip instead of one each.
    for (xcb_extension_t* ext : {&xcb_shm_id, &xcb_composite_id, &xcb_xfixes_id, &xcb_randr_id, &xcb_res_id, &xcb_test_id})
        xcb_prefetch_extension_data(c, ext);
    if (extensionPresent(c, &xcb_shm_id)) {
        XcbReply<xcb_shm_query_version_reply_t> v(xcb_shm_query_version_reply(c, xcb_shm_query_version(c), nullptr));
        m_hasShm = bool(v);
        m_hasShmPixmaps = v && v->shared_pixmaps && v->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    }
    if (extensionPresent(c, &xcb_composite_id)) {
        XcbReply<xcb_composite_query_version_reply_t> v(
            xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
        m_hasComposite = v && (v->major_version > 0 || v->minor_version >= 2);
    }
    if (extensionPresent(c, &xcb_xfixes_id)) {
        XcbReply<xcb_xfixes_query_version_reply_t> v(
            xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
        m_hasXFixes = bool(v);
    }
    if (extensionPresent(c, &xcb_randr_id)) {
        XcbReply<xcb_randr_query_version_reply_t> v(
            xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
        m_hasRandr = v && (v->major_version > 1 || v->minor_version >= 5);
    }
    if (extensionPresent(c, &xcb_res_id)) {
        XcbReply<xcb_res_query_version_reply_t> v(
            xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), nullptr));
        m_hasRes = v && (v->server_major > 1 || v->server_minor >= 2);
    }
    m_hasXTest = extensionPresent(c, &xcb_test_id);
}

XcbConnection::~XcbConnection()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t XcbConnection::atom(const char* name)
{
    const QByteArray key(name);
    // Callers intern from several threads; the cache has a lock of its own so
    // that holders of mutex() can intern too.
    QMutexLocker lock(&m_atomsMutex);
    auto it = m_atoms.constFind(key);
    if (it != m_atoms.constEnd())
        return it.value();
    const xcb_atom_t a = internAtom(m_connection, name);
    m_atoms.insert(key, a);
    return a;
}

xcb_atom_t XcbConnection::internAtom(xcb_connection_t* c, const char* name)
{
    if (!c)
        return XCB_ATOM_NONE;
    XcbReply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString XcbConnection::atomName(xcb_atom_t atom)
{
    XcbReply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!r)
        return {};
    return QString::fromUtf8(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()));
}

xcb_window_t XcbConnection::topLevelOf(xcb_window_t window) const
{
    for (int depth = 0; depth < 64 && window != XCB_WINDOW_NONE; ++depth) {
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

int XcbConnection::bitsPerPixel(uint8_t depth) const
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    return 0;
}

bool XcbConnection::hasNativeByteOrder() const
{
    return (xcb_get_setup(m_connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST)
        == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
}
