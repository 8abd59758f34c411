#pragma once
// The Escape watch of the window scroll loop: between begin() and end() a press
// of Escape raises `requested`, which the loop polls between its steps. Escape
// pressed in another application is seen through the desktop-wide KeyWatch (and
// stays with that application); pressed in one of our own windows it is taken
// by us and goes no further.
#include <QObject>
#include <QPointer>

class KeyWatch;

// A QObject only so that clean-ups posted to the event loop can tell whether
// it still exists.
class ScrollCancel : public QObject {
public:
    // watch: the desktop-wide watch; when it cannot watch, only our own
    // windows see Escape. It must outlive this object.
    explicit ScrollCancel(KeyWatch& watch);
    ~ScrollCancel();
    ScrollCancel(const ScrollCancel&) = delete;
    ScrollCancel& operator=(const ScrollCancel&) = delete;

    void begin();
    void end();
    bool requested() const { return m_requested; }

private:
    KeyWatch& m_watch;
    bool m_requested = false;
    bool m_watching = false;
    QPointer<QObject> m_localFilter;
};
