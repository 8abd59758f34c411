#include "Editor/InPlaceTextFields.h"

#include "Editor/AnnotationFont.h"
#include "Editor/AnnotationGeometry.h"
#include "Editor/EditorViewModel.h"
#include "Editor/GrowingTextView.h"
#include "Editor/TextEntry.h"
#include "Ui/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Below this the words in a field are no longer readable, whatever the zoom.
constexpr double minimumFieldFontSize = 11;

// The box a field sits in: a rounded background with an accent outline, or nothing.
class FieldFrame : public QWidget {
public:
    FieldFrame(bool framed, QWidget* parent)
        : QWidget(parent)
        , m_framed(framed)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->setContentsMargins(framed ? QMargins(2, 1, 2, 1) : QMargins());
        layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_framed)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Theme::accent(this), 1));
        p.setBrush(Theme::withAlpha(Theme::textBackground(this), 0.9));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }

private:
    bool m_framed;
};

double displayScale(const EditorViewModel& vm, QSizeF contentSize)
{
    return AnnotationGeometry::fittedTransform(vm.imagePixelSize(), contentSize).scale;
}

QFont fieldFont(const std::optional<QString>& name, double scaledSize, const QPaintDevice& device)
{
    return AnnotationFont::resolve(name, std::max(scaledSize, minimumFieldFontSize), device);
}

const AnnotationObject* annotationWithID(const EditorViewModel& vm, const std::optional<QUuid>& id)
{
    if (!id)
        return nullptr;
    for (const AnnotationObject& a : vm.state().annotations)
        if (a.id == *id)
            return &a;
    return nullptr;
}

} // namespace

std::optional<InPlaceTextFields::Look> InPlaceTextFields::entryFieldLook(const EditorViewModel& vm,
                                                                         const TextEntry& entry, QSizeF content,
                                                                         const QPaintDevice& device)
{
    if (!entry.pendingTextOrigin())
        return std::nullopt;
    const EditorState& s = vm.state();
    const AnnotationObject* edited = annotationWithID(vm, entry.editingTextID());
    const double size = edited && edited->fontSize ? *edited->fontSize : s.fontSize;
    const std::optional<QString> name = edited && edited->fontName ? edited->fontName : s.selectedFontName;
    const RGBAColor colour = edited ? edited->color : s.selectedColor;
    Look look;
    look.topLeft = AnnotationGeometry::viewPoint(*entry.pendingTextOrigin(), vm.imagePixelSize(), content);
    look.font = fieldFont(name, displayScale(vm, content) * size, device);
    look.color = colour.toQColor();
    look.framed = true;
    return look;
}

std::optional<InPlaceTextFields::Look> InPlaceTextFields::bubbleFieldLook(const EditorViewModel& vm,
                                                                          const TextEntry& entry, QSizeF content,
                                                                          const QPaintDevice& device)
{
    const AnnotationObject* bubble = annotationWithID(vm, entry.editingBubbleID());
    if (!bubble || bubble->points.size() < 2)
        return std::nullopt;
    const QRectF box = QRectF(bubble->points[0], bubble->points[1]).normalized();
    const double s = displayScale(vm, content);
    const double inset = std::max(0.16 * std::min(box.width(), box.height()), 8.0);
    Look look;
    look.topLeft = AnnotationGeometry::viewPoint(box.topLeft() + QPointF(inset, inset), vm.imagePixelSize(), content);
    look.font = fieldFont(bubble->fontName, s * bubble->fontSize.value_or(22), device);
    look.color = QColor::fromRgbF(0.11f, 0.11f, 0.11f);
    look.minimumWidth = int(std::ceil(std::max(s * (box.width() - 2 * inset), 40.0)));
    return look;
}

InPlaceTextFields::InPlaceTextFields(const EditorViewModel& vm, TextEntry& textEntry, QWidget& content)
    : m_vm(vm)
    , m_textEntry(textEntry)
    , m_content(content)
    , m_contentSize(content.size())
{
    for (auto signal :
         {&EditorViewModel::annotationsChanged, &EditorViewModel::settingsChanged, &EditorViewModel::imageChanged})
        connect(&vm, signal, this, &InPlaceTextFields::sync);
    connect(&textEntry, &TextEntry::textEntryChanged, this, &InPlaceTextFields::sync);
    sync();
}

InPlaceTextFields::~InPlaceTextFields()
{
    if (m_text)
        m_text->finish();
}

GrowingTextView* InPlaceTextFields::textView() const
{
    return m_text;
}

void InPlaceTextFields::setContentSize(QSizeF size)
{
    m_contentSize = size;
    sync();
}

std::optional<InPlaceTextFields::Owner> InPlaceTextFields::currentOwner() const
{
    if (annotationWithID(m_vm, m_textEntry.editingBubbleID()))
        return Owner{true, m_textEntry.editingBubbleID(), std::nullopt};
    if (m_textEntry.pendingTextOrigin())
        return Owner{false, m_textEntry.editingTextID(), m_textEntry.pendingTextOrigin()};
    return std::nullopt;
}

std::optional<InPlaceTextFields::Look> InPlaceTextFields::currentLook() const
{
    if (!m_owner)
        return std::nullopt;
    return m_owner->bubble ? bubbleFieldLook(m_vm, m_textEntry, m_contentSize, m_content)
                           : entryFieldLook(m_vm, m_textEntry, m_contentSize, m_content);
}

void InPlaceTextFields::sync()
{
    const std::optional<Owner> owner = currentOwner();
    if (owner != m_owner || !m_field) {
        close();
        m_owner = owner;
    }
    const std::optional<Look> look = currentLook();
    if (!look) {
        close();
        m_owner.reset();
        return;
    }
    if (!m_field) {
        m_field = new FieldFrame(look->framed, &m_content);
        m_text = new GrowingTextView(m_textEntry.textBuffer(), m_field);
        m_field->layout()->addWidget(m_text);
        // Escape in a bubble keeps its words as well.
        const bool bubble = m_owner->bubble;
        connect(m_text, &GrowingTextView::commitRequested, &m_textEntry,
                [entry = &m_textEntry, bubble] { bubble ? entry->commitBubbleEdit() : entry->commitPendingText(); });
        connect(m_text, &GrowingTextView::cancelRequested, &m_textEntry,
                [entry = &m_textEntry, bubble] { bubble ? entry->commitBubbleEdit() : entry->cancelPendingText(); });
    }
    m_text->setTextFont(look->font);
    m_text->setTextColor(look->color);
    m_text->setMinimumFieldWidth(look->minimumWidth);
    m_field->move(look->topLeft.toPoint());
    m_field->show();
    m_field->raise();
}

void InPlaceTextFields::close()
{
    if (!m_field)
        return;
    if (m_text)
        m_text->finish();
    // The keys go back to the canvas, not to whatever control is next.
    if (m_field->isAncestorOf(QApplication::focusWidget()))
        m_content.setFocus(Qt::OtherFocusReason);
    m_field->hide();
    m_field->deleteLater();
    m_field = nullptr;
    m_text = nullptr;
}
