#include "Editor/DrawingGesture.h"

#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"
#include "Editor/TextEntry.h"

using Drawn = AnnotationKindBehaviour::Drawn;
using Words = AnnotationKindBehaviour::Words;

DrawingGesture::DrawingGesture(EditorViewModel& vm, TextEntry& textEntry, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_textEntry(textEntry)
{
}

void DrawingGesture::beginDrag(QPointF p)
{
    const std::optional<AnnotationKind> kind = annotationKind(m_vm.state().selectedTool);
    if (!kind || AnnotationKinds::of(*kind).drawn() != Drawn::byDrag)
        return;
    QList<QPointF> points;
    AnnotationKinds::of(*kind).dragTo(points, p);
    m_draft = m_vm.newAnnotation(*kind, points);
    Q_EMIT draftChanged();
}

void DrawingGesture::updateDrag(QPointF p)
{
    if (!m_draft)
        return;
    AnnotationKinds::of(m_draft->kind).dragTo(m_draft->points, p);
    Q_EMIT draftChanged();
}

void DrawingGesture::endDrag()
{
    if (!m_draft)
        return;
    AnnotationObject d = *m_draft;
    m_draft.reset();
    Q_EMIT draftChanged();
    const AnnotationKindBehaviour& kind = AnnotationKinds::of(d.kind);
    if (!kind.isDrawn(d.points))
        return;
    kind.finishDrawing(d);
    // Its words are typed at once; an earlier bubble's stay as a step of their own before it.
    const bool wordsInside = kind.words() == Words::inside;
    if (wordsInside)
        m_textEntry.commitBubbleEdit();
    m_vm.addAnnotation(d);
    if (wordsInside)
        m_textEntry.beginWordsOfNewBubble(d.id);
}

void DrawingGesture::place(AnnotationKind kind, QPointF p)
{
    m_vm.addAnnotation(m_vm.newAnnotation(kind, {p}));
}

void DrawingGesture::windowWillClose()
{
    if (!m_draft)
        return;
    m_draft.reset();
    Q_EMIT draftChanged();
}
