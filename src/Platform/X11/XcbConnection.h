#pragma once
// A connection to the X server for the X11 backends: the screen, which
// extensions the server has, and interned atoms. Qt's own connection belongs to
// Qt; the composition root opens one of these for the backends of the main
// thread that only ask and answer (no events of their own) and hands it to
// each. A backend that reads events, or runs on another thread, opens its own.
// Requests that belong together are serialised with mutex(), which one thread
// may take again (backends sharing the connection call each other). Moving
// pictures over it is XcbImageTransfer's job.
#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QRecursiveMutex>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

class XcbConnection {
public:
    // `display` as in DISPLAY; empty for the default one.
    explicit XcbConnection(const QByteArray& display = {});
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    // `shared` where one is handed in, else a connection of the caller's own.
    static std::shared_ptr<XcbConnection> sharedOrOwn(std::shared_ptr<XcbConnection> shared);
    XcbConnection& operator=(const XcbConnection&) = delete;

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_screen_t* screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen ? m_screen->root : xcb_window_t(XCB_WINDOW_NONE); }
    int screenNumber() const { return m_screenNumber; }
    QRecursiveMutex& mutex() { return m_mutex; }

    // MIT-SHM, and whether it makes pixmaps of shared memory (Z format).
    bool hasShm() const { return m_hasShm; }
    bool hasShmPixmaps() const { return m_hasShmPixmaps; }
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

    // The child of the root that holds the window: its window manager's frame,
    // or the window itself where it has none. XCB_WINDOW_NONE once it is gone.
    xcb_window_t topLevelOf(xcb_window_t window) const;

    // Bits per pixel the server uses for images of this depth; 0 if unknown.
    int bitsPerPixel(uint8_t depth) const;
    // Whether the server's image byte order is this machine's.
    bool hasNativeByteOrder() const;

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    int m_screenNumber = 0;
    QRecursiveMutex m_mutex;
    QMutex m_atomsMutex;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    bool m_hasShm = false, m_hasShmPixmaps = false, m_hasComposite = false, m_hasXFixes = false, m_hasRandr = false,
         m_hasRes = false, m_hasXTest = false;
};

// Frees a reply (or event) allocated by xcb when it leaves scope.
struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;
