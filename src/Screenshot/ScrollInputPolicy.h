#pragma once
// Which input the scrolling capture may send to a window. Page keys and
// Ctrl+Home go to whatever the focused program makes of them: a terminal
// hands them to the program running in it (a pager opens its help on an
// escape sequence, a shell edits its command line), and a text editor moves
// its caret and drops the selection. Those get the wheel only; everything
// else may get keys. Told by the window's class and the application's id,
// so it holds without an accessibility bus too.
#include <QString>

class ScrollInputPolicy {
public:
    enum class Kind { ordinary, terminal, textEditor };

    // `applicationID`: the desktop-file id (or what stands in for it);
    // `windowClass`: the class part of the window's WM_CLASS.
    static Kind kindOf(const QString& applicationID, const QString& windowClass);
    static bool keysAllowed(Kind kind) { return kind == Kind::ordinary; }
};
