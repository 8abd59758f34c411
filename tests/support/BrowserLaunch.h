#pragma once
// How the tests start Debian's Chromium and Firefox ESR: a profile of their
// own that skips every first-start page and stays offline, a window at a
// given place, a device scale, and on request Chromium's warning bar under
// its toolbar or its pages on the accessibility bus. Also waits for a
// program's window and puts it where the test wants it.
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

class QProcess;
class WindowServer;

namespace BrowserLaunch {

struct Options {
    int scale = 1;
    // Chromium shows a bar under its toolbar (the warning about a command-line flag).
    bool warningBar = false;
    // Chromium publishes its pages on the accessibility bus.
    bool accessibility = false;
};

QStringList chromium(const QString& profile, const QRect& rect, const Options& options, const QString& url);
// Writes the profile's preferences first; empty when they cannot be written.
QStringList firefox(const QString& profile, const QRect& rect, const Options& options, const QString& url);

// Ends a program the test started: asked first, killed when it does not go.
void stop(QProcess& process);

struct AppWindow {
    quint32 number = 0;
    QRectF bounds;
};
// The largest ordinary window of the process once it shows; with `place` it
// is moved and sized to `rect` first (for programs that take no geometry).
std::optional<AppWindow> awaitWindow(WindowServer& windows, qint64 pid, const QRect& rect, bool place);

} // namespace BrowserLaunch
