#pragma once
#include <QRectF>
#include <QtGlobal>

// One visible window at the moment of a freeze.
struct DetectedWindow {
    quint32 windowID = 0;
    qint32 ownerPID = 0;
    QRectF boundsCG; // global points, origin top-left of the primary screen, y down
    QRectF frameNS;  // the same in bottom-left global coordinates, y up
};
