#pragma once
// The in-place text fields of the canvas: the entry field of a new or
// re-edited text at the text entry's pending origin, and the field inside a
// speech bubble whose words are edited. At most one is open, as a child of the
// canvas content above the drawing; every opening builds a new field, which
// goes away when the text entry closes (or the bubble is gone). The
// field writes the text entry's buffer and hands Return and Escape to it.
#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QUuid>
#include <optional>

class EditorViewModel;
class GrowingTextView;
class TextEntry;
class QPaintDevice;
class QWidget;

class InPlaceTextFields : public QObject {
    Q_OBJECT
public:
    // Where a field sits and how its text looks, in view points of the content.
    struct Look {
        QPointF topLeft;
        QFont font;
        QColor color;
        int minimumWidth = 0;
        bool framed = false; // on a rounded background with an accent outline
    };
    // The field of a new text (the current font, size and colour) or of a
    // re-edited one (its own); none while no entry is open.
    static std::optional<Look> entryFieldLook(const EditorViewModel& vm, const TextEntry& entry,
                                              QSizeF contentSize, const QPaintDevice& device);
    // Inside the edited bubble, in its dark text colour; none without one.
    static std::optional<Look> bubbleFieldLook(const EditorViewModel& vm, const TextEntry& entry,
                                               QSizeF contentSize, const QPaintDevice& device);

    // Lives no longer than the content widget (its owner's member).
    InPlaceTextFields(const EditorViewModel& vm, TextEntry& textEntry, QWidget& content);
    ~InPlaceTextFields() override;

    // The canvas content changed size (zoom, window size).
    void setContentSize(QSizeF size);
    // The open field's text, if any.
    GrowingTextView* textView() const;

private:
    // Which entry a field belongs to: another one needs a new field.
    struct Owner {
        bool bubble = false;
        std::optional<QUuid> id;
        std::optional<QPointF> origin;
        bool operator==(const Owner&) const = default;
    };
    std::optional<Owner> currentOwner() const;
    std::optional<Look> currentLook() const;
    void sync();
    void close();

    const EditorViewModel& m_vm;
    TextEntry& m_textEntry;
    QWidget& m_content;
    QSizeF m_contentSize;
    QPointer<QWidget> m_field;
    QPointer<GrowingTextView> m_text;
    std::optional<Owner> m_owner;
};
