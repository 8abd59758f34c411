// The coordinator's services for the editor's results: copy, save, pin,
// text recognition and the share folder.
#include "App/AppCoordinator.h"
#include "App/CoordinatorServices.h"
#include "Pinned/PinnedImageWindowController.h"
#include "Screenshot/Backdrop.h"
#include "App/ResultActions.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Editor/OCRService.h"
#include "Storage/ShareFolder.h"
#include "Ui/PointerScreen.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

void AppCoordinator::buildResultServices()
{
    // The app's copies name the app itself as their source.
    const QString appID = QGuiApplication::desktopFileName();
    m_results = std::make_unique<ResultActions>(
        ResultActions::Services{m_services.clipboard(), *m_clipboardMonitor, *m_clipboardStore, *m_settings,
                                m_services.imageFileDialogs(), m_services.alerts(), m_services.folders()},
        appID.isEmpty() ? std::nullopt : std::optional(appID));
    m_ocr = std::make_unique<OCRService>(m_services.textRecognizer());
    m_shareFolder = std::make_unique<ShareFolder>(m_services.privateTemporaryFolder());
}

void AppCoordinator::copyImageToPasteboard(const QImage& image)
{
    m_results->copyImageToPasteboard(image);
}

void AppCoordinator::copyTextToPasteboard(const QString& text)
{
    m_results->copyTextToPasteboard(text);
}

void AppCoordinator::copyFileToPasteboard(const QString& path)
{
    m_results->copyFileToPasteboard(path);
}

void AppCoordinator::saveImageWithPanel(const QImage& image, const QString& suggestedName)
{
    m_results->saveImageWithPanel(image, suggestedName);
}

void AppCoordinator::pinImage(const QImage& image)
{
    const QScreen* screen = pointerScreen();
    // Faded, it shows what lies beneath: really, or over a still where no compositor runs.
    auto controller = std::make_unique<PinnedImageWindowController>(
        image, m_services.windowDesktops(), screen ? std::optional(screen->availableGeometry()) : std::nullopt,
        m_services.compositing(), Backdrop::grabScreens);
    PinnedImageWindowController* pinned = controller.get();
    QPointer<AppCoordinator> self(this);
    QPointer<PinnedImageWindowController> weak(pinned);
    pinned->onClose = [self, weak] {
        if (!self || !weak)
            return;
        auto& list = self->m_pinnedControllers;
        const auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.get() == weak.data(); });
        if (it == list.end())
            return;
        // Released once its close has run to the end.
        it->release()->deleteLater();
        list.erase(it);
    };
    m_pinnedControllers.push_back(std::move(controller));
    // In front of everything, without activating the app or changing its policy.
    pinned->showPinned();
}
