#pragma once
// The bridge to the one colour panel of the program (a non-modal colour
// dialog with opacity), made by the composition root and handed to every
// editor window: a control presents it with its colour and a callback,
// and from then on every change in the panel goes to that callback until
// another control presents it. The callback is held for as long as the
// control that presented it lives: once that control is gone, panel changes
// go nowhere instead of into a dead control.
#include <QColor>
#include <QColorDialog>
#include <QObject>
#include <QPointer>
#include <functional>

class ColorPanelController : public QObject {
    Q_OBJECT
public:
    using OnChange = std::function<void(const QColor&)>;

    explicit ColorPanelController(QObject* parent = nullptr);
    // Closes the panel: the owner ends it while the application still exists.
    ~ColorPanelController() override;

    // Replaces the stored callback, sets the panel to color and brings it to
    // the front without taking the keyboard focus. The user closes the panel.
    void present(const QColor& color, QObject* presenter, OnChange onChange);

    // The panel's action: hands the colour to the stored callback, if any.
    // The dialog reports one edit as several steps (colour, then opacity), so
    // what arrives in one pass of the event loop is handed on once, as its
    // last colour.
    void changed(const QColor& color);

    bool hasCallback() const { return bool(m_onChange); }
    // The panel, once presented.
    QColorDialog* panel() const { return m_panel; }

private:
    void dropCallback();
    void deliver();

    QPointer<QColorDialog> m_panel;
    QPointer<QObject> m_presenter;
    QMetaObject::Connection m_presenterGone;
    OnChange m_onChange;
    QColor m_latest;
    bool m_deliveryPending = false;
    quint64 m_generation = 0;
};
