#pragma once
// A generated page served as a browser window through the platform fakes the
// scrolling capture is built from: the window server hands out its picture,
// keys go to it while it has the focus, wheel clicks reach it (or its inner
// box) under the pointer. Time is virtual: every pause the capture takes and
// every grab moves the page's clock on, so smooth scrolls, late pictures and
// clocks behave as on a desktop while a run takes no real waiting.
#include "Platform/InputSynthesis.h"
#include "Platform/MonotonicClock.h"
#include "Platform/WindowActivation.h"
#include "Platform/WindowServer.h"
#include "support/SimulatedPage.h"

#include <QCoroTask>

class SimulatedWindow final : public WindowServer, public InputSynthesis, public WindowActivation, public MonotonicClock {
public:
    static constexpr qint32 pid = 6161;
    static constexpr quint32 window = 61;

    explicit SimulatedWindow(SimulatedPage& page);

    SimulatedPage& page() { return m_page; }
    qint64 now() const { return m_now; }
    int grabs() const { return m_grabs; }
    int inputs() const { return m_inputs; }
    // A pause of the capture: virtual time passes.
    QCoro::Task<void> sleep(int milliseconds);

    // WindowServer
    std::optional<QList<WindowInfo>> windowList() override;
    std::optional<qint32> ownerPID(quint32 w) override;
    QImage windowImage(quint32 w, QSize pixelSize, bool showsCursor, QString* error = nullptr,
                       bool* fromScreen = nullptr) override;
    // InputSynthesis
    bool isAvailable() override { return true; }
    void pressKey(Key key, bool control) override;
    void scrollWheel(int clicks) override;
    void warpPointer(const QPointF& point) override { m_pointer = point; }
    std::optional<QPointF> pointerPosition() override { return m_pointer; }
    void hidePointer() override { }
    void showPointer() override { }
    // MonotonicClock: the virtual time
    qint64 milliseconds() const override { return m_now; }
    // WindowActivation
    void activate(quint32 w) override { m_active = w; }
    std::optional<quint32> activeWindow() override;

private:
    void pass(int milliseconds);

    SimulatedPage& m_page;
    qint64 m_now = 0;
    int m_grabs = 0;
    int m_inputs = 0;
    QPointF m_pointer{5, 5};
    quint32 m_active = 0;
};
