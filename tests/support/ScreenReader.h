#pragma once
// A screen reader's view of the real program: a session bus of the test's
// own, the program pointed at it with accessibility on, AT-SPI connected.
#include "support/SessionBus.h"

class RealApp;

class ScreenReader {
public:
    // Readies `real` for the view; false when the bus or AT-SPI did not start.
    bool attach(RealApp& real);

private:
    SessionBus m_bus;
};
