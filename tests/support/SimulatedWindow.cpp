#include "support/SimulatedWindow.h"

namespace {
// Virtual time a grab and one input event take.
constexpr int grabMs = 12;
constexpr int inputMs = 2;
} // namespace

SimulatedWindow::SimulatedWindow(SimulatedPage& page)
    : m_page(page)
{
}

void SimulatedWindow::pass(int milliseconds)
{
    m_now += qMax(0, milliseconds);
    m_page.advanceTo(m_now);
}

QCoro::Task<void> SimulatedWindow::sleep(int milliseconds)
{
    pass(milliseconds);
    co_return;
}

std::optional<QList<WindowInfo>> SimulatedWindow::windowList()
{
    return QList<WindowInfo>{WindowInfo{window, pid, m_page.windowPoints(), 0, std::nullopt}};
}

std::optional<qint32> SimulatedWindow::ownerPID(quint32 w)
{
    if (w == window)
        return pid;
    return std::nullopt;
}

QImage SimulatedWindow::windowImage(quint32 w, QSize pixelSize, bool, QString*, bool*)
{
    pass(grabMs);
    ++m_grabs;
    if (w != window)
        return {};
    QImage image = m_page.render();
    if (pixelSize.isValid() && pixelSize != image.size())
        image = image.scaled(pixelSize);
    return image;
}

void SimulatedWindow::pressKey(Key key, bool control)
{
    ++m_inputs;
    pass(inputMs);
    if (m_active != window)
        return;
    if (key == Key::pageDown)
        m_page.pageKey(1);
    else if (key == Key::pageUp)
        m_page.pageKey(-1);
    else if (key == Key::home || control)
        m_page.topKey();
}

void SimulatedWindow::scrollWheel(int clicks)
{
    ++m_inputs;
    pass(inputMs);
    const QRectF bounds = m_page.windowPoints();
    if (!bounds.contains(m_pointer))
        return;
    m_page.wheel(m_pointer - bounds.topLeft(), clicks);
}

std::optional<quint32> SimulatedWindow::activeWindow()
{
    if (!m_active)
        return std::nullopt;
    return m_active;
}
