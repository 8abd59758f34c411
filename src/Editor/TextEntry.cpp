#include "Editor/TextEntry.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"

#include <algorithm>

TextEntry::TextEntry(EditorViewModel& vm, const EditorEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_environment(environment)
{
    connect(&vm, &EditorViewModel::toolAboutToChange, this, [this] {
        commitBubbleEdit();
        cancelPendingText();
    });
    connect(&vm, &EditorViewModel::selectionDragAboutToBegin, this, &TextEntry::selectionPress);
    connect(&vm, &EditorViewModel::drawingAboutToBeAdded, this, [this](AnnotationKind kind) {
        if (kind == AnnotationKind::speechBubble)
            commitBubbleEdit(); // the words of an earlier bubble are kept
    });
    connect(&vm, &EditorViewModel::drawingAdded, this, &TextEntry::drawingAdded);
    connect(&vm, &EditorViewModel::annotationsReset, this, &TextEntry::cancelPendingText);
}

void TextEntry::handleDoubleClick(QPointF p)
{
    const std::optional<QUuid> hit = m_vm.annotationAt(p);
    if (!hit)
        return;
    const AnnotationObject& a = m_vm.state().annotations[m_vm.indexOf(*hit)];
    if (a.kind == AnnotationKind::text) {
        const QUuid id = a.id;
        m_vm.setSelectedAnnotationID(id);
        beginEditingText(id);
    } else if (a.kind == AnnotationKind::speechBubble) {
        const QUuid id = a.id;
        m_vm.setSelectedAnnotationID(id);
        beginEditingBubble(id);
    }
}

// One field is open at a time, since all fields share the buffer: opening one
// commits the words of another kind of field first.

void TextEntry::beginText(QPointF p, AnnotationKind kind)
{
    commitBubbleEdit();
    if (m_vm.pendingTextOrigin() || m_vm.editingTextID())
        commitPendingText();
    m_pendingKind = kind;
    m_textBuffer.setText(QString());
    m_vm.setTextEntry(p, m_vm.editingTextID(), m_vm.editingBubbleID());
}

void TextEntry::beginEditingText(QUuid id)
{
    const qsizetype i = m_vm.indexOf(id);
    if (i < 0)
        return;
    const AnnotationObject& a = m_vm.state().annotations[i];
    if (a.kind != AnnotationKind::text || a.points.isEmpty())
        return;
    const QPointF origin = a.points.first();
    const QString text = a.text.value_or(QString());
    commitBubbleEdit();
    m_vm.setSelectedAnnotationID(id);
    m_pendingKind = AnnotationKind::text;
    m_textBuffer.setText(text);
    m_vm.setTextEntry(origin, id, m_vm.editingBubbleID());
}

void TextEntry::beginEditingBubble(QUuid id)
{
    const qsizetype i = m_vm.indexOf(id);
    if (i < 0 || m_vm.state().annotations[i].kind != AnnotationKind::speechBubble)
        return;
    if (m_vm.editingBubbleID() != id)
        commitBubbleEdit();
    if (m_vm.pendingTextOrigin() || m_vm.editingTextID())
        commitPendingText();
    // Looked up again: a commit may have removed an annotation before it.
    const qsizetype j = m_vm.indexOf(id);
    if (j < 0)
        return;
    const QString text = m_vm.state().annotations[j].text.value_or(QString());
    m_vm.setSelectedAnnotationID(id);
    m_newBubbleVersion.reset();
    m_textBuffer.setText(text);
    m_vm.setTextEntry(m_vm.pendingTextOrigin(), m_vm.editingTextID(), id);
}

void TextEntry::commitBubbleEdit()
{
    const std::optional<QUuid> editing = m_vm.editingBubbleID();
    if (!editing)
        return;
    const qsizetype i = m_vm.indexOf(*editing);
    const QString typed = m_textBuffer.text();
    if (i >= 0 && m_vm.state().annotations[i].text.value_or(QString()) != typed) {
        // A changed text is a step of its own, so undo takes back just the
        // words; a bubble's first words stay with the step that drew it as
        // long as nothing else was recorded in between.
        AnnotationObject worded = m_vm.state().annotations[i];
        worded.text = typed;
        m_vm.changeAnnotation(worded, m_newBubbleVersion != m_vm.historyVersion());
    }
    m_newBubbleVersion.reset();
    m_textBuffer.setText(QString());
    m_vm.setTextEntry(m_vm.pendingTextOrigin(), m_vm.editingTextID(), std::nullopt);
}

void TextEntry::commitPendingText()
{
    const QString t = m_textBuffer.text().trimmed();
    if (const std::optional<QUuid> editing = m_vm.editingTextID()) {
        const qsizetype i = m_vm.indexOf(*editing);
        if (i >= 0 && t.isEmpty()) {
            m_vm.removeAnnotation(*editing);
        } else if (i >= 0 && m_vm.state().annotations[i].text != t) {
            // Committed unchanged (Return, or a click elsewhere) records no step.
            AnnotationObject changed = m_vm.state().annotations[i];
            changed.text = t;
            m_vm.changeAnnotation(changed);
        }
    } else if (const std::optional<QPointF> origin = m_vm.pendingTextOrigin(); origin && !t.isEmpty()) {
        const EditorState& s = m_vm.state();
        AnnotationObject a = m_vm.newAnnotation(m_pendingKind, s.selectedColor, {*origin});
        if (a.kind == AnnotationKind::speechBubble)
            a.lineWidth = std::max(a.lineWidth, 2.0);
        a.text = t;
        a.fontSize = s.fontSize;
        a.fontName = s.selectedFontName;
        m_vm.addAnnotation(a);
    }
    cancelPendingText();
}

void TextEntry::cancelPendingText()
{
    // The buffer also serves an open bubble edit.
    if (!m_vm.editingBubbleID())
        m_textBuffer.setText(QString());
    m_vm.setTextEntry(std::nullopt, std::nullopt, m_vm.editingBubbleID());
}

void TextEntry::insertText(const QString& s)
{
    const QSizeF px = m_vm.imagePixelSize();
    const double W = px.width(), H = px.height();
    if (!(W > 0) || !(H > 0))
        return;
    const EditorState& state = m_vm.state();
    const QSizeF size = m_environment.textSize(s, state.fontSize, state.selectedFontName);
    // A text larger than the picture starts at its top-left corner.
    const QPointF origin(std::max((W - size.width()) * 0.5, 0.0), std::max((H - size.height()) * 0.5, 0.0));
    AnnotationObject a = m_vm.newAnnotation(AnnotationKind::text, state.selectedColor, {origin});
    a.text = s;
    a.fontSize = state.fontSize;
    a.fontName = state.selectedFontName;
    m_vm.addAnnotation(a);
    m_vm.setTool(EditorTool::select);
}

void TextEntry::windowWillClose()
{
    commitPendingText();
    commitBubbleEdit();
}

void TextEntry::selectionPress(QPointF p)
{
    if (m_vm.editingBubbleID() && m_vm.annotationAt(p) != m_vm.editingBubbleID())
        commitBubbleEdit();
    if (m_vm.editingTextID() && m_vm.annotationAt(p) != m_vm.editingTextID())
        commitPendingText();
}

void TextEntry::drawingAdded(QUuid id, AnnotationKind kind)
{
    if (kind != AnnotationKind::speechBubble)
        return;
    // A new bubble's words are typed right away, and they belong to the step that drew it.
    beginEditingBubble(id);
    m_newBubbleVersion = m_vm.historyVersion();
}
