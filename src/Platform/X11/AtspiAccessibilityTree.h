#pragma once
#include "Platform/AccessibilityTree.h"

#include <QElapsedTimer>
#include <memory>

class X11ScreenLayout;

// Reads the trees that applications publish on the AT-SPI2 accessibility bus
// (GTK always publishes; Qt and browsers while the session's accessibility
// switch is on). Read only: the session's switch is left as it is. Calls are
// synchronous with a short time-out, so a hung application costs at most a
// moment. The toolkits speak in device pixels; the layout turns them into
// points (without one the tree follows the application's screens itself).
class AtspiAccessibilityTree final : public AccessibilityTree {
public:
    explicit AtspiAccessibilityTree(std::shared_ptr<const X11ScreenLayout> layout = nullptr);
    ~AtspiAccessibilityTree() override;
    bool isAvailable() override;
    std::shared_ptr<AccessibleElement> elementAt(qint32 pid, const QPointF& point) override;

    // The scrolling capture's name for an AT-SPI role ("scroll pane" ->
    // "AXScrollArea"); the AT-SPI name itself when none fits.
    static QString mappedRole(int atspiRole, bool multiLine, const QString& atspiName);

private:
    std::shared_ptr<const X11ScreenLayout> m_layout;
    bool m_available = false;
    // A bus that did not answer is asked again after a while, not on every
    // pointer move.
    QElapsedTimer m_lastFailure;
};
