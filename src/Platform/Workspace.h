#pragma once
// Hands folders, files and links to the desktop: the file manager and the
// default applications.
#include <QString>
#include <QUrl>

class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens the folder in the file manager; false when nothing could be asked to.
    virtual bool openFolder(const QString& path) = 0;
    // Shows the file selected in the file manager (its folder where selecting
    // is not offered).
    virtual void revealFile(const QString& path) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
};
