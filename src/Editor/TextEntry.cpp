#include "Editor/TextEntry.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <algorithm>

using Words = AnnotationKindBehaviour::Words;

namespace {

Words wordsOf(const AnnotationObject& a)
{
    return AnnotationKinds::of(a.kind).words();
}

} // namespace

TextEntry::TextEntry(EditorViewModel& vm, const EditorEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_environment(environment)
{
    connect(&vm, &EditorViewModel::toolAboutToChange, this, [this] {
        commitBubbleEdit();
        cancelPendingText();
    });
    connect(&vm, &EditorViewModel::annotationsReset, this, &TextEntry::cancelPendingText);
}

void TextEntry::setEntry(std::optional<QPointF> origin, std::optional<QUuid> textID, std::optional<QUuid> bubbleID)
{
    if (origin == m_pendingTextOrigin && textID == m_editingTextID && bubbleID == m_editingBubbleID)
        return;
    m_pendingTextOrigin = origin;
    m_editingTextID = textID;
    m_editingBubbleID = bubbleID;
    Q_EMIT textEntryChanged();
}

void TextEntry::handleDoubleClick(QPointF p)
{
    const std::optional<QUuid> hit = m_vm.annotationAt(p);
    if (!hit)
        return;
    const AnnotationObject& a = m_vm.state().annotations[m_vm.indexOf(*hit)];
    const QUuid id = a.id;
    switch (wordsOf(a)) {
    case Words::atOrigin:
        m_vm.setSelectedAnnotationID(id);
        beginEditingText(id);
        break;
    case Words::inside:
        m_vm.setSelectedAnnotationID(id);
        beginEditingBubble(id);
        break;
    case Words::none:
        break;
    }
}

// One field is open at a time, since all fields share the buffer: opening one
// commits the words of another kind of field first.

void TextEntry::beginText(QPointF p, AnnotationKind kind)
{
    commitBubbleEdit();
    if (m_pendingTextOrigin || m_editingTextID)
        commitPendingText();
    m_pendingKind = kind;
    m_textBuffer.setText(QString());
    setEntry(p, m_editingTextID, m_editingBubbleID);
}

void TextEntry::beginEditingText(QUuid id)
{
    const qsizetype i = m_vm.indexOf(id);
    if (i < 0)
        return;
    const AnnotationObject& a = m_vm.state().annotations[i];
    if (wordsOf(a) != Words::atOrigin || a.points.isEmpty())
        return;
    const AnnotationKind kind = a.kind;
    const QPointF origin = a.points.first();
    const QString text = a.text.value_or(QString());
    commitBubbleEdit();
    m_vm.setSelectedAnnotationID(id);
    m_pendingKind = kind;
    m_textBuffer.setText(text);
    setEntry(origin, id, m_editingBubbleID);
}

void TextEntry::beginEditingBubble(QUuid id)
{
    const qsizetype i = m_vm.indexOf(id);
    if (i < 0 || wordsOf(m_vm.state().annotations[i]) != Words::inside)
        return;
    if (m_editingBubbleID != id)
        commitBubbleEdit();
    if (m_pendingTextOrigin || m_editingTextID)
        commitPendingText();
    // Looked up again: a commit may have removed an annotation before it.
    const qsizetype j = m_vm.indexOf(id);
    if (j < 0)
        return;
    const QString text = m_vm.state().annotations[j].text.value_or(QString());
    m_vm.setSelectedAnnotationID(id);
    m_newBubbleVersion.reset();
    m_textBuffer.setText(text);
    setEntry(m_pendingTextOrigin, m_editingTextID, id);
}

void TextEntry::beginWordsOfNewBubble(QUuid id)
{
    beginEditingBubble(id);
    m_newBubbleVersion = m_vm.historyVersion();
}

void TextEntry::commitBubbleEdit()
{
    const std::optional<QUuid> editing = m_editingBubbleID;
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
    setEntry(m_pendingTextOrigin, m_editingTextID, std::nullopt);
}

void TextEntry::commitPendingText()
{
    const QString t = m_textBuffer.text().trimmed();
    if (const std::optional<QUuid> editing = m_editingTextID) {
        const qsizetype i = m_vm.indexOf(*editing);
        if (i >= 0 && t.isEmpty()) {
            m_vm.removeAnnotation(*editing);
        } else if (i >= 0 && m_vm.state().annotations[i].text != t) {
            // Committed unchanged (Return, or a click elsewhere) records no step.
            AnnotationObject changed = m_vm.state().annotations[i];
            changed.text = t;
            m_vm.changeAnnotation(changed);
        }
    } else if (const std::optional<QPointF> origin = m_pendingTextOrigin; origin && !t.isEmpty()) {
        AnnotationObject a = m_vm.newAnnotation(m_pendingKind, {*origin});
        a.text = t;
        m_vm.addAnnotation(a);
    }
    cancelPendingText();
}

void TextEntry::cancelPendingText()
{
    // The buffer also serves an open bubble edit.
    if (!m_editingBubbleID)
        m_textBuffer.setText(QString());
    setEntry(std::nullopt, std::nullopt, m_editingBubbleID);
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
    AnnotationObject a = m_vm.newAnnotation(AnnotationKind::text, {origin});
    a.text = s;
    m_vm.addAnnotation(a);
    m_vm.setTool(EditorTool::select);
}

void TextEntry::windowWillClose()
{
    commitPendingText();
    commitBubbleEdit();
}

void TextEntry::selectPress(QPointF p)
{
    if (m_editingBubbleID && m_vm.annotationAt(p) != m_editingBubbleID)
        commitBubbleEdit();
    if (m_editingTextID && m_vm.annotationAt(p) != m_editingTextID)
        commitPendingText();
}
