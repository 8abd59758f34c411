#pragma once
// A D-Bus session bus of the test's own (the accessibility bus is started on
// demand through it); its address is put into the test's environment and
// handed to the applications the test starts.
#include <QByteArray>
#include <QProcess>

class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    bool isRunning() const { return !m_address.isEmpty(); }
    QByteArray address() const { return m_address; }

private:
    QProcess m_daemon;
    QByteArray m_address;
};
