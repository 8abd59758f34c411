#pragma once
// The test display seen and driven from outside the program under test: a
// grab of the whole screen or a part of it, and xdotool for keys and pointer.
#include <QImage>
#include <QRect>
#include <QStringList>

// Runs xdotool with the arguments (a minute at most: "--sync" waits for the
// window manager); true when it finished and succeeded.
bool xdotool(const QStringList& args);
// Super+Shift+key, the program's hotkeys (key: an X keycode, "15" is 6 on a US layout).
bool pressHotkey(const QString& key);
// The screen's pixels in `area` (the whole screen when empty), as RGB32.
QImage grabScreen(QRect area = {});
