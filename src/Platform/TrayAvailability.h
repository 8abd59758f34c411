#pragma once
// Whether the desktop has a place for the tray icon, and each change of it.
// Two kinds of host exist on X11: an XEmbed system tray (a client owning the
// selection _NET_SYSTEM_TRAY_S<screen>) and a StatusNotifierItem host (the
// watcher org.kde.StatusNotifierWatcher on the session bus, with a host
// registered at it). Panels come and go (restarts, a desktop without one), so
// both are watched for as long as the program runs.
#include <QObject>

class TrayAvailability : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayAvailability() override = default;

    virtual bool hasXEmbedTray() const = 0;
    virtual bool hasStatusNotifierHost() const = 0;

Q_SIGNALS:
    // Either answer changed.
    void changed();
};
