#include "Platform/X11/XcbImageTransfer.h"

#include "Platform/X11/XcbConnection.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <xcb/shm.h>
#include <xcb/xfixes.h>

namespace {
void freeReply(void* reply) { std::free(reply); }

// The server leaves the unused byte of a depth-24 pixel at 0, but Qt reads
// RGB32 as opaque only when it is 0xFF: painting such an image as a texture
// (the rounded window corners) made it fully transparent.
void makeOpaque(uint8_t* data, QSize size)
{
    auto* pixel = reinterpret_cast<uint32_t*>(data);
    const size_t count = size_t(size.width()) * size_t(size.height());
    for (size_t i = 0; i < count; ++i)
        pixel[i] |= 0xFF000000u;
}
} // namespace

XcbImageTransfer::XcbImageTransfer(XcbConnection& x) : m_x(x), m_pool(x) { }

QImage::Format XcbImageTransfer::formatOf(uint8_t depth, QString* error) const
{
    QImage::Format format = QImage::Format_Invalid;
    if (m_x.bitsPerPixel(depth) == 32 && m_x.hasNativeByteOrder())
        format = depth == 32 ? QImage::Format_ARGB32_Premultiplied : depth == 24 ? QImage::Format_RGB32 : format;
    if (format == QImage::Format_Invalid && error)
        *error = QStringLiteral("unsupported pixel format (depth %1)").arg(depth);
    return format;
}

QImage XcbImageTransfer::grab(xcb_drawable_t drawable, const QRect& rect, bool allowShm, QString* error)
{
    if (!m_x.isValid() || rect.isEmpty()) {
        if (error)
            *error = QStringLiteral("nothing to grab");
        return {};
    }
    if (allowShm && m_pool.isAvailable()) {
        QImage image = grabShm(drawable, rect, error);
        if (!image.isNull())
            return image;
    }
    return grabPlain(drawable, rect, error);
}

QImage XcbImageTransfer::grabPlain(xcb_drawable_t drawable, const QRect& rect, QString* error)
{
    xcb_connection_t* c = m_x.get();
    xcb_generic_error_t* e = nullptr;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, rect.x(), rect.y(), rect.width(), rect.height(), ~0u),
        &e);
    if (!reply) {
        if (error)
            *error = QStringLiteral("GetImage failed (X error %1)").arg(e ? e->error_code : 0);
        std::free(e);
        return {};
    }
    if (xcb_get_image_data_length(reply) < rect.width() * rect.height() * 4) {
        std::free(reply);
        if (error)
            *error = QStringLiteral("GetImage returned too little data");
        return {};
    }
    const QImage::Format format = formatOf(reply->depth, error);
    if (format == QImage::Format_Invalid) {
        std::free(reply);
        return {};
    }
    uint8_t* data = xcb_get_image_data(reply);
    if (format == QImage::Format_RGB32)
        makeOpaque(data, rect.size());
    // The reply's buffer becomes the image's; no copy. Lines of a 32-bit
    // Z-pixmap are never padded beyond 32 bits.
    return QImage(data, rect.width(), rect.height(), rect.width() * 4, format, freeReply, reply);
}

QImage XcbImageTransfer::grabShm(xcb_drawable_t drawable, const QRect& rect, QString* error)
{
    const std::optional<XcbShmPool::Segment> segment = m_pool.take(size_t(rect.width()) * size_t(rect.height()) * 4);
    if (!segment)
        return {};
    xcb_connection_t* c = m_x.get();
    xcb_generic_error_t* e = nullptr;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, drawable, rect.x(), rect.y(), rect.width(), rect.height(), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                          segment->seg, 0),
        &e);
    if (!reply) {
        std::free(e);
        m_pool.giveBack(*segment);
        if (error)
            *error = QStringLiteral("ShmGetImage failed");
        return {};
    }
    const uint8_t depth = reply->depth;
    std::free(reply);
    const QImage::Format format = formatOf(depth, error);
    if (format == QImage::Format_Invalid) {
        m_pool.giveBack(*segment);
        return {};
    }
    if (format == QImage::Format_RGB32)
        makeOpaque(static_cast<uint8_t*>(segment->address), rect.size());
    // The server wrote straight into the image's memory; no copy.
    return m_pool.image(*segment, rect.size(), format);
}

QImage XcbImageTransfer::sharedImage(QSize size)
{
    if (!m_x.isValid() || !m_pool.isAvailable() || size.isEmpty())
        return {};
    const std::optional<XcbShmPool::Segment> segment = m_pool.take(size_t(size.width()) * size_t(size.height()) * 4);
    if (!segment)
        return {};
    return m_pool.canvas(*segment, size);
}

xcb_pixmap_t XcbImageTransfer::pixmapOf(const QImage& picture, std::shared_ptr<void>* keep)
{
    if (!m_x.isValid() || picture.isNull()
        || (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32_Premultiplied))
        return 0;
    xcb_connection_t* c = m_x.get();
    const uint8_t depth = m_x.screen()->root_depth;
    if (m_x.bitsPerPixel(depth) != 32 || !m_x.hasNativeByteOrder() || picture.width() > 0xffff
        || picture.height() > 0xffff || picture.bytesPerLine() != picture.width() * 4)
        return 0;
    const auto width = uint16_t(picture.width());
    const auto height = uint16_t(picture.height());
    const xcb_pixmap_t pixmap = xcb_generate_id(c);

    // A picture drawn in one of our shared images needs no copy at all.
    const std::optional<XcbShmPool::Segment> canvas = m_pool.canvasOf(picture.constBits());
    if (canvas && m_x.hasShmPixmaps() && keep) {
        // The server reads the pixels from the segment whenever it needs
        // them, for as long as the image (and with it the segment) lives.
        xcb_shm_create_pixmap(c, pixmap, m_x.root(), width, height, depth, canvas->seg, 0);
        *keep = std::make_shared<QImage>(picture);
        return pixmap;
    }

    xcb_create_pixmap(c, depth, pixmap, m_x.root(), width, height);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    std::optional<XcbShmPool::Segment> segment;
    if (!canvas && (segment = m_pool.take(size_t(picture.sizeInBytes()))))
        std::memcpy(segment->address, picture.constBits(), size_t(picture.sizeInBytes()));
    if (const std::optional<XcbShmPool::Segment>& from = canvas ? canvas : segment) {
        xcb_shm_put_image(c, pixmap, gc, width, height, 0, 0, width, height, 0, 0, depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                          from->seg, 0);
    } else {
        // Plain requests in bands that fit the server's request size.
        const size_t maxBytes = size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
        const int rowsPerBand = std::max(1, int(maxBytes / size_t(picture.bytesPerLine())));
        for (int y = 0; y < height; y += rowsPerBand) {
            const int rows = std::min(rowsPerBand, height - y);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width, uint16_t(rows), 0, int16_t(y), 0, depth,
                          uint32_t(rows * picture.bytesPerLine()), picture.constScanLine(y));
        }
    }
    xcb_free_gc(c, gc);
    // Once a later request is answered the server has read the pixels.
    XcbReply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (segment)
        m_pool.giveBack(*segment);
    if (!sync) {
        xcb_free_pixmap(c, pixmap);
        return 0;
    }
    return pixmap;
}

void XcbImageTransfer::compositeCursor(QImage& image, QPoint imageOrigin)
{
    if (!m_x.hasXFixes() || image.isNull())
        return;
    xcb_connection_t* c = m_x.get();
    XcbReply<xcb_xfixes_get_cursor_image_reply_t> cursor(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!cursor || cursor->width == 0 || cursor->height == 0)
        return;
    const QImage pointer(reinterpret_cast<const uchar*>(xcb_xfixes_get_cursor_image_cursor_image(cursor.get())),
                         cursor->width, cursor->height, cursor->width * 4, QImage::Format_ARGB32_Premultiplied);
    const QPoint topLeft(cursor->x - cursor->xhot - imageOrigin.x(), cursor->y - cursor->yhot - imageOrigin.y());
    QPainter painter(&image);
    painter.drawImage(topLeft, pointer);
}
