#pragma once
// A short-lived window with see-through parts: a popover's rounded corners
// and the room beside its notch, a tooltip's arrow and shadow. Where a
// compositing manager runs, the window is really translucent. Without one the
// X server shows the clear pixels black: the window is then cut to the pixels
// its shape touches, so everything around the shape is the live screen
// beneath, and the partly covered pixels along the cut are painted over a
// still of what lay beneath, taken before the window showed.
//
// Whoever follows the compositor (TransientUi) tells the window with
// setCompositing(); until told, a window takes none to run, which looks right
// on every desktop.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <functional>

class QPainter;
class QWidget;

class TranslucentSurface {
public:
    // A still of a rectangle of the screen (global coordinates); null when none can be taken.
    using StillSource = std::function<QImage(const QRect& globalRect)>;

    virtual ~TranslucentSurface() = default;

    // With a compositor: no cut, no still. Without: the cut, and `still`, the
    // picture of the window's rectangle on screen (null when none was taken).
    void setCompositing(bool compositing, const QImage& still = {});
    bool isCompositing() const { return m_compositing; }
    bool hasStill() const { return !m_still.isNull(); }
    // The pixels of a window of `size` that a shape touches, partly or wholly.
    static QRegion touchedPixels(const QPainterPath& shape, QSize size);

protected:
    // The window itself.
    virtual QWidget& surfaceWindow() = 0;
    // Its opaque shape in window coordinates, with the outline drawn on it.
    virtual QPainterPath surfaceShape() const = 0;

    // The still the window paints over; null when none.
    const QImage& still() const { return m_still; }
    // To call after the shape or the window's size changed.
    void reshape();
    // To call when the window moved or changed size while shown: the still
    // no longer lies beneath it.
    void dropStill();
    // To call first in paintEvent where no compositor runs: what lay beneath
    // (the still), or, without one, `fill` in the whole cut.
    void paintBeneath(QPainter& painter, const QColor& fill);

private:
    bool m_compositing = false;
    QImage m_still;
    QPainterPath m_cutShape;
    QSize m_cutSize;
    QRegion m_cut;
};
