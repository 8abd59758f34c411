#include "App/HistoryCaptureDestinations.h"

#include "App/DeferredImageCopy.h"
#include "App/EditorOpener.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/StorageHealth.h"

HistoryCaptureDestinations::HistoryCaptureDestinations(DeferredImageCopy& copier, ScreenshotHistoryStore& history,
                                                       EditorOpener& editors, StorageHealth& health)
    : m_copier(copier)
    , m_history(history)
    , m_editors(editors)
    , m_health(health)
{
}

void HistoryCaptureDestinations::copyToClipboard(const QImage& image, PngData png, std::function<void(bool copied)> done)
{
    m_copier.copy(image, std::move(done), png);
}

void HistoryCaptureDestinations::store(const QImage& image, PngData png, CaptureKind kind, bool openEditor,
                                       std::function<void(const FileWriteOutcome&)> stored)
{
    const ScreenshotItem item = m_history.add(image, kind, {}, png, std::move(stored));
    if (openEditor)
        m_editors.openEditor(image, item);
}

void HistoryCaptureDestinations::storageProblemAnnounced() { m_health.takeAnnouncement(); }
