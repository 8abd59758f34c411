#pragma once
// Hands folders, files and links to the desktop: the file manager and the
// default applications.
#include <QString>
#include <QUrl>
#include <functional>

class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens the folder in the file manager; false when nothing could be asked to.
    virtual bool openFolder(const QString& path) = 0;
    // Shows the file selected in the file manager, or opens its folder where
    // no file manager offers selecting. `done` (possibly later) learns whether
    // either worked.
    virtual void revealFile(const QString& path, std::function<void(bool shown)> done = {}) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
};
