#pragma once
// The windows of the desktop: which are on screen, where, whose, and what they
// show. Coordinates as in ScreenSource.h (global points, top-left origin).
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

// One on-screen window, as the window server describes it. Values the server
// does not know are absent.
struct WindowInfo {
    quint32 number = 0; // the window's id (the client window, as our own widgets' winId())
    std::optional<qint32> ownerPID;
    QRectF bounds; // global points, window frame included
    // 0 for ordinary application windows; docks, panels kept above others and
    // override-redirect windows are on higher layers.
    std::optional<int> layer;
    std::optional<double> alpha; // 0..1 when the window asks for translucency
};

class WindowServer {
public:
    virtual ~WindowServer() = default;
    // On-screen windows without desktop elements, front to back. Absent when
    // the window server cannot be asked. Any thread.
    virtual std::optional<QList<WindowInfo>> windowList() = 0;
    // The process owning a window, when known. Any thread.
    virtual std::optional<qint32> ownerPID(quint32 window) = 0;
    // The window's own picture (frame included) in device pixels, scaled to
    // pixelSize when that differs from its native size (an invalid size keeps
    // it), with the pointer when asked. Null on failure, with the reason in
    // *error when given. *fromScreen tells whether the pixels had to be cut
    // from the screen (no redirected pixmap), so what lies over the window
    // is in them. Any thread.
    virtual QImage windowImage(quint32 window, QSize pixelSize, bool showsCursor, QString* error = nullptr,
                               bool* fromScreen = nullptr) = 0;
};
