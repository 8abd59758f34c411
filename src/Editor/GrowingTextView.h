#pragma once
// The editable text of an in-place field on the canvas: plain text that never
// wraps, whose size follows its content, bound both ways to the text entry's
// buffer. Return or keypad Enter asks for a commit (with Shift they break the
// line), Escape for a cancel, and losing the focus to another control of the
// window commits. Each field asks exactly once: after its first request, or
// after finish(), it stays silent, so a field that goes away on a commit does
// not commit again as its focus leaves.
#include <QTextEdit>

class TextEntryBuffer;

class GrowingTextView : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int inset = 3;

    explicit GrowingTextView(TextEntryBuffer& buffer, QWidget* parent = nullptr);

    // The font and colour of the whole text.
    void setTextFont(const QFont& font);
    void setTextColor(const QColor& color);
    // The field is at least this wide however short its text.
    void setMinimumFieldWidth(int width);
    // No further commit or cancel: the field is being taken away.
    void finish() { m_finished = true; }

Q_SIGNALS:
    void commitRequested();
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void request(bool commit);
    void fitToContent();

    TextEntryBuffer& m_buffer;
    int m_minimumWidth = 0;
    bool m_finished = false;
};
