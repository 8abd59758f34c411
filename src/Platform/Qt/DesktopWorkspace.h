#pragma once
// Workspace on a freedesktop session: folders and links through the default
// handlers (xdg-open), file selection through the file manager's
// org.freedesktop.FileManager1 D-Bus service, falling back to opening the
// file's folder.
#include "Platform/Workspace.h"

class DesktopWorkspace final : public Workspace {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    // opener: how folders and links are handed on (QDesktopServices by default).
    explicit DesktopWorkspace(UrlOpener opener = {});

    bool openFolder(const QString& path) override;
    void revealFile(const QString& path, std::function<void(bool shown)> done = {}) override;
    bool openUrl(const QUrl& url) override;

    // A file manager that starts on the call gets this long to answer.
    static constexpr int showItemsTimeoutMs = 5000;

private:
    UrlOpener m_open;
};
