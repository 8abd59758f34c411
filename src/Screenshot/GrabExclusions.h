#pragma once
// Our own windows on screen during a scrolling capture (the cover, the
// progress panel): every frame grab leaves them out. Written on the main
// thread; grabs running on worker threads read a snapshot. While the set holds
// a window, the windows grabbed beneath it keep their own pictures (see
// WindowRedirector); when the last one leaves, they are released.
#include <QMutex>
#include <QSet>
#include <memory>

class WindowRedirector;

class GrabExclusions {
public:
    // redirector: may be null where no window needs to keep its picture.
    explicit GrabExclusions(std::shared_ptr<WindowRedirector> redirector);
    GrabExclusions(const GrabExclusions&) = delete;
    GrabExclusions& operator=(const GrabExclusions&) = delete;

    void add(quint32 windowID);
    void remove(quint32 windowID);
    QSet<quint32> ids() const;

private:
    mutable QMutex m_mutex;
    QSet<quint32> m_ids;
    const std::shared_ptr<WindowRedirector> m_redirector;
};
