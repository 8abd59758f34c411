#pragma once
// Live Text on the canvas: while the editor's Live Text is on, the words
// recognised in the picture can be selected like text by dragging across
// them (over several lines), the pointer is an I-beam over a word, and
// Ctrl+C copies the selection. While off the overlay is hidden and the
// canvas gets the pointer as usual. A child of the canvas content, covering
// it, below the in-place text fields.
#include "Editor/LiveTextSelection.h"

#include <QWidget>

class CanvasContentView;
class EditorTextRecognition;

class LiveTextOverlay : public QWidget {
    Q_OBJECT
public:
    LiveTextOverlay(EditorTextRecognition& recognition, CanvasContentView& content);

    const LiveTextSelection& selection() const { return m_selection; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void sync();
    QPointF imagePoint(QPointF viewPoint) const;

    EditorTextRecognition& m_recognition;
    CanvasContentView& m_content;
    LiveTextSelection m_selection;
    bool m_dragging = false;
};
