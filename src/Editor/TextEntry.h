#pragma once
// Text entry in one editor: new texts at a click, re-editing a text or the
// words of a speech bubble, committing and cancelling the open field, and
// pasted text. Works on the model, which publishes where text is being typed;
// the words typed so far live in the buffer the fields write. Open words are
// settled at the model's moments: a tool change keeps a bubble's words and
// drops a new text not yet confirmed, a press elsewhere with the select tool
// commits, a drawn speech bubble opens its words at once, and resetting all
// annotations drops the open entry.
#include "Editor/TextEntryBuffer.h"
#include "Models/CoreTypes.h"

#include <QObject>
#include <QPointF>
#include <QUuid>
#include <optional>

class EditorEnvironment;
class EditorViewModel;

class TextEntry : public QObject {
    Q_OBJECT
public:
    // environment: the text metrics a pasted text is centred by.
    TextEntry(EditorViewModel& vm, const EditorEnvironment& environment, QObject* parent = nullptr);

    // The words of the open field, written by the field as the user types.
    TextEntryBuffer& textBuffer() { return m_textBuffer; }
    // What a new entry creates: a text or a speech bubble.
    AnnotationKind pendingKind() const { return m_pendingKind; }

    // A double click: a text or speech bubble under the point opens for editing.
    void handleDoubleClick(QPointF at);
    // A text-tool click: an entry for a new annotation of the kind opens at
    // the point; an open entry is committed first.
    void beginText(QPointF at, AnnotationKind kind);
    // Opens the words of a text annotation again and selects it.
    void beginEditingText(QUuid id);
    // Opens the words of a speech bubble for editing and selects it.
    void beginEditingBubble(QUuid id);
    // The buffer becomes the bubble's words, as typed.
    void commitBubbleEdit();
    // The trimmed buffer becomes a new text or the re-edited one's words; an
    // emptied re-edited text is deleted.
    void commitPendingText();
    void cancelPendingText();
    // A pasted text as a new text annotation centred on the picture.
    void insertText(const QString& text);

    // The window is closing: words still in an open field are kept, as a
    // click elsewhere would keep them.
    void windowWillClose();

private:
    // A select-tool press away from the words being edited finishes that edit.
    void selectionPress(QPointF at);
    void drawingAdded(QUuid id, AnnotationKind kind);

    EditorViewModel& m_vm;
    const EditorEnvironment& m_environment;
    TextEntryBuffer m_textBuffer;
    AnnotationKind m_pendingKind = AnnotationKind::text;
    // The history step that drew the bubble now being worded, while it is
    // still the latest: its first words belong to it.
    std::optional<quint64> m_newBubbleVersion;
};
