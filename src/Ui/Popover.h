#pragma once
// A floating rounded panel with an arrow pointing at the control that opened
// it. Click mode is a popup (closed by any click outside); hover mode is a
// tool window that never takes the mouse grab or focus, so the anchor keeps
// receiving its enter and leave events. Its corners and the room beside the
// arrow are see-through (see TranslucentSurface).
#include "Ui/TranslucentSurface.h"

#include <QPointer>
#include <QWidget>

class Popover : public QWidget, public TranslucentSurface {
    Q_OBJECT
public:
    enum class Mode { click, hover };
    explicit Popover(Mode mode = Mode::click, QWidget* parent = nullptr);

    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }
    Mode mode() const { return m_mode; }

    // Shows the popover below the anchor (arrow pointing up at its centre),
    // kept inside the anchor's screen; above it when there is no room below.
    void showAt(QWidget* anchor);
    // A click popover opened by a control that only opens it: a press on that
    // control leaves it open (by default the press closes it, as any press
    // outside does).
    void setAnchorPressKeepsOpen(bool keeps) { m_anchorPressKeepsOpen = keeps; }
    bool arrowOnTop() const { return m_arrowOnTop; }
    // The card with its arrow, in window coordinates: what is drawn opaque.
    QPainterPath cardShape() const;

    static constexpr int arrowHeight = 8;
    static constexpr int arrowWidth = 16;
    static constexpr qreal radius = 10;
    static constexpr int contentPadding = 10;

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    QWidget& surfaceWindow() override { return *this; }
    QPainterPath surfaceShape() const override { return cardShape(); }

private:
    // Sized to hold the content as it asks: its size hint, but never below
    // its minimum or above its maximum (a fixed size is both).
    void relayout();

    Mode m_mode;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_anchor;
    bool m_anchorPressKeepsOpen = false;
    bool m_arrowOnTop = true;
    qreal m_arrowX = 0;
};
