#pragma once
// Identifies the application of a picked window the same way the clipboard's
// source application is identified: the window's _GTK_APPLICATION_ID or
// WM_CLASS, else the process's executable, matched to the desktop entries.
#include "Platform/RunningApplications.h"

#include <QStringList>

class X11RunningApplications final : public RunningApplications {
public:
    // applicationDirs: where desktop entries are searched (the XDG
    // applications folders by default).
    explicit X11RunningApplications(QStringList applicationDirs = {});
    std::optional<App> application(qint64 pid, quint32 window) override;

private:
    QStringList m_applicationDirs;
};
