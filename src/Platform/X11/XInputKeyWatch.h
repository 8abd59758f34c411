#pragma once
#include "Platform/KeyWatch.h"

#include <QObject>
#include <QSet>
#include <memory>

struct xcb_connection_t;
class QSocketNotifier;
class XcbConnection;

// Sees Escape on the whole X display through XInput2 raw key events selected
// on the root window: they arrive whichever client has the focus, and unlike a
// key grab they leave the key with that client. Uses a connection of its own,
// read on the main thread through a socket notifier.
class XInputKeyWatch final : public QObject, public KeyWatch {
    Q_OBJECT
public:
    XInputKeyWatch();
    ~XInputKeyWatch() override;

    bool start(std::function<void()> onEscape) override;
    void stop() override;

private:
    void readEvents();

    std::unique_ptr<XcbConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's while watching
    QSocketNotifier* m_notifier = nullptr;
    quint8 m_opcode = 0;
    QSet<quint32> m_escapeKeycodes;
    std::function<void()> m_onEscape;
};
