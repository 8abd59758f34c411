// Text entry: new texts at a click, re-editing texts and speech-bubble words,
// committing and cancelling the open field, and pasted text.
#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"

#include <algorithm>

void EditorViewModel::handleDoubleClick(QPointF p)
{
    const auto hit = topHit(p);
    if (!hit)
        return;
    const AnnotationObject& a = m_state.annotations[*hit];
    if (a.kind == AnnotationKind::text) {
        const QUuid id = a.id;
        setSelectedAnnotationID(id);
        beginEditingText(id);
    } else if (a.kind == AnnotationKind::speechBubble) {
        const QUuid id = a.id;
        setSelectedAnnotationID(id);
        beginEditingBubble(id);
    }
}

// One field is open at a time, since all fields share the buffer: opening one
// commits the words of another kind of field first.

void EditorViewModel::beginText(QPointF p, AnnotationKind kind)
{
    commitBubbleEdit();
    if (m_pendingTextOrigin || m_editingTextID)
        commitPendingText();
    m_pendingKind = kind;
    m_pendingTextOrigin = p;
    m_textBuffer.setText(QString());
    Q_EMIT textEntryChanged();
}

void EditorViewModel::beginEditingText(QUuid id)
{
    const qsizetype i = indexOf(id);
    if (i < 0)
        return;
    const AnnotationObject& a = m_state.annotations[i];
    if (a.kind != AnnotationKind::text || a.points.isEmpty())
        return;
    const QPointF origin = a.points.first();
    const QString text = a.text.value_or(QString());
    commitBubbleEdit();
    setSelectedAnnotationID(id);
    m_editingTextID = id;
    m_pendingKind = AnnotationKind::text;
    m_pendingTextOrigin = origin;
    m_textBuffer.setText(text);
    Q_EMIT textEntryChanged();
}

void EditorViewModel::beginEditingBubble(QUuid id)
{
    const qsizetype i = indexOf(id);
    if (i < 0 || m_state.annotations[i].kind != AnnotationKind::speechBubble)
        return;
    if (m_editingBubbleID != id)
        commitBubbleEdit();
    if (m_pendingTextOrigin || m_editingTextID)
        commitPendingText();
    // Looked up again: a commit may have removed an annotation before it.
    const qsizetype j = indexOf(id);
    if (j < 0)
        return;
    const QString text = m_state.annotations[j].text.value_or(QString());
    setSelectedAnnotationID(id);
    m_editingBubbleID = id;
    m_newBubbleVersion.reset();
    m_textBuffer.setText(text);
    Q_EMIT textEntryChanged();
}

void EditorViewModel::commitBubbleEdit()
{
    if (!m_editingBubbleID)
        return;
    const qsizetype i = indexOf(*m_editingBubbleID);
    const QString typed = m_textBuffer.text();
    if (i >= 0 && m_state.annotations[i].text.value_or(QString()) != typed) {
        // A changed text is a step of its own, so undo takes back just the
        // words; a bubble's first words stay with the step that drew it as
        // long as nothing else was recorded in between.
        if (m_newBubbleVersion != m_historyVersion)
            pushUndo();
        m_state.annotations[i].text = typed;
        Q_EMIT annotationsChanged();
    }
    m_editingBubbleID.reset();
    m_newBubbleVersion.reset();
    m_textBuffer.setText(QString());
    Q_EMIT textEntryChanged();
}

void EditorViewModel::commitPendingText()
{
    const QString t = m_textBuffer.text().trimmed();
    if (m_editingTextID) {
        const qsizetype i = indexOf(*m_editingTextID);
        if (i >= 0 && t.isEmpty()) {
            pushUndo();
            m_state.annotations.removeAt(i);
            Q_EMIT annotationsChanged();
            setSelectedAnnotationID(std::nullopt);
        } else if (i >= 0 && m_state.annotations[i].text != t) {
            // Committed unchanged (Return, or a click elsewhere) records no step.
            pushUndo();
            m_state.annotations[i].text = t;
            Q_EMIT annotationsChanged();
        }
    } else if (m_pendingTextOrigin && !t.isEmpty()) {
        AnnotationObject a = newAnnotation(m_pendingKind, m_state.selectedColor, {*m_pendingTextOrigin});
        if (a.kind == AnnotationKind::speechBubble)
            a.lineWidth = std::max(a.lineWidth, 2.0);
        a.text = t;
        a.fontSize = m_state.fontSize;
        a.fontName = m_state.selectedFontName;
        addAnnotation(a);
    }
    cancelPendingText();
}

void EditorViewModel::cancelPendingText()
{
    const bool open = m_pendingTextOrigin || m_editingTextID;
    m_pendingTextOrigin.reset();
    m_editingTextID.reset();
    // The buffer also serves an open bubble edit.
    if (!m_editingBubbleID)
        m_textBuffer.setText(QString());
    if (open)
        Q_EMIT textEntryChanged();
}

void EditorViewModel::insertText(const QString& s)
{
    const double W = m_imagePixelSize.width(), H = m_imagePixelSize.height();
    if (!(W > 0) || !(H > 0))
        return;
    const QSizeF size = m_environment.textSize(s, m_state.fontSize, m_state.selectedFontName);
    // A text larger than the picture starts at its top-left corner.
    const QPointF origin(std::max((W - size.width()) * 0.5, 0.0), std::max((H - size.height()) * 0.5, 0.0));
    AnnotationObject a = newAnnotation(AnnotationKind::text, m_state.selectedColor, {origin});
    a.text = s;
    a.fontSize = m_state.fontSize;
    a.fontName = m_state.selectedFontName;
    addAnnotation(a);
    setTool(EditorTool::select);
}
