#pragma once
// A run of toolbar controls that may be wider than the room the row leaves
// it. The controls keep their own widths and slide sideways inside; an end
// with controls beyond it fades out under an arrow (ToolbarScrollEdge) that
// scrolls on. The wheel, either way, scrolls as well, and a control reached
// with the keyboard is brought into view. While everything fits it is just
// the run.
#include <QWidget>

class ToolbarScrollEdge;

class ToolbarScroller : public QWidget {
    Q_OBJECT
public:
    // Takes over `content`.
    explicit ToolbarScroller(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    int offset() const { return m_offset; }
    // How far the run can slide; 0 while everything fits.
    int maximumOffset() const;
    void scrollTo(int offset);
    // Slides until `descendant` is wholly in view (as far as the room allows).
    void ensureVisible(const QWidget* descendant);

    // The run's own size; the least it shrinks to is both edges and a control.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void relayout();
    // One arrow click: most of the visible width, so a control cut at the
    // edge comes in whole.
    int pageStep() const;

    QWidget* m_content;
    ToolbarScrollEdge* m_leading;
    ToolbarScrollEdge* m_trailing;
    int m_offset = 0;
    int m_wheelRest = 0; // eighths of a degree not yet turned into pixels
};
