#pragma once
// A private connection to the X server for the capture backends. Qt's own
// connection belongs to the GUI thread; grabs may run on workers, so each
// backend owns one of these and serialises its requests with mutex().
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdlib>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

class XcbConnection {
public:
    // `display` as in DISPLAY; empty for the default one.
    explicit XcbConnection(const QByteArray& display = {});
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_screen_t* screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen ? m_screen->root : xcb_window_t(XCB_WINDOW_NONE); }
    int screenNumber() const { return m_screenNumber; }
    QMutex& mutex() { return m_mutex; }

    bool hasShm() const { return m_hasShm; }
    bool hasComposite() const { return m_hasComposite; }
    bool hasXFixes() const { return m_hasXFixes; }
    bool hasRandr() const { return m_hasRandr; }
    bool hasRes() const { return m_hasRes; }
    bool hasXTest() const { return m_hasXTest; }

    // Interned once and cached; XCB_ATOM_NONE when the server refuses. Safe
    // from any thread, with or without mutex() held.
    xcb_atom_t atom(const char* name);
    QString atomName(xcb_atom_t atom);
    // For connections that are not ours (Qt's own): one round trip, no cache.
    static xcb_atom_t internAtom(xcb_connection_t* c, const char* name);

    // Whether a compositing manager owns this screen's _NET_WM_CM_Sn
    // selection. Asked anew on every call: a compositor can start or stop
    // while we run.
    bool compositorRuns();

    // Bits per pixel the server uses for images of this depth; 0 if unknown.
    int bitsPerPixel(uint8_t depth) const;

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
public:
    struct ShmSegment {
        uint32_t seg = 0;
        void* address = nullptr;
        size_t size = 0;
    };
    struct ShmPool;

private:
    std::optional<ShmSegment> takeSegment(size_t size);
    static void returnSegment(void* lease);
    QImage grabPlain(xcb_drawable_t drawable, const QRect& rect, QString* error);
    QImage wrap(uint8_t* data, const QRect& rect, uint8_t depth, void (*cleanup)(void*), void* info, QString* error);

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    int m_screenNumber = 0;
    QMutex m_mutex;
    QMutex m_atomsMutex;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    std::shared_ptr<ShmPool> m_shmPool;
    bool m_hasShm = false, m_hasShmPixmaps = false, m_hasComposite = false, m_hasXFixes = false, m_hasRandr = false, m_hasRes = false,
         m_hasXTest = false;
};

// Frees a reply (or event) allocated by xcb when it leaves scope.
struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;
