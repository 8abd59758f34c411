#pragma once
// The delayed dark tooltip of the editor's controls, the one kind of tooltip
// in the windows it serves. A control gets its text from gooeyTip() or from
// QWidget::setToolTip(); when the pointer has rested on it for a moment, the
// host that serves it shows one TooltipWindow below it (never over it). The
// platform's own tooltip never shows in those windows.
//
// A host serves the widget it is made for and everything inside, including
// the popovers and hover groups opened from there, which are windows of their
// own. It watches the application's events for the pointer entering and
// leaving those controls.
#include "Ui/DelayScheduler.h"
#include "Ui/TooltipWindow.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>

class QVariantAnimation;

class TooltipHost : public QObject {
    Q_OBJECT
public:
    // Serves `area` and everything inside it.
    TooltipHost(DelayScheduler& scheduler, QWidget* area);
    ~TooltipHost() override;

    // The host that serves a control: the first one found beside the control
    // or one of its ancestors, also across the popovers and tooltip-like
    // windows between them; none across an ordinary window or dialog.
    static TooltipHost* forControl(QWidget* control);
    // The tooltip text a control carries: its gooeyTip() text, else its
    // QWidget::toolTip(); empty when it has none.
    static QString tipText(const QWidget* control);

    void controlEntered(QWidget* control, const QString& text);
    void controlLeft(QWidget* control);

    // What is shown now: the control, its text and the tooltip at rest in
    // global coordinates.
    QWidget* shownControl() const { return m_shown; }
    QString shownText() const { return m_text; }
    bool isShowing() const { return !m_shown.isNull(); }
    QRectF bubbleRect() const;
    // 0 when a tooltip has just appeared, 1 when it has faded in.
    double appearProgress() const { return m_progress; }
    // The window the tooltip is drawn in; none before the first one.
    TooltipWindow* window() const { return m_window; }

    static constexpr int showDelayMs = 300;
    static constexpr int fadeInMs = 160;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(QWidget* control, const QString& text);
    void hideTip();
    // The control whose tip a widget the pointer is on shows: the widget or
    // the nearest of its ancestors in its window that carries a tip.
    static QWidget* tipOwner(QWidget* widget);
    bool serves(QWidget* widget) const;
    void pointerMovedOnto(QWidget* widget);

    QPointer<QWidget> m_area;
    DelayedAction m_showWork;
    QPointer<QWidget> m_pending;
    QPointer<QWidget> m_shown;
    QString m_text;
    double m_progress = 1.0;
    QVariantAnimation* m_fade;
    QPointer<TooltipWindow> m_window;
};

// Gives the control the app's delayed tooltip with text (already translated
// where it is to be). Calling it again replaces the text.
void gooeyTip(QWidget* control, const QString& text);
// The text given to the control, empty when it has none.
QString gooeyTipText(const QWidget* control);
