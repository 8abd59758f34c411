#pragma once
// Starting the real program for a road of its own: no editor after a capture,
// no first-run window, no intro card back after a new build, no login item.
#include <QProcess>
#include <functional>

struct AppSettings;

class RealApp;

// Writes those settings into the program's settings file, starts it (with a
// keyboard layout its hotkeys are known on) and waits until its hotkeys are
// registered; false when it did not come up. `adjust` changes the settings
// for a road that wants them otherwise.
bool startQuietly(const RealApp& real, QProcess& app, const std::function<void(AppSettings&)>& adjust = {});
// Ends it as the desktop does at logout (SIGTERM), and waits.
void stopQuietly(QProcess& app);
