#pragma once
// The delayed dark tooltip of the editor toolbar's controls. A control asks
// for one with gooeyTip(); when the pointer has rested on it for a moment the
// nearest host among its ancestors draws one bubble centred under it. The host
// is an overlay over its whole parent that never takes mouse input, so a
// tooltip lying over other controls does not block them.
#include "Ui/DelayScheduler.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QVariantAnimation;

class TooltipHost : public QWidget {
    Q_OBJECT
public:
    TooltipHost(DelayScheduler& scheduler, QWidget* parent);
    ~TooltipHost() override;

    // The host that serves a control: the first one found beside the control
    // or one of its ancestors, within the control's own window. Controls in
    // another window (a popover) have none.
    static TooltipHost* forControl(QWidget* control);

    void controlEntered(QWidget* control, const QString& text);
    void controlLeft(QWidget* control);

    // What is shown now: the control, its text and the bubble in host coordinates.
    QWidget* shownControl() const { return m_shown; }
    QString shownText() const { return m_text; }
    bool isShowing() const { return !m_shown.isNull(); }
    QRectF bubbleRect() const;
    // 0 when a tooltip has just appeared, 1 when it has faded in.
    double appearProgress() const { return m_progress; }

    // The whole tooltip (arrow and bubble) for a text, placed with its centre at centre.
    static QRectF tooltipRect(const QString& text, QPointF centre);
    static QColor background();

    static constexpr int showDelayMs = 300;
    static constexpr int fadeInMs = 160;
    static constexpr qreal gapBelowControl = 15; // from the control's bottom edge to the tooltip's centre
    static constexpr qreal arrowWidth = 11;
    static constexpr qreal arrowHeight = 5;

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(QWidget* control, const QString& text);
    void hideTip();
    QRectF currentRect() const;

    DelayedAction m_showWork;
    QPointer<QWidget> m_pending;
    QPointer<QWidget> m_shown;
    QString m_text;
    double m_progress = 1.0;
    QVariantAnimation* m_fade;
};

// Gives the control the toolbar's delayed tooltip with text (already
// translated where it is to be). Calling it again replaces the text.
void gooeyTip(QWidget* control, const QString& text);
// The text given to the control, empty when it has none.
QString gooeyTipText(const QWidget* control);
