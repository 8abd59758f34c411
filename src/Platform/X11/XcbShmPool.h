#pragma once
// Shared-memory segments attached to the X server, lent out as the memory of
// images: the server writes a grab straight into one, or reads a picture from
// one, with no copy through the socket. A segment comes back when its image
// dies, on whatever thread; a few stay attached, so the next grab writes into
// pages already mapped (a fresh segment costs more in page faults than the
// whole copy), until the pool has lent nothing for a while: a program at rest
// holds no screen-sized buffers. Images may outlive the pool and its
// connection: theirs are then only unmapped.
#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

class QTimer;
class XcbConnection;

class XcbShmPool {
public:
    struct Segment {
        uint32_t seg = 0;
        void* address = nullptr;
        size_t size = 0;
    };

    // Lends nothing when the connection has no MIT-SHM. Idle segments go
    // when nothing came back for releaseAfterMs (on the event loop of the
    // thread that makes the pool).
    explicit XcbShmPool(XcbConnection& x, int releaseAfterMs = defaultReleaseAfterMs);
    ~XcbShmPool();
    XcbShmPool(const XcbShmPool&) = delete;
    XcbShmPool& operator=(const XcbShmPool&) = delete;

    // False without MIT-SHM, or once the server refused to attach a segment
    // (a remote display): then it is never tried again.
    bool isAvailable() const;
    // An attached segment of at least `size` bytes: an idle one if one fits.
    // Called with the connection's mutex held.
    std::optional<Segment> take(size_t size);
    void giveBack(const Segment& segment);
    // The segment's memory as an image (32 bits a pixel, lines unpadded); the
    // segment comes back when the image and all its copies are gone.
    QImage image(const Segment& segment, QSize size, QImage::Format format);
    // The same, and kept as a canvas that canvasOf() finds by its pixels while
    // the image lives.
    QImage canvas(const Segment& segment, QSize size);
    std::optional<Segment> canvasOf(const void* pixels) const;
    // Segments attached and waiting to be lent again.
    int idleCount() const;

    static constexpr int defaultReleaseAfterMs = 20000;

private:
    struct Shared;
    struct Lease;
    static void endLease(void* lease);

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QTimer> m_release;
};
