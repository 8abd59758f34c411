#pragma once
// The destinations of a capture in the running program: the clipboard
// through the deferred copy (behind the monitor's pending changes, so a copy
// another program made since the hotkey is recorded first), the screenshot
// history, the editor, and the storage health that learns a problem was told.
#include "App/CaptureDestinations.h"

class DeferredImageCopy;
class EditorOpener;
class ScreenshotHistoryStore;
class StorageHealth;

class HistoryCaptureDestinations final : public CaptureDestinations {
public:
    HistoryCaptureDestinations(DeferredImageCopy& copier, ScreenshotHistoryStore& history, EditorOpener& editors,
                               StorageHealth& health);

    void copyToClipboard(const QImage& image, PngData png, std::function<void(bool copied)> done) override;
    void store(const QImage& image, PngData png, CaptureKind kind, bool openEditor,
               std::function<void(const FileWriteOutcome&)> stored) override;
    void storageProblemAnnounced() override;

private:
    DeferredImageCopy& m_copier;
    ScreenshotHistoryStore& m_history;
    EditorOpener& m_editors;
    StorageHealth& m_health;
};
