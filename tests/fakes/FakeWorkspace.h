#pragma once
#include "Platform/Workspace.h"

#include <QStringList>

class FakeWorkspace final : public Workspace {
public:
    bool openFolder(const QString& path) override
    {
        openedFolders << path;
        return true;
    }
    void revealFile(const QString& path, std::function<void(bool shown)> done = {}) override
    {
        revealedFiles << path;
        if (done)
            done(revealSucceeds);
    }
    bool openUrl(const QUrl& url) override
    {
        openedUrls << url.toString();
        return true;
    }

    QStringList openedFolders;
    QStringList revealedFiles;
    bool revealSucceeds = true;
    QStringList openedUrls;
};
