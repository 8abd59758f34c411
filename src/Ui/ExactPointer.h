#pragma once
// Where the pointer really is in a widget. Qt hands widgets mouse places
// rounded to whole points, and a point is several pixels on a scaled screen
// (three at 3x): a selection could only start and end every third pixel.
// The widget's native window hears the exact place first; this keeps it for
// the widget's own event that follows.
#include <QObject>
#include <QPointF>
#include <QPointer>

class QSinglePointEvent;
class QWidget;

class ExactPointer : public QObject {
    Q_OBJECT
public:
    // Follows the native window of `widget`'s window from the moment it shows.
    explicit ExactPointer(QWidget& widget);

    // The event's place in the widget, to the device pixel where known.
    QPointF position(const QSinglePointEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_widget;
    QPointer<QObject> m_watchedWindow;
    QPointF m_inWindow; // the last exact place, in the native window
    bool m_known = false;
};
