#pragma once
// Workspace on a freedesktop session: folders and links through the default
// handlers (xdg-open), file selection through the FileManager1 D-Bus service,
// falling back to opening the file's folder.
#include "Platform/Workspace.h"

class DesktopWorkspace final : public Workspace {
public:
    bool openFolder(const QString& path) override;
    void revealFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
};
