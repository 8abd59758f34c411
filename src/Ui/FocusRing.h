#pragma once
// The keyboard focus made visible: a ring in the accent colour just outside
// the control that has the focus, while the keyboard brought the focus there
// (Tab, Shift+Tab) in that window. A click that moves the focus takes the ring
// away until the keyboard moves it again; leaving the window and coming back
// keeps what it was.
//
// It rings the app's own drawn controls: every button the platform style does
// not draw (the style marks its own buttons' focus itself), and every control
// given a shape with setShape(). One instance serves the whole program: the
// composition root makes it, and tests that need the ring make their own.
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

class FocusRing : public QObject {
    Q_OBJECT
public:
    explicit FocusRing(QObject* parent = nullptr);
    ~FocusRing() override;

    // The outline the ring follows: the control's rectangle with this corner
    // radius (capsule: half its height). Also rings a control that is not a
    // button. Without it a button's ring has cornerRadius.
    static void setShape(QWidget* control, qreal radius);
    static constexpr qreal capsule = -1;
    static constexpr qreal cornerRadius = 6;
    // Whether a control gets the ring when it has the keyboard focus.
    static bool decorates(const QWidget* control);

    // Whether a widget is a ring (a child of the ringed control's parent,
    // which is no control of its own).
    static bool isRing(const QObject* object);

    // The control ringed now; none while no ring shows.
    QWidget* ringedControl() const;

    // From the control's edge to the middle of the ring, and its width.
    static constexpr qreal offset = 2.5;
    static constexpr qreal width = 2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow(QWidget* control);
    void drop();
    void place();

    QPointer<QWidget> m_control;
    QPointer<QWidget> m_ring;
    QList<QWidget*> m_between;
};
