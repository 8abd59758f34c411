#pragma once
// Pictures between the X server and this process over one XcbConnection:
// grabs of windows and pixmaps, the pointer painted into a grab, pictures
// made into server pixmaps. Through shared memory (XcbShmPool) where the
// server allows, else through the socket. Called with the connection's
// mutex() held; the images it hands out may live on anywhere.
#include "Platform/X11/XcbShmPool.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <xcb/xcb.h>

class XcbConnection;

class XcbImageTransfer {
public:
    // `x` must outlive this.
    explicit XcbImageTransfer(XcbConnection& x);

    // The picture of a rectangle of a drawable (window or pixmap, coordinates
    // relative to it), through MIT-SHM when allowed and available, else a
    // plain GetImage. Depth 24 gives RGB32, depth 32 premultiplied ARGB32.
    QImage grab(xcb_drawable_t drawable, const QRect& rect, bool allowShm, QString* error);
    // Paints the current pointer image into `image`, whose top-left corner
    // lies at `imageOrigin` in root pixels.
    void compositeCursor(QImage& image, QPoint imageOrigin);
    // An RGB32 image in memory shared with the server, so pixmapOf() need
    // not copy what is drawn in it. Null without MIT-SHM.
    QImage sharedImage(QSize size);
    // A server-side pixmap of the root window's depth showing `picture`
    // (RGB32 or premultiplied ARGB32); 0 on failure. The caller frees it.
    // Where the server can, and `keep` is given, the pixmap reads a shared
    // memory segment that `keep` holds, which must outlive the pixmap's use;
    // otherwise the pixels are copied to the server before this returns.
    xcb_pixmap_t pixmapOf(const QImage& picture, std::shared_ptr<void>* keep = nullptr);

private:
    QImage grabShm(xcb_drawable_t drawable, const QRect& rect, QString* error);
    QImage grabPlain(xcb_drawable_t drawable, const QRect& rect, QString* error);
    // The image format of server pixels of this depth, Format_Invalid (and
    // `error` set) where they do not map onto one without conversion.
    QImage::Format formatOf(uint8_t depth, QString* error) const;

    XcbConnection& m_x;
    XcbShmPool m_pool;
};
