#include "Editor/KeyCommandBridge.h"

#include "Editor/EditorSession.h"

#include <QShortcut>
#include <QWidget>

namespace {
QShortcut* shortcut(QKeyCombination key, QWidget& host)
{
    auto* s = new QShortcut(QKeySequence(key), &host);
    s->setContext(Qt::WindowShortcut);
    return s;
}
} // namespace

KeyCommandBridge::KeyCommandBridge(EditorSession& session, QWidget& host)
    : QObject(&host)
    , m_session(session)
    , m_copy(shortcut(Qt::CTRL | Qt::Key_C, host))
    , m_paste(shortcut(Qt::CTRL | Qt::Key_V, host))
{
    EditorViewModel& vm = session.model();
    const auto bind = [&](QKeyCombination key, auto action) {
        connect(shortcut(key, host), &QShortcut::activated, &vm, action);
    };
    bind(Qt::CTRL | Qt::Key_Z, &EditorViewModel::undo);
    bind(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, &EditorViewModel::redo);
    // Plus and its unshifted key, equals, both zoom in.
    bind(Qt::CTRL | Qt::Key_Plus, &EditorViewModel::zoomIn);
    bind(Qt::CTRL | Qt::Key_Equal, &EditorViewModel::zoomIn);
    bind(Qt::CTRL | Qt::Key_Minus, &EditorViewModel::zoomOut);
    bind(Qt::CTRL | Qt::Key_0, &EditorViewModel::resetZoom);
    connect(m_copy, &QShortcut::activated, this, [&session] { session.results().copyResult(); });
    connect(m_paste, &QShortcut::activated, &session.insertion(), &ImageInsertion::paste);
    connect(&session.recognition(), &EditorTextRecognition::liveTextChanged, this, &KeyCommandBridge::sync);
    connect(&session.textEntry(), &TextEntry::textEntryChanged, this, &KeyCommandBridge::sync);
    sync();
}

void KeyCommandBridge::sync()
{
    // Copying inside a field being typed copies its selection, not the picture.
    const TextEntry& entry = m_session.textEntry();
    const bool typing = entry.pendingTextOrigin() || entry.editingTextID() || entry.editingBubbleID();
    const bool free = !m_session.recognition().liveTextEnabled() && !typing;
    m_copy->setEnabled(free);
    m_paste->setEnabled(free);
}
