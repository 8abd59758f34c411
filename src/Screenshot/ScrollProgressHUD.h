#pragma once
// The floating progress panel of a scrolling capture: near the top of the
// primary screen, click-through, never activating; shows the scrolling motif,
// a title, the number of strips taken and the Escape hint. While shown its
// window is left out of every frame grab.
#include "Screenshot/Backdrop.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <memory>
#include <optional>

class CompositingInfo;
class QPainter;
class QWidget;

class ScrollProgressHUD : public QObject {
    Q_OBJECT
public:
    // Present from program start.
    static ScrollProgressHUD& shared();

    // Shows the panel and resets the progress; does nothing while shown.
    void show();
    // Hides and drops the panel; safe when none is shown.
    void hide();

    // Real translucency only with a compositing manager; without this
    // information (or without a compositor) the panel paints over a still.
    void setCompositingInfo(std::shared_ptr<CompositingInfo> info);
    void setBackdropSource(Backdrop::Source source);

    QWidget* panel() const { return m_panel; }
    std::optional<quint32> windowID() const { return m_windowID; }

    static constexpr int panelWidth = 340;
    static constexpr int panelHeight = 100;
    // Top-left of the panel for the available area of the primary screen:
    // centred, 40 px below its top.
    static QPoint panelOrigin(const QRect& available);
    // The second line: the translated format filled with the count.
    static QString countText(int strips);

private:
    ScrollProgressHUD() = default;

    QPointer<QWidget> m_panel;
    std::optional<quint32> m_windowID;
    std::shared_ptr<CompositingInfo> m_compositing;
    Backdrop::Source m_backdrop;
};

// The scroll glyph of the cover's card: the scrolling motif in a 24 x 24
// design box placed at rect's top-left and scaled by its smaller side; the
// drawing repeats with period 1 in phase.
void drawScrollIcon(QPainter& painter, const QRectF& rect, qreal phase, const QColor& color);
