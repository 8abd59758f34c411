#pragma once
// The screens of the desktop and their pictures.
//
// Coordinates: "global points" have their origin at the top-left corner of the
// primary screen, y growing downwards. A screen's scale converts its points
// into device pixels (1 on a plain X11 session). Pictures are always in device
// pixels.
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <optional>

// One screen as the desktop shows it.
struct ScreenInfo {
    // Links the screen to a capturable display; absent when it cannot be linked.
    std::optional<quint32> displayID;
    QString name;
    QRectF frame; // global points
    qreal scale = 1.0;
};

// One display the capture backend can grab.
struct DisplayInfo {
    quint32 displayID = 0;
    QRect pixelRect; // device pixels of the whole desktop
};

// The answer to "what can be captured now".
struct ShareableDisplays {
    bool ok = false;
    QString errorDescription; // why not, when !ok
    QList<DisplayInfo> displays;
};

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    // The screens in the desktop's order, primary first. Main thread only.
    virtual QList<ScreenInfo> screens() const = 0;
    // The displays that can be grabbed now. Any thread.
    virtual ShareableDisplays shareableDisplays() = 0;
    // The whole display, scaled to pixelSize when that differs from its native
    // size, with the pointer composited in when asked. A null image on failure
    // (with the reason in *error when given). Any thread.
    virtual QImage captureDisplay(const DisplayInfo& display, QSize pixelSize, bool showsCursor,
                                  QString* error = nullptr) = 0;
    // The pointer position in global points. Main thread only.
    virtual QPointF pointerPosition() const = 0;
};
