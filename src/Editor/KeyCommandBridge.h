#pragma once
// The editor window's Ctrl shortcuts: undo (Ctrl+Z), redo (Ctrl+Shift+Z),
// copying the flattened picture (Ctrl+C), pasting (Ctrl+V) and zooming
// (Ctrl++ and Ctrl+= in, Ctrl+- out, Ctrl+0 back to 100%), active wherever
// the focus is in the window. Copy and paste step aside while Live Text is
// on and while a text or bubble is being typed, so the keys reach the
// selection or the field instead.
#include <QObject>
#include <QList>

class EditorSession;
class QShortcut;
class QWidget;

class KeyCommandBridge : public QObject {
    Q_OBJECT
public:
    // host: a widget of the editor window that lives as long as the bridge.
    KeyCommandBridge(EditorSession& session, QWidget& host);

private:
    void sync();

    EditorSession& m_session;
    QShortcut* m_copy;
    QShortcut* m_paste;
};
