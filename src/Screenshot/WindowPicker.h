#pragma once
// The window picker of the scrolling capture: one borderless window over each
// screen, above everything. Moving the pointer outlines the window (or the
// scrollable section) under it; a click picks that window, a drag of more than
// 20 x 20 points picks the dragged section of the window under its centre;
// Escape or a right click cancels. Only a left-button press that began on
// the picker can pick.
#include "Screenshot/Backdrop.h"
#include "Screenshot/PickedWindow.h"

#include <QCoroTask>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class ExactPointer;
class PickedWindowLookup;
class ScreenSource;

// The view of one screen. Its own coordinates are the screen's global points
// minus the screen's top-left; callbacks receive global points.
class PickerView : public QWidget {
    Q_OBJECT
public:
    PickerView(const QRect& screenFrame, QImage still, QWidget* parent = nullptr);

    std::function<void()> onMove;
    std::function<void()> onPick;
    std::function<void()> onCancel;
    std::function<void()> onFlags;
    std::function<void(const QRectF& globalRect)> onDrag;

    // Rectangles in global points.
    void setHighlight(std::optional<QRectF> rect, bool isSection);
    std::optional<QRectF> highlight() const { return m_highlight; }
    bool highlightIsSection() const { return m_highlightIsSection; }
    // What the view shows beneath its outlines: the screen as it was.
    const QImage& still() const { return m_still; }
    std::optional<QRectF> dragRect() const { return m_dragRect; }

    static const QColor sectionColor; // green
    static const QColor windowColor;  // accent blue

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF global(const QPointF& local) const { return local + m_origin; }

    QPointF m_origin;
    QImage m_still;
    ExactPointer* m_pointer; // places to the device pixel
    std::optional<QRectF> m_highlight;
    bool m_highlightIsSection = false;
    std::optional<QPointF> m_dragStart; // global
    std::optional<QRectF> m_dragRect;   // global
};

class WindowPicker : public QObject {
    Q_OBJECT
public:
    // backdrop: the still of a screen's rectangle painted under the picker,
    // since a see-through window needs a compositing manager. Without one, or
    // when it gives a null still, the view is plain black at alpha 0.001.
    WindowPicker(PickedWindowLookup& lookup, ScreenSource& screens, Backdrop::Source backdrop,
                 QObject* parent = nullptr);
    ~WindowPicker() override;

    // Shows the picker and waits; nothing when cancelled or when there is no screen.
    QCoro::Task<std::optional<PickedWindow>> pick();

    const QList<QPointer<PickerView>>& views() const { return m_views; }

Q_SIGNALS:
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish(std::optional<PickedWindow> result);
    void updateHighlight();
    void pickAtPointer();
    void pickSection(const QRectF& globalRect);

    PickedWindowLookup& m_lookup;
    ScreenSource& m_screens;
    Backdrop::Source m_backdrop;
    QList<QPointer<PickerView>> m_views;
    bool m_done = false;
    std::optional<PickedWindow> m_result;
};
