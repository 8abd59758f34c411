#include "App/PinnedImages.h"

#include "Pinned/PinnedImageWindowController.h"
#include "Screenshot/Backdrop.h"
#include "Ui/PointerScreen.h"

#include <QScreen>
#include <algorithm>

PinnedImages::PinnedImages(WindowDesktops& desktops, std::shared_ptr<CompositingInfo> compositing, QObject* parent)
    : QObject(parent)
    , m_desktops(desktops)
    , m_compositing(std::move(compositing))
{
}

PinnedImages::~PinnedImages()
{
    // Windows closing as they go are not released twice.
    for (const auto& window : m_windows)
        disconnect(window.get(), nullptr, this, nullptr);
}

void PinnedImages::pin(const QImage& image)
{
    const QScreen* screen = pointerScreen();
    // Faded, it shows what lies beneath: really, or over a still where no compositor runs.
    auto window = std::make_unique<PinnedImageWindowController>(
        image, m_desktops, screen ? std::optional(screen->availableGeometry()) : std::nullopt, m_compositing,
        Backdrop::grabScreens);
    PinnedImageWindowController* pinned = window.get();
    connect(pinned, &PinnedImageWindowController::closed, this, [this, pinned] { release(pinned); });
    m_windows.push_back(std::move(window));
    pinned->showPinned();
}

QList<PinnedImageWindowController*> PinnedImages::windows() const
{
    QList<PinnedImageWindowController*> open;
    for (const auto& window : m_windows)
        open.append(window.get());
    return open;
}

void PinnedImages::release(PinnedImageWindowController* closed)
{
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [closed](const auto& window) { return window.get() == closed; });
    if (it == m_windows.end())
        return;
    // Deleted once its close has run to the end.
    it->release()->deleteLater();
    m_windows.erase(it);
}
