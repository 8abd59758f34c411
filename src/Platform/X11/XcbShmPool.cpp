#include "Platform/X11/XcbShmPool.h"

#include "Platform/X11/XcbConnection.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

// What the pool's images hold on to.
struct XcbShmPool::Shared {
    static constexpr int maxIdle = 2;
    QMutex mutex;
    xcb_connection_t* connection = nullptr; // null once the pool is gone
    std::atomic<bool> available = false;
    QList<Segment> idle;
    // Segments lent out as images to draw in, by their address.
    QHash<const void*, Segment> canvases;
    // Restarted by every segment that comes back; null once the pool is gone.
    QPointer<QTimer> release;

    void dispose(const Segment& segment)
    {
        if (connection) {
            xcb_shm_detach(connection, segment.seg);
            xcb_flush(connection);
        }
        shmdt(segment.address);
    }

    void giveBack(const Segment& segment)
    {
        QMutexLocker lock(&mutex);
        canvases.remove(segment.address);
        if (!connection) {
            dispose(segment);
            return;
        }
        // Keep the largest: a small segment (a tiny test grab) must not push
        // out the one a whole screen fits in.
        idle.append(segment);
        std::sort(idle.begin(), idle.end(), [](const Segment& a, const Segment& b) { return a.size > b.size; });
        while (idle.size() > maxIdle)
            dispose(idle.takeLast());
        if (QTimer* timer = release.data())
            QMetaObject::invokeMethod(timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
    }

    void releaseIdle()
    {
        QMutexLocker lock(&mutex);
        for (const Segment& segment : std::as_const(idle))
            dispose(segment);
        idle.clear();
    }
};

struct XcbShmPool::Lease {
    std::shared_ptr<Shared> pool;
    Segment segment;
};

void XcbShmPool::endLease(void* info)
{
    auto* lease = static_cast<Lease*>(info);
    lease->pool->giveBack(lease->segment);
    delete lease;
}

XcbShmPool::XcbShmPool(XcbConnection& x, int releaseAfterMs)
    : m_shared(std::make_shared<Shared>())
    , m_release(std::make_unique<QTimer>())
{
    m_shared->connection = x.get();
    m_shared->available = x.isValid() && x.hasShm();
    m_release->setSingleShot(true);
    m_release->setInterval(releaseAfterMs);
    QObject::connect(m_release.get(), &QTimer::timeout, [shared = m_shared] { shared->releaseIdle(); });
    m_shared->release = m_release.get();
}

XcbShmPool::~XcbShmPool()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->release = nullptr;
    for (const Segment& segment : std::as_const(m_shared->idle))
        m_shared->dispose(segment);
    m_shared->idle.clear();
    m_shared->connection = nullptr; // images still out only unmap their segment
}

bool XcbShmPool::isAvailable() const { return m_shared->available; }

std::optional<XcbShmPool::Segment> XcbShmPool::take(size_t size)
{
    if (!m_shared->available)
        return std::nullopt;
    {
        QMutexLocker lock(&m_shared->mutex);
        QList<Segment>& idle = m_shared->idle;
        int best = -1;
        for (int i = 0; i < idle.size(); ++i)
            if (idle[i].size >= size && (best < 0 || idle[i].size < idle[best].size))
                best = i;
        if (best >= 0)
            return idle.takeAt(best);
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
    xcb_connection_t* c = m_shared->connection;
    const xcb_shm_seg_t seg = xcb_generate_id(c);
    xcb_generic_error_t* e = xcb_request_check(c, xcb_shm_attach_checked(c, seg, id, 0));
    shmctl(id, IPC_RMID, nullptr);
    if (e) {
        free(e);
        shmdt(address);
        m_shared->available = false; // e.g. a remote display: never try again
        return std::nullopt;
    }
    return Segment{seg, address, size};
}

void XcbShmPool::giveBack(const Segment& segment) { m_shared->giveBack(segment); }

QImage XcbShmPool::image(const Segment& segment, QSize size, QImage::Format format)
{
    return QImage(static_cast<uchar*>(segment.address), size.width(), size.height(), size.width() * 4, format, endLease,
                  new Lease{m_shared, segment});
}

QImage XcbShmPool::canvas(const Segment& segment, QSize size)
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->canvases.insert(segment.address, segment);
    }
    return image(segment, size, QImage::Format_RGB32);
}

int XcbShmPool::idleCount() const
{
    QMutexLocker lock(&m_shared->mutex);
    return int(m_shared->idle.size());
}

std::optional<XcbShmPool::Segment> XcbShmPool::canvasOf(const void* pixels) const
{
    QMutexLocker lock(&m_shared->mutex);
    const auto it = m_shared->canvases.constFind(pixels);
    if (it == m_shared->canvases.constEnd())
        return std::nullopt;
    return it.value();
}
