#include "support/ScreenReader.h"
#include "support/RealApp.h"

#include <atspi/atspi.h>

bool ScreenReader::attach(RealApp& real)
{
    if (!m_bus.isRunning())
        return false;
    real.setEnvironmentVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_bus.address()));
    real.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return atspi_init() == 0;
}
