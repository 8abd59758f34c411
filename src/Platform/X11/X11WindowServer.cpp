#include "Platform/X11/X11WindowServer.h"

#include "Platform/X11/X11ScreenLayout.h"

#include <QMutexLocker>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <xcb/composite.h>
#include <xcb/res.h>
#include <xcb/shape.h>

namespace {
// Window layers: ordinary windows 0, windows kept
// above the others 3, docks and panels 20, override-redirect windows
// (menus, tooltips, overlays) 1000.
constexpr int floatingLayer = 3;
constexpr int dockLayer = 20;
constexpr int overrideRedirectLayer = 1000;
}

X11WindowServer::X11WindowServer(std::shared_ptr<const X11ScreenLayout> layout, std::shared_ptr<XcbConnection> x)
    : m_layout(layout ? std::move(layout) : std::make_shared<X11ScreenLayout>())
    , m_connection(XcbConnection::sharedOrOwn(std::move(x)))
{
}

X11WindowServer::~X11WindowServer() = default;

QList<uint32_t> X11WindowServer::cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t max)
{
    QList<uint32_t> values;
    if (property == XCB_ATOM_NONE)
        return values;
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        m_x.get(), xcb_get_property(m_x.get(), 0, window, property, type, 0, max), nullptr));
    if (!r || r->format != 32 || r->type != type)
        return values;
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    values.reserve(n);
    for (int i = 0; i < n; ++i)
        values.append(data[i]);
    return values;
}

std::optional<qint32> X11WindowServer::pidLocked(xcb_window_t window)
{
    if (m_x.hasRes()) {
        xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        XcbReply<xcb_res_query_client_ids_reply_t> r(
            xcb_res_query_client_ids_reply(m_x.get(), xcb_res_query_client_ids(m_x.get(), 1, &spec), nullptr));
        if (r) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(r.get()); it.rem; xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                    && xcb_res_client_id_value_value_length(it.data) == 1) {
                    const uint32_t pid = *xcb_res_client_id_value_value(it.data);
                    if (pid > 0 && pid <= uint32_t(INT32_MAX))
                        return qint32(pid);
                }
            }
        }
    }
    const QList<uint32_t> pid = cardinals(window, m_x.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 1);
    if (!pid.isEmpty() && pid.first() > 0 && pid.first() <= uint32_t(INT32_MAX))
        return qint32(pid.first());
    return std::nullopt;
}

std::optional<QList<WindowInfo>> X11WindowServer::windowList()
{
    QMutexLocker lock(&m_x.mutex());
    if (!m_x.isValid() || xcb_connection_has_error(m_x.get()))
        return std::nullopt;
    xcb_connection_t* c = m_x.get();
    const xcb_window_t root = m_x.root();

    const QList<uint32_t> currentDesktop = cardinals(root, m_x.atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 1);
    QList<uint32_t> clients = cardinals(root, m_x.atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    // Without a window manager that keeps the stacking list, the root's
    // children are the windows, in stacking order too.
    const bool managed = !clients.isEmpty()
        && !cardinals(root, m_x.atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1).isEmpty();
    if (!managed) {
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
        if (!tree)
            return std::nullopt;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        clients = QList<uint32_t>(children, children + xcb_query_tree_children_length(tree.get()));
    }
    std::reverse(clients.begin(), clients.end()); // the server stacks bottom to top

    const xcb_atom_t typeAtom = m_x.atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t typeNormal = m_x.atom("_NET_WM_WINDOW_TYPE_NORMAL");
    const xcb_atom_t typeDialog = m_x.atom("_NET_WM_WINDOW_TYPE_DIALOG");
    const xcb_atom_t typeDesktop = m_x.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t typeDock = m_x.atom("_NET_WM_WINDOW_TYPE_DOCK");
    const xcb_atom_t stateAtom = m_x.atom("_NET_WM_STATE");
    const xcb_atom_t stateHidden = m_x.atom("_NET_WM_STATE_HIDDEN");
    const xcb_atom_t stateAbove = m_x.atom("_NET_WM_STATE_ABOVE");

    const DesktopPixels layout = m_layout->current();
    QList<WindowInfo> windows;
    for (const uint32_t client : clients) {
        const xcb_window_t frame = managed ? m_x.topLevelOf(client) : client;
        if (frame == XCB_WINDOW_NONE)
            continue;
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, frame), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE
            || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        const QList<uint32_t> types = cardinals(client, typeAtom, XCB_ATOM_ATOM, 16);
        const QList<uint32_t> states = cardinals(client, stateAtom, XCB_ATOM_ATOM, 32);
        if (types.contains(typeDesktop) || states.contains(stateHidden))
            continue;
        const QList<uint32_t> desktop = cardinals(client, m_x.atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 1);
        if (!desktop.isEmpty() && !currentDesktop.isEmpty() && desktop.first() != 0xFFFFFFFFu
            && desktop.first() != currentDesktop.first())
            continue;

        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, client), nullptr));
        XcbReply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, client, root, 0, 0), nullptr));
        if (!geometry || !origin)
            continue;
        QRect bounds(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        if (managed) {
            const QList<uint32_t> extents = cardinals(client, m_x.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
            if (extents.size() == 4)
                bounds.adjust(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
        }

        WindowInfo info;
        info.number = client;
        info.ownerPID = pidLocked(client);
        info.bounds = layout.toPoints(QRectF(bounds));
        int layer = 0;
        if (attributes->override_redirect)
            layer = overrideRedirectLayer;
        else if (types.contains(typeDock))
            layer = dockLayer;
        else if (states.contains(stateAbove)
                 || (!types.isEmpty() && !types.contains(typeNormal) && !types.contains(typeDialog)))
            layer = floatingLayer;
        info.layer = layer;
        const QList<uint32_t> opacity = cardinals(client, m_x.atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL, 1);
        if (!opacity.isEmpty())
            info.alpha = double(opacity.first()) / double(0xFFFFFFFFu);
        windows.append(info);
    }
    return windows;
}

std::optional<qint32> X11WindowServer::ownerPID(quint32 window)
{
    QMutexLocker lock(&m_x.mutex());
    if (!m_x.isValid())
        return std::nullopt;
    return pidLocked(window);
}

QImage X11WindowServer::windowImage(quint32 window, QSize pixelSize, bool showsCursor, QString* error, bool* fromScreen)
{
    QMutexLocker lock(&m_x.mutex());
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (!m_x.isValid())
        return fail(QStringLiteral("Keine Verbindung zum X-Server"));
    xcb_connection_t* c = m_x.get();
    const xcb_window_t frame = m_x.topLevelOf(window);
    if (frame == XCB_WINDOW_NONE)
        return fail(QStringLiteral("Fenster %1 existiert nicht").arg(window));
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, frame), nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
    if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return fail(QStringLiteral("Fenster %1 ist nicht sichtbar").arg(window));
    // The frame's outer corner in root pixels, border included.
    const QRect outer(geometry->x, geometry->y, geometry->width + 2 * geometry->border_width,
                      geometry->height + 2 * geometry->border_width);

    QImage image;
    const QPoint origin = outer.topLeft();
    // The window's own pixmap exists while it is redirected: by a compositing
    // manager, or by us while our cover lies over it (X11WindowRedirector).
    // Otherwise naming it fails and the picture is cut from the screen.
    if (m_x.hasComposite()) {
        const xcb_pixmap_t pixmap = xcb_generate_id(c);
        xcb_generic_error_t* e = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, frame, pixmap));
        if (!e) {
            image = m_images.grab(pixmap, QRect(QPoint(0, 0), outer.size()), true, error);
            xcb_free_pixmap(c, pixmap);
        }
        free(e);
    }
    if (fromScreen)
        *fromScreen = image.isNull();
    if (image.isNull()) {
        // Without a compositor the window's pixels exist only on the screen.
        const QRect screen(0, 0, m_x.screen()->width_in_pixels, m_x.screen()->height_in_pixels);
        const QRect visible = outer.intersected(screen);
        if (visible.isEmpty())
            return fail(QStringLiteral("Fenster %1 liegt ausserhalb des Bildschirms").arg(window));
        image = m_images.grab(m_x.root(), visible, true, error);
        if (!image.isNull() && visible != outer) {
            // Keep the window's own size: what lies off the screen stays transparent.
            QImage whole(outer.size(), QImage::Format_ARGB32_Premultiplied);
            whole.fill(Qt::transparent);
            QPainter painter(&whole);
            painter.drawImage(visible.topLeft() - outer.topLeft(), image);
            painter.end();
            image = whole;
        }
    }
    if (image.isNull())
        return image;
    cutToShape(frame, image);
    if (showsCursor)
        m_images.compositeCursor(image, origin);
    if (pixelSize.isValid() && pixelSize != image.size())
        image = image.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

void X11WindowServer::cutToShape(xcb_window_t frame, QImage& image)
{
    xcb_connection_t* c = m_x.get();
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
    if (!shape || !shape->present)
        return;
    XcbReply<xcb_shape_query_extents_reply_t> extents(
        xcb_shape_query_extents_reply(c, xcb_shape_query_extents(c, frame), nullptr));
    if (!extents || !extents->bounding_shaped)
        return;
    XcbReply<xcb_shape_get_rectangles_reply_t> parts(xcb_shape_get_rectangles_reply(
        c, xcb_shape_get_rectangles(c, frame, XCB_SHAPE_SK_BOUNDING), nullptr));
    if (!parts)
        return;
    // The shape is given relative to the window's inside; the picture starts
    // at its border.
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
    const int border = geometry ? geometry->border_width : 0;
    QRegion inside;
    const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(parts.get());
    for (int i = 0, n = xcb_shape_get_rectangles_rectangles_length(parts.get()); i < n; ++i)
        inside += QRect(r[i].x + border, r[i].y + border, r[i].width, r[i].height);
    const QRegion outside = QRegion(image.rect()) - inside;
    if (outside.isEmpty())
        return;
    if (!image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    for (const QRect& part : outside)
        painter.fillRect(part, Qt::transparent);
}
