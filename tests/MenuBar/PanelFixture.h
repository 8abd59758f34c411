#pragma once
// The real settings and history stores over fakes of the platform, in the
// test's own temporary folders (IsolatedEnvironment), for the panel tests.
#include "Permissions/PermissionManager.h"
#include "Platform/ClipboardService.h"
#include "Settings/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWorkspace.h"

#include <QImage>
#include <memory>

// A clipboard in memory: the last write is kept, every write counts.
class MemoryClipboard final : public ClipboardService {
public:
    qint64 changeCount() const override { return m_count; }
    QStringList types() override { return {}; }
    std::optional<QByteArray> data(const QString&) override { return std::nullopt; }
    std::optional<QString> string() override { return lastText; }
    QImage image() override { return lastImage; }
    qint64 writeText(const QString& text) override
    {
        lastText = text;
        lastImage = QImage();
        return ++m_count;
    }
    qint64 writeImage(const QImage& image, const std::optional<QByteArray>&) override
    {
        lastImage = image;
        lastText.reset();
        return ++m_count;
    }

    std::optional<QString> lastText;
    QImage lastImage;

private:
    qint64 m_count = 0;
};

struct PanelFixture {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    SettingsManager settings{defaults, login, keyboard};
    MemoryClipboard clipboard;
    std::unique_ptr<ClipboardHistoryStore> clipboardStore;
    std::unique_ptr<ScreenshotHistoryStore> screenshotStore;
    FakeWorkspace workspace;
    FakeCapturePermissions capturePermissions;
    FakeScreenSource screens;
    PermissionManager permissions{capturePermissions, screens};

    // Screen recording refused, and the test capture fails too.
    void denyScreenRecording()
    {
        capturePermissions.preflight = false;
        screens.contentAvailable = false;
        permissions.refresh();
    }

    PanelFixture()
    {
        settings.update([](AppSettings& s) {
            s.maxClipboardItems = 0;
            s.maxScreenshotItems = 0;
        });
        clipboardStore = std::make_unique<ClipboardHistoryStore>(settings, &clipboard);
        screenshotStore = std::make_unique<ScreenshotHistoryStore>(settings);
        // The folders live as long as the test process: start every case empty.
        clipboardStore->clearAll(false);
        screenshotStore->clearAll(false);
    }
    ~PanelFixture() { screenshotStore->waitForPendingWrites(); }

    static QImage picture(int w, int h, QColor color)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }
};
