// Style setters: each sets a tool default and the same property of every
// selected annotation it applies to, as one undo step; and the style a new
// annotation takes from the tool settings.
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <algorithm>

namespace {

using Option = AnnotationKindBehaviour::Option;

bool offers(AnnotationKind kind, Option option)
{
    return AnnotationKinds::of(kind).options().testFlag(option);
}

// The kinds whose option groups hold a setting.
auto offering(Option option)
{
    return [option](const AnnotationKindBehaviour& k) { return k.options().testFlag(option); };
}

bool everyKind(const AnnotationKindBehaviour&)
{
    return true;
}

} // namespace

template <typename Fits, typename Change>
void EditorViewModel::applyToSelected(Fits fits, Change change)
{
    if (m_selectedIDs.isEmpty())
        return;
    // Work out the changes first: a setter that changes nothing leaves no
    // empty step in the history.
    QList<std::pair<qsizetype, AnnotationObject>> changed;
    QSet<QUuid> pending = m_selectedIDs;
    for (qsizetype i = 0; i < m_state.annotations.size() && !pending.isEmpty(); ++i) {
        const AnnotationObject& a = m_state.annotations[i];
        if (!pending.remove(a.id) || !fits(AnnotationKinds::of(a.kind)))
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
    // A cursor's colour is its highlight's.
    const std::optional<AnnotationKind> toolKind = annotationKind(m_state.selectedTool);
    if (toolKind && offers(*toolKind, Option::cursor))
        setSetting(&EditorState::cursorHighlightColor, c);
    applyToSelected(everyKind, [&](AnnotationObject& a) {
        a.color = c;
        if (offers(a.kind, Option::cursor))
            a.highlightColor = c;
    });
}

void EditorViewModel::setLineWidth(double w)
{
    setSetting(&EditorState::lineWidth, w);
    applyToSelected([](const AnnotationKindBehaviour& k) { return k.hasLineWidth(); },
                    [&](AnnotationObject& a) { a.lineWidth = w; });
}

void EditorViewModel::setBlurStyle(BlurStyle style)
{
    setSetting(&EditorState::selectedBlurStyle, style);
    applyToSelected(offering(Option::blur), [&](AnnotationObject& a) { a.blurStyle = style; });
}

void EditorViewModel::setBlurAmount(double amount)
{
    setSetting(&EditorState::blurAmount, amount);
    applyToSelected(offering(Option::blur), [&](AnnotationObject& a) { a.blurAmount = amount; });
}

void EditorViewModel::setMagnification(double zoom)
{
    setSetting(&EditorState::magnifierZoom, zoom);
    applyToSelected(offering(Option::magnifier), [&](AnnotationObject& a) { a.magnification = zoom; });
}

void EditorViewModel::setCursorStyle(const QString& style)
{
    setSetting(&EditorState::cursorStyle, style);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.cursorStyle = style; });
}

void EditorViewModel::setCursorSize(double size)
{
    setSetting(&EditorState::cursorSize, size);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.cursorSize = size; });
}

void EditorViewModel::setCursorHighlightEnabled(bool enabled)
{
    setSetting(&EditorState::cursorHighlightEnabled, enabled);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.highlightEnabled = enabled; });
}

void EditorViewModel::setCursorHighlightColor(const RGBAColor& c)
{
    setSetting(&EditorState::cursorHighlightColor, c);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.highlightColor = c; });
}

void EditorViewModel::setCursorHighlightSize(double size)
{
    setSetting(&EditorState::cursorHighlightSize, size);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.highlightSize = size; });
}

void EditorViewModel::setCursorHighlightOpacity(double opacity)
{
    setSetting(&EditorState::cursorHighlightOpacity, opacity);
    applyToSelected(offering(Option::cursor), [&](AnnotationObject& a) { a.highlightOpacity = opacity; });
}

void EditorViewModel::setBubbleStyle(SpeechBubbleStyle style)
{
    setSetting(&EditorState::bubbleStyle, style);
    applyToSelected(offering(Option::bubble), [&](AnnotationObject& a) { a.bubbleStyle = style; });
}

void EditorViewModel::setDashed(bool dashed)
{
    setSetting(&EditorState::dashed, dashed);
    applyToSelected(offering(Option::dashed),
        [&](AnnotationObject& a) { a.dashed = dashed; });
}

void EditorViewModel::setFillEnabled(bool enabled)
{
    setSetting(&EditorState::fillEnabled, enabled);
    const std::optional<RGBAColor> fill = enabled ? std::optional(m_state.fillColor) : std::nullopt;
    applyToSelected(offering(Option::fill),
                    [&](AnnotationObject& a) { a.fillColor = fill; });
}

void EditorViewModel::setFillColor(const RGBAColor& c)
{
    setSetting(&EditorState::fillColor, c);
    setSetting(&EditorState::fillEnabled, true);
    applyToSelected(offering(Option::fill),
                    [&](AnnotationObject& a) { a.fillColor = c; });
}

void EditorViewModel::setCornerRadius(double radius)
{
    setSetting(&EditorState::cornerRadius, radius);
    applyToSelected(offering(Option::corner), [&](AnnotationObject& a) { a.cornerRadius = radius; });
}

void EditorViewModel::setBadgeColor(const RGBAColor& c)
{
    setSetting(&EditorState::badgeColor, c);
    applyToSelected(offering(Option::badge), [&](AnnotationObject& a) { a.color = c; });
}

void EditorViewModel::setBadgeTextColor(const RGBAColor& c)
{
    setSetting(&EditorState::badgeTextColor, c);
    applyToSelected(offering(Option::badge), [&](AnnotationObject& a) { a.badgeTextColor = c; });
}

void EditorViewModel::setBadgeSize(double size)
{
    setSetting(&EditorState::badgeSize, size);
    applyToSelected(offering(Option::badge), [&](AnnotationObject& a) { a.badgeSize = size; });
}

void EditorViewModel::setBadgeFontSize(double size)
{
    setSetting(&EditorState::badgeFontSize, size);
    applyToSelected(offering(Option::badge), [&](AnnotationObject& a) { a.fontSize = size; });
}

void EditorViewModel::setFontSize(double size)
{
    setSetting(&EditorState::fontSize, size);
    applyToSelected(offering(Option::font),
                    [&](AnnotationObject& a) { a.fontSize = size; });
}

void EditorViewModel::setFontName(const std::optional<QString>& name)
{
    setSetting(&EditorState::selectedFontName, name);
    applyToSelected(offering(Option::font),
                    [&](AnnotationObject& a) { a.fontName = name; });
}

void EditorViewModel::storeCropAspect(CropAspect aspect)
{
    setSetting(&EditorState::cropAspect, aspect);
}

AnnotationObject EditorViewModel::newAnnotation(AnnotationKind kind, QList<QPointF> points) const
{
    const AnnotationKindBehaviour& behaviour = AnnotationKinds::of(kind);
    const EditorState& s = m_state;
    AnnotationObject a; // a fresh identifier
    a.kind = kind;
    a.color = s.selectedColor;
    a.lineWidth = std::max(s.lineWidth, behaviour.minimumLineWidth());
    a.points = std::move(points);
    // The settings of the groups the toolbar shows for the kind.
    const AnnotationKindBehaviour::Options offered = behaviour.options();
    if (offered.testFlag(Option::font)) {
        a.fontSize = s.fontSize;
        a.fontName = s.selectedFontName;
    }
    if (offered.testFlag(Option::bubble))
        a.bubbleStyle = s.bubbleStyle;
    if (offered.testFlag(Option::magnifier))
        a.magnification = s.magnifierZoom;
    if (offered.testFlag(Option::cursor)) {
        a.cursorStyle = s.cursorStyle;
        a.cursorSize = s.cursorSize;
        a.highlightEnabled = s.cursorHighlightEnabled;
        a.highlightColor = s.cursorHighlightColor;
        a.highlightSize = s.cursorHighlightSize;
        a.highlightOpacity = s.cursorHighlightOpacity;
    }
    if (offered.testFlag(Option::blur)) {
        a.blurStyle = s.selectedBlurStyle;
        a.blurAmount = s.blurAmount;
    }
    if (offered.testFlag(Option::dashed))
        a.dashed = s.dashed;
    if (offered.testFlag(Option::fill) && s.fillEnabled)
        a.fillColor = s.fillColor;
    if (offered.testFlag(Option::corner))
        a.cornerRadius = s.cornerRadius;
    if (offered.testFlag(Option::badge)) {
        a.color = s.badgeColor;
        a.fontSize = s.badgeFontSize;
        a.badgeSize = s.badgeSize;
        a.badgeTextColor = s.badgeTextColor;
    }
    behaviour.setUpNew(a, s.annotations);
    return a;
}
