#pragma once
// The floating progress panel of a scrolling capture: near the top of the
// primary screen, click-through, never activating; shows the scrolling motif,
// a title, the number of strips taken and the Escape hint. While shown its
// window is left out of every frame grab.
#include "Screenshot/Backdrop.h"
#include "Screenshot/ScrollProgress.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <memory>
#include <optional>

class CompositingInfo;
class GrabExclusions;
class QPainter;
class QWidget;

class ScrollProgressHUD : public QObject {
    Q_OBJECT
public:
    // Real translucency only with a compositing manager; without one (or
    // without this information) the panel paints over a still from backdrop.
    // The exclusions hold the panel's window while it is shown.
    ScrollProgressHUD(std::shared_ptr<CompositingInfo> compositing, Backdrop::Source backdrop,
                      GrabExclusions& exclusions);
    ~ScrollProgressHUD() override;

    // Shows the panel and resets the progress; does nothing while shown.
    void show();
    // Hides and drops the panel; safe when none is shown.
    void hide();

    // What the panel shows; the scroll loop writes it.
    ScrollProgress& progress() { return m_progress; }
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
    const std::shared_ptr<CompositingInfo> m_compositing;
    const Backdrop::Source m_backdrop;
    GrabExclusions& m_exclusions;
    ScrollProgress m_progress;
    QPointer<QWidget> m_panel;
    std::optional<quint32> m_windowID;
};

// The scroll glyph of the cover's card: the scrolling motif in a 24 x 24
// design box placed at rect's top-left and scaled by its smaller side; the
// drawing repeats with period 1 in phase.
void drawScrollIcon(QPainter& painter, const QRectF& rect, qreal phase, const QColor& color);
