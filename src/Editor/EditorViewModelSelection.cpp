// Selection, hit testing and deletion.
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <tuple>

std::optional<QUuid> EditorViewModel::annotationAt(QPointF at) const
{
    if (const auto i = m_hitTest.topHit(m_state.annotations, at))
        return m_state.annotations[*i].id;
    return std::nullopt;
}

qsizetype EditorViewModel::indexOf(const QUuid& id) const
{
    const auto& list = m_state.annotations;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].id == id)
            return i;
    return -1;
}

void EditorViewModel::deleteSelected()
{
    if (m_selectedIDs.isEmpty())
        return;
    pushUndo();
    m_state.annotations.removeIf([&](const AnnotationObject& a) { return m_selectedIDs.contains(a.id); });
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}

void EditorViewModel::adoptCursorSettingsOfSelected()
{
    const auto id = selectedAnnotationID();
    if (!id)
        return;
    const qsizetype i = indexOf(*id);
    if (i < 0 || !AnnotationKinds::of(m_state.annotations[i].kind).options().testFlag(AnnotationKindBehaviour::Option::cursor))
        return;
    // The toolbar's cursor controls show its settings, and the next cursor placed takes them.
    const AnnotationObject& c = m_state.annotations[i];
    EditorState& s = m_state;
    const auto fields = [](const EditorState& e) {
        return std::tie(e.cursorStyle, e.cursorSize, e.cursorHighlightEnabled, e.cursorHighlightColor,
                        e.cursorHighlightSize, e.cursorHighlightOpacity);
    };
    const auto before = std::make_tuple(s.cursorStyle, s.cursorSize, s.cursorHighlightEnabled,
                                        s.cursorHighlightColor, s.cursorHighlightSize, s.cursorHighlightOpacity);
    s.cursorStyle = c.cursorStyle.value_or(s.cursorStyle);
    s.cursorSize = c.cursorSize.value_or(s.cursorSize);
    s.cursorHighlightEnabled = c.highlightEnabled.value_or(s.cursorHighlightEnabled);
    s.cursorHighlightColor = c.highlightColor.value_or(s.cursorHighlightColor);
    s.cursorHighlightSize = c.highlightSize.value_or(s.cursorHighlightSize);
    s.cursorHighlightOpacity = c.highlightOpacity.value_or(s.cursorHighlightOpacity);
    if (fields(s) != before)
        Q_EMIT settingsChanged();
}
