#pragma once
#include "Platform/TrayAvailability.h"

#include <cstdint>
#include <memory>

class QDBusServiceWatcher;
class QSocketNotifier;
class QTimer;
class XcbConnection;

// The XEmbed tray through XFixes: the server tells when the owner of
// _NET_SYSTEM_TRAY_S<screen> changes, goes away or is destroyed (without
// XFixes the owner is asked every two seconds). The StatusNotifierItem host
// through the session bus: the watcher's name coming and going, and its
// signals when a host registers or leaves. Both are read once, synchronously,
// when this is made, as the toolkit too decides at start which tray it uses.
class X11TrayAvailability final : public TrayAvailability {
    Q_OBJECT
public:
    explicit X11TrayAvailability(QObject* parent = nullptr);
    ~X11TrayAvailability() override;

    bool hasXEmbedTray() const override { return m_xembed; }
    bool hasStatusNotifierHost() const override { return m_statusNotifier; }

private Q_SLOTS:
    // The watcher's StatusNotifierHostRegistered / ...Unregistered.
    void hostsChanged();

private:
    void readXEmbedEvents();
    bool xembedOwnerExists();
    void askStatusNotifierHost();
    void update(bool xembed, bool statusNotifier);

    std::unique_ptr<XcbConnection> m_x;
    uint32_t m_selection = 0;
    uint8_t m_xfixesEvent = 0;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_poll = nullptr;
    QDBusServiceWatcher* m_busWatcher = nullptr;
    // Answers to an earlier question are dropped once a newer one is asked.
    quint64 m_question = 0;
    bool m_xembed = false;
    bool m_statusNotifier = false;
};
