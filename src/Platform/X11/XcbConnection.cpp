#include "Platform/X11/XcbConnection.h"

#include <QPainter>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
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

void freeReply(void* reply) { free(reply); }
} // namespace

// Segments go back to the pool when their image dies; a few stay attached so
// the next grab writes into pages that are already mapped (a fresh segment
// costs more in page faults than the whole copy).
struct XcbConnection::ShmPool {
    static constexpr int maxIdle = 2;
    QMutex mutex;
    xcb_connection_t* connection = nullptr; // null once the connection is gone
    QList<ShmSegment> idle;
    // Segments lent out as images to draw in, by their address.
    QHash<const void*, ShmSegment> canvases;

    void dispose(const ShmSegment& segment)
    {
        if (connection) {
            xcb_shm_detach(connection, segment.seg);
            xcb_flush(connection);
        }
        shmdt(segment.address);
    }
};

namespace {
struct ShmLease {
    std::shared_ptr<XcbConnection::ShmPool> pool;
    XcbConnection::ShmSegment segment;
};
}

XcbConnection::XcbConnection(const QByteArray& display) : m_shmPool(std::make_shared<ShmPool>())
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
    m_shmPool->connection = c;
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
    if (m_connection) {
        {
            QMutexLocker lock(&m_shmPool->mutex);
            for (const ShmSegment& segment : std::as_const(m_shmPool->idle))
                m_shmPool->dispose(segment);
            m_shmPool->idle.clear();
            m_shmPool->connection = nullptr; // images still out only unmap their segment
        }
        xcb_disconnect(m_connection);
    }
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

bool XcbConnection::compositorRuns()
{
    if (!m_connection)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(m_screenNumber);
    const xcb_atom_t selection = atom(name.constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> r(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
    return r && r->owner != XCB_WINDOW_NONE;
}

QString XcbConnection::atomName(xcb_atom_t atom)
{
    XcbReply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!r)
        return {};
    return QString::fromUtf8(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()));
}

int XcbConnection::bitsPerPixel(uint8_t depth) const
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    return 0;
}

QImage XcbConnection::wrap(uint8_t* data, const QRect& rect, uint8_t depth, void (*cleanup)(void*), void* info,
                           QString* error)
{
    const bool nativeOrder = (xcb_get_setup(m_connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST)
        == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    QImage::Format format = QImage::Format_Invalid;
    if (bitsPerPixel(depth) == 32 && nativeOrder)
        format = depth == 32 ? QImage::Format_ARGB32_Premultiplied : depth == 24 ? QImage::Format_RGB32 : format;
    if (format == QImage::Format_Invalid) {
        cleanup(info);
        if (error)
            *error = QStringLiteral("unsupported pixel format (depth %1)").arg(depth);
        return {};
    }
    if (format == QImage::Format_RGB32) {
        // The server leaves the unused byte of a depth-24 pixel at 0, but Qt
        // reads RGB32 as opaque only when it is 0xFF: painting such an image
        // as a texture (the rounded window corners) made it fully transparent.
        auto* pixel = reinterpret_cast<uint32_t*>(data);
        const size_t count = size_t(rect.width()) * size_t(rect.height());
        for (size_t i = 0; i < count; ++i)
            pixel[i] |= 0xFF000000u;
    }
    // Lines of a 32-bit Z-pixmap are never padded beyond 32 bits.
    return QImage(data, rect.width(), rect.height(), rect.width() * 4, format, cleanup, info);
}

QImage XcbConnection::grab(xcb_drawable_t drawable, const QRect& rect, bool allowShm, QString* error)
{
    if (!m_connection || rect.isEmpty()) {
        if (error)
            *error = QStringLiteral("nothing to grab");
        return {};
    }
    if (allowShm && m_hasShm) {
        QImage image = grabShm(drawable, rect, error);
        if (!image.isNull())
            return image;
    }
    return grabPlain(drawable, rect, error);
}

QImage XcbConnection::grabPlain(xcb_drawable_t drawable, const QRect& rect, QString* error)
{
    xcb_generic_error_t* e = nullptr;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, rect.x(), rect.y(), rect.width(),
                      rect.height(), ~0u),
        &e);
    if (!reply) {
        if (error)
            *error = QStringLiteral("GetImage failed (X error %1)").arg(e ? e->error_code : 0);
        free(e);
        return {};
    }
    if (xcb_get_image_data_length(reply) < rect.width() * rect.height() * 4) {
        free(reply);
        if (error)
            *error = QStringLiteral("GetImage returned too little data");
        return {};
    }
    // The reply's buffer becomes the image's; no copy.
    return wrap(xcb_get_image_data(reply), rect, reply->depth, freeReply, reply, error);
}

void XcbConnection::returnSegment(void* info)
{
    auto* lease = static_cast<ShmLease*>(info);
    {
        QMutexLocker lock(&lease->pool->mutex);
        ShmPool& pool = *lease->pool;
        pool.canvases.remove(lease->segment.address);
        if (!pool.connection) {
            pool.dispose(lease->segment);
        } else {
            // Keep the largest: a small segment (a tiny test grab) must not
            // push out the one a whole screen fits in.
            pool.idle.append(lease->segment);
            std::sort(pool.idle.begin(), pool.idle.end(),
                      [](const ShmSegment& a, const ShmSegment& b) { return a.size > b.size; });
            while (pool.idle.size() > ShmPool::maxIdle)
                pool.dispose(pool.idle.takeLast());
        }
    }
    delete lease;
}

std::optional<XcbConnection::ShmSegment> XcbConnection::takeSegment(size_t size)
{
    {
        QMutexLocker lock(&m_shmPool->mutex);
        int best = -1;
        for (int i = 0; i < m_shmPool->idle.size(); ++i)
            if (m_shmPool->idle[i].size >= size && (best < 0 || m_shmPool->idle[i].size < m_shmPool->idle[best].size))
                best = i;
        if (best >= 0)
            return m_shmPool->idle.takeAt(best);
    }
    // Marked for removal at once: the segment vanishes when both sides have
    // detached, also when this process dies.
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0)
        return std::nullopt;
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return std::nullopt;
    }
    const xcb_shm_seg_t seg = xcb_generate_id(m_connection);
    xcb_generic_error_t* e = xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, seg, id, 0));
    shmctl(id, IPC_RMID, nullptr);
    if (e) {
        free(e);
        shmdt(address);
        m_hasShm = false; // e.g. a remote display: never try again
        return std::nullopt;
    }
    return ShmSegment{seg, address, size};
}

QImage XcbConnection::grabShm(xcb_drawable_t drawable, const QRect& rect, QString* error)
{
    const size_t size = size_t(rect.width()) * size_t(rect.height()) * 4;
    const std::optional<ShmSegment> segment = takeSegment(size);
    if (!segment)
        return {};
    auto* lease = new ShmLease{m_shmPool, *segment};
    xcb_generic_error_t* e = nullptr;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, drawable, rect.x(), rect.y(), rect.width(), rect.height(), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment->seg, 0),
        &e);
    if (!reply) {
        free(e);
        returnSegment(lease);
        if (error)
            *error = QStringLiteral("ShmGetImage failed");
        return {};
    }
    const uint8_t depth = reply->depth;
    free(reply);
    // The server wrote straight into the image's memory; no copy.
    return wrap(static_cast<uint8_t*>(segment->address), rect, depth, returnSegment, lease, error);
}

QImage XcbConnection::sharedImage(QSize size)
{
    if (!m_connection || !m_hasShm || size.isEmpty())
        return {};
    const std::optional<ShmSegment> segment = takeSegment(size_t(size.width()) * size_t(size.height()) * 4);
    if (!segment)
        return {};
    {
        QMutexLocker lock(&m_shmPool->mutex);
        m_shmPool->canvases.insert(segment->address, *segment);
    }
    return QImage(static_cast<uchar*>(segment->address), size.width(), size.height(), size.width() * 4,
                  QImage::Format_RGB32, returnSegment, new ShmLease{m_shmPool, *segment});
}

xcb_pixmap_t XcbConnection::pixmapOf(const QImage& picture, std::shared_ptr<void>* keep)
{
    if (!m_connection || picture.isNull()
        || (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32_Premultiplied))
        return 0;
    const uint8_t depth = m_screen->root_depth;
    const bool nativeOrder = (xcb_get_setup(m_connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST)
        == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    if (bitsPerPixel(depth) != 32 || !nativeOrder || picture.width() > 0xffff || picture.height() > 0xffff
        || picture.bytesPerLine() != picture.width() * 4)
        return 0;
    const auto width = uint16_t(picture.width());
    const auto height = uint16_t(picture.height());
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);

    // A picture drawn in one of our shared images needs no copy at all.
    std::optional<ShmSegment> canvas;
    {
        QMutexLocker lock(&m_shmPool->mutex);
        const auto it = m_shmPool->canvases.constFind(picture.constBits());
        if (it != m_shmPool->canvases.constEnd())
            canvas = it.value();
    }
    if (canvas && m_hasShmPixmaps && keep) {
        // The server reads the pixels from the segment whenever it needs
        // them, for as long as the image (and with it the segment) lives.
        xcb_shm_create_pixmap(m_connection, pixmap, root(), width, height, depth, canvas->seg, 0);
        *keep = std::make_shared<QImage>(picture);
        return pixmap;
    }

    xcb_create_pixmap(m_connection, depth, pixmap, root(), width, height);
    const xcb_gcontext_t gc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, gc, pixmap, 0, nullptr);
    std::optional<ShmSegment> segment;
    if (!canvas && m_hasShm && (segment = takeSegment(size_t(picture.sizeInBytes()))))
        std::memcpy(segment->address, picture.constBits(), size_t(picture.sizeInBytes()));
    if (const std::optional<ShmSegment>& from = canvas ? canvas : segment) {
        xcb_shm_put_image(m_connection, pixmap, gc, width, height, 0, 0, width, height, 0, 0, depth,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, from->seg, 0);
    } else {
        // Plain requests in bands that fit the server's request size.
        const size_t maxBytes = size_t(xcb_get_maximum_request_length(m_connection)) * 4 - 64;
        const int rowsPerBand = std::max(1, int(maxBytes / size_t(picture.bytesPerLine())));
        for (int y = 0; y < height; y += rowsPerBand) {
            const int rows = std::min(rowsPerBand, height - y);
            xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width, uint16_t(rows), 0, int16_t(y), 0,
                          depth, uint32_t(rows * picture.bytesPerLine()), picture.constScanLine(y));
        }
    }
    xcb_free_gc(m_connection, gc);
    // Once a later request is answered the server has read the pixels.
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    if (segment)
        returnSegment(new ShmLease{m_shmPool, *segment});
    if (!sync) {
        xcb_free_pixmap(m_connection, pixmap);
        return 0;
    }
    return pixmap;
}

void XcbConnection::compositeCursor(QImage& image, QPoint imageOrigin)
{
    if (!m_hasXFixes || image.isNull())
        return;
    XcbReply<xcb_xfixes_get_cursor_image_reply_t> cursor(
        xcb_xfixes_get_cursor_image_reply(m_connection, xcb_xfixes_get_cursor_image(m_connection), nullptr));
    if (!cursor || cursor->width == 0 || cursor->height == 0)
        return;
    const QImage pointer(reinterpret_cast<const uchar*>(xcb_xfixes_get_cursor_image_cursor_image(cursor.get())),
                         cursor->width, cursor->height, cursor->width * 4, QImage::Format_ARGB32_Premultiplied);
    const QPoint topLeft(cursor->x - cursor->xhot - imageOrigin.x(), cursor->y - cursor->yhot - imageOrigin.y());
    QPainter painter(&image);
    painter.drawImage(topLeft, pointer);
}
