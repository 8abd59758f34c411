#pragma once
#include "Platform/AccessibilityTree.h"

#include <QElapsedTimer>

// Reads the trees that applications publish on the AT-SPI2 accessibility bus
// (GTK always publishes; Qt and browsers while the session's accessibility
// switch is on). Read only: the session's switch is left as it is. Calls are
// synchronous with a short time-out, so a hung application costs at most a
// moment. `scale` is device pixels per point.
class AtspiAccessibilityTree final : public AccessibilityTree {
public:
    explicit AtspiAccessibilityTree(double scale = 1.0);
    bool isAvailable() override;
    std::shared_ptr<AccessibleElement> elementAt(qint32 pid, const QPointF& point) override;

    // The scrolling capture's name for an AT-SPI role ("scroll pane" ->
    // "AXScrollArea"); the AT-SPI name itself when none fits.
    static QString mappedRole(int atspiRole, bool multiLine, const QString& atspiName);

private:
    double m_scale;
    bool m_available = false;
    // A bus that did not answer is asked again after a while, not on every
    // pointer move.
    QElapsedTimer m_lastFailure;
};
