// Style setters: each sets a tool default and the same property of every
// selected annotation it applies to, as one undo step.
#include "Editor/EditorViewModel.h"

EditorViewModel::KindSet EditorViewModel::kinds(std::initializer_list<AnnotationKind> list)
{
    KindSet set = 0;
    for (AnnotationKind k : list)
        set |= 1u << unsigned(k);
    return set;
}

template <typename Change>
void EditorViewModel::applyToSelected(KindSet fitting, Change change)
{
    if (m_selectedIDs.isEmpty())
        return;
    // Work out the changes first: a setter that changes nothing leaves no
    // empty step in the history.
    QList<std::pair<qsizetype, AnnotationObject>> changed;
    QSet<QUuid> pending = m_selectedIDs;
    for (qsizetype i = 0; i < m_state.annotations.size() && !pending.isEmpty(); ++i) {
        const AnnotationObject& a = m_state.annotations[i];
        if (!pending.remove(a.id) || !(fitting & (1u << unsigned(a.kind))))
            continue;
        AnnotationObject b = a;
        change(b);
        if (!(b == a))
            changed.append({i, std::move(b)});
    }
    if (changed.isEmpty())
        return;
    if (!m_isCoalescingStyleEdit || m_styleEditNeedsSnapshot) {
        pushUndo();
        m_styleEditNeedsSnapshot = false;
    }
    for (auto& [i, b] : changed)
        m_state.annotations[i] = std::move(b);
    Q_EMIT annotationsChanged();
}

template <typename Value>
void EditorViewModel::setSetting(Value EditorState::*field, const Value& value)
{
    if (m_state.*field == value)
        return;
    m_state.*field = value;
    Q_EMIT settingsChanged();
}

void EditorViewModel::beginStyleEdit()
{
    // The snapshot waits for the first change, so a press without a move
    // records nothing; a second begin starts a further step.
    m_isCoalescingStyleEdit = true;
    m_styleEditNeedsSnapshot = true;
}

void EditorViewModel::endStyleEdit()
{
    m_isCoalescingStyleEdit = false;
    m_styleEditNeedsSnapshot = false;
}

void EditorViewModel::setColor(const RGBAColor& c)
{
    setSetting(&EditorState::selectedColor, c);
    if (m_state.selectedTool == EditorTool::cursor)
        setSetting(&EditorState::cursorHighlightColor, c);
    applyToSelected(everyKind, [&](AnnotationObject& a) {
        a.color = c;
        if (a.kind == AnnotationKind::cursor)
            a.highlightColor = c;
    });
}

void EditorViewModel::setLineWidth(double w)
{
    setSetting(&EditorState::lineWidth, w);
    applyToSelected(everyKind & ~kinds({AnnotationKind::text}), [&](AnnotationObject& a) { a.lineWidth = w; });
}

void EditorViewModel::setBlurStyle(BlurStyle style)
{
    setSetting(&EditorState::selectedBlurStyle, style);
    applyToSelected(kinds({AnnotationKind::blur}), [&](AnnotationObject& a) { a.blurStyle = style; });
}

void EditorViewModel::setBlurAmount(double amount)
{
    setSetting(&EditorState::blurAmount, amount);
    applyToSelected(kinds({AnnotationKind::blur}), [&](AnnotationObject& a) { a.blurAmount = amount; });
}

void EditorViewModel::setMagnification(double zoom)
{
    setSetting(&EditorState::magnifierZoom, zoom);
    applyToSelected(kinds({AnnotationKind::magnifier}), [&](AnnotationObject& a) { a.magnification = zoom; });
}

void EditorViewModel::setCursorStyle(const QString& style)
{
    setSetting(&EditorState::cursorStyle, style);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.cursorStyle = style; });
}

void EditorViewModel::setCursorSize(double size)
{
    setSetting(&EditorState::cursorSize, size);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.cursorSize = size; });
}

void EditorViewModel::setCursorHighlightEnabled(bool enabled)
{
    setSetting(&EditorState::cursorHighlightEnabled, enabled);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.highlightEnabled = enabled; });
}

void EditorViewModel::setCursorHighlightColor(const RGBAColor& c)
{
    setSetting(&EditorState::cursorHighlightColor, c);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.highlightColor = c; });
}

void EditorViewModel::setCursorHighlightSize(double size)
{
    setSetting(&EditorState::cursorHighlightSize, size);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.highlightSize = size; });
}

void EditorViewModel::setCursorHighlightOpacity(double opacity)
{
    setSetting(&EditorState::cursorHighlightOpacity, opacity);
    applyToSelected(kinds({AnnotationKind::cursor}), [&](AnnotationObject& a) { a.highlightOpacity = opacity; });
}

void EditorViewModel::setBubbleStyle(SpeechBubbleStyle style)
{
    setSetting(&EditorState::bubbleStyle, style);
    applyToSelected(kinds({AnnotationKind::speechBubble}), [&](AnnotationObject& a) { a.bubbleStyle = style; });
}

void EditorViewModel::setDashed(bool dashed)
{
    setSetting(&EditorState::dashed, dashed);
    applyToSelected(
        kinds({AnnotationKind::rectangle, AnnotationKind::ellipse, AnnotationKind::arrow, AnnotationKind::line}),
        [&](AnnotationObject& a) { a.dashed = dashed; });
}

void EditorViewModel::setFillEnabled(bool enabled)
{
    setSetting(&EditorState::fillEnabled, enabled);
    const std::optional<RGBAColor> fill = enabled ? std::optional(m_state.fillColor) : std::nullopt;
    applyToSelected(kinds({AnnotationKind::rectangle, AnnotationKind::ellipse}),
                    [&](AnnotationObject& a) { a.fillColor = fill; });
}

void EditorViewModel::setFillColor(const RGBAColor& c)
{
    setSetting(&EditorState::fillColor, c);
    setSetting(&EditorState::fillEnabled, true);
    applyToSelected(kinds({AnnotationKind::rectangle, AnnotationKind::ellipse}),
                    [&](AnnotationObject& a) { a.fillColor = c; });
}

void EditorViewModel::setCornerRadius(double radius)
{
    setSetting(&EditorState::cornerRadius, radius);
    applyToSelected(kinds({AnnotationKind::rectangle}), [&](AnnotationObject& a) { a.cornerRadius = radius; });
}

void EditorViewModel::setBadgeColor(const RGBAColor& c)
{
    setSetting(&EditorState::badgeColor, c);
    applyToSelected(kinds({AnnotationKind::badge}), [&](AnnotationObject& a) { a.color = c; });
}

void EditorViewModel::setBadgeTextColor(const RGBAColor& c)
{
    setSetting(&EditorState::badgeTextColor, c);
    applyToSelected(kinds({AnnotationKind::badge}), [&](AnnotationObject& a) { a.badgeTextColor = c; });
}

void EditorViewModel::setBadgeSize(double size)
{
    setSetting(&EditorState::badgeSize, size);
    applyToSelected(kinds({AnnotationKind::badge}), [&](AnnotationObject& a) { a.badgeSize = size; });
}

void EditorViewModel::setBadgeFontSize(double size)
{
    setSetting(&EditorState::badgeFontSize, size);
    applyToSelected(kinds({AnnotationKind::badge}), [&](AnnotationObject& a) { a.fontSize = size; });
}

void EditorViewModel::setFontSize(double size)
{
    setSetting(&EditorState::fontSize, size);
    applyToSelected(kinds({AnnotationKind::text, AnnotationKind::speechBubble}),
                    [&](AnnotationObject& a) { a.fontSize = size; });
}

void EditorViewModel::setFontName(const std::optional<QString>& name)
{
    setSetting(&EditorState::selectedFontName, name);
    applyToSelected(kinds({AnnotationKind::text, AnnotationKind::speechBubble}),
                    [&](AnnotationObject& a) { a.fontName = name; });
}

void EditorViewModel::storeCropAspect(CropAspect aspect)
{
    setSetting(&EditorState::cropAspect, aspect);
}
