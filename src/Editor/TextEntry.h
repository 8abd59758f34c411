#pragma once
// Text entry in one editor: new texts at a click, re-editing a text or the
// words of a speech bubble, committing and cancelling the open field, and
// pasted text. Works on the model and publishes where text is being typed;
// the words typed so far live in the buffer the fields write. Which kinds have
// words, and where they are typed, comes from AnnotationKinds. Open words are
// settled when the editor moves on: a tool change keeps a bubble's words and
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

    // Where a new text's field is open (also a re-edited text's origin), the
    // text being re-edited, and the bubble whose words are being edited.
    const std::optional<QPointF>& pendingTextOrigin() const { return m_pendingTextOrigin; }
    const std::optional<QUuid>& editingTextID() const { return m_editingTextID; }
    const std::optional<QUuid>& editingBubbleID() const { return m_editingBubbleID; }

    // The words of the open field, written by the field as the user types.
    TextEntryBuffer& textBuffer() { return m_textBuffer; }
    // What a new entry creates: a text or a speech bubble.

    // A double click: the words of an annotation under the point open for editing.
    void handleDoubleClick(QPointF at);
    // A text-tool click: an entry for a new annotation of the kind opens at
    // the point; an open entry is committed first.
    void beginText(QPointF at, AnnotationKind kind);
    // Opens the words of a text annotation again and selects it.
    void beginEditingText(QUuid id);
    // Opens the words of a speech bubble for editing and selects it.
    void beginEditingBubble(QUuid id);
    // The same for a bubble just drawn: its first words belong to the step that drew it.
    void beginWordsOfNewBubble(QUuid id);
    // The buffer becomes the bubble's words, as typed.
    void commitBubbleEdit();
    // The trimmed buffer becomes a new text or the re-edited one's words; an
    // emptied re-edited text is deleted.
    void commitPendingText();
    void cancelPendingText();
    // A pasted text as a new text annotation centred on the picture.
    void insertText(const QString& text);

    // A select-tool press: words being edited away from the point are kept
    // and their field closes.
    void selectPress(QPointF at);
    // The window is closing: words still in an open field are kept, as a
    // click elsewhere would keep them.
    void windowWillClose();

Q_SIGNALS:
    void textEntryChanged(); // pendingTextOrigin, editingTextID, editingBubbleID

private:
    void setEntry(std::optional<QPointF> pendingTextOrigin, std::optional<QUuid> editingTextID,
                  std::optional<QUuid> editingBubbleID);

    EditorViewModel& m_vm;
    const EditorEnvironment& m_environment;
    TextEntryBuffer m_textBuffer;
    AnnotationKind m_pendingKind = AnnotationKind::text;
    std::optional<QPointF> m_pendingTextOrigin;
    std::optional<QUuid> m_editingTextID;
    std::optional<QUuid> m_editingBubbleID;
    // The history step that drew the bubble now being worded, while it is
    // still the latest: its first words belong to it.
    std::optional<quint64> m_newBubbleVersion;
};
