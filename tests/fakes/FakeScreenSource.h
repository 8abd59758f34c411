#pragma once
#include "Platform/ScreenSource.h"

#include <QColor>
#include <QHash>

// Screens and displays set by the test; every display is painted in its own
// colour so a still shows which display it came from.
class FakeScreenSource final : public ScreenSource {
public:
    QList<ScreenInfo> screens() const override { return screenList; }
    ShareableDisplays shareableDisplays() override
    {
        ++contentRequests;
        ShareableDisplays content;
        content.ok = contentAvailable;
        content.errorDescription = QStringLiteral("Der Vorgang ist nicht zulässig.");
        if (contentAvailable)
            content.displays = displays;
        return content;
    }
    QImage captureDisplay(const DisplayInfo& display, QSize pixelSize, bool showsCursor, QString* error = nullptr) override
    {
        requestedSizes.append(pixelSize);
        cursorRequests.append(showsCursor);
        if (failingDisplays.contains(display.displayID)) {
            if (error)
                *error = QStringLiteral("Aufnahme abgelehnt");
            return {};
        }
        QImage image(pixelSize, QImage::Format_RGB32);
        image.fill(colors.value(display.displayID, Qt::gray));
        return image;
    }
    QPointF pointerPosition() const override { return pointer; }

    // A screen with a display of the same id at the same place.
    void addScreen(quint32 id, QRectF frame, qreal scale, QColor color, bool capturable = true)
    {
        screenList.append({id, QStringLiteral("screen-%1").arg(id), frame, scale});
        if (capturable)
            displays.append({id, QRect(frame.topLeft().toPoint(), (frame.size() * scale).toSize())});
        colors.insert(id, color);
    }

    QList<ScreenInfo> screenList;
    QList<DisplayInfo> displays;
    QHash<quint32, QColor> colors;
    QList<quint32> failingDisplays;
    bool contentAvailable = true;
    QPointF pointer;
    int contentRequests = 0;
    QList<QSize> requestedSizes;
    QList<bool> cursorRequests;
};
