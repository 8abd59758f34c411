#pragma once
// Lays a dark, blurred cover exactly over the region a scrolling capture
// scrolls: a bright scan line sweeps over it (passing behind the card) and a
// card in its middle shows the scroll glyph, "Nehme auf …", the number of
// strips taken so far, an "esc" keycap and a hint. Clicks and wheel events go
// through to the window underneath, and the cover's window is left out of
// every frame grab, so the grabs show that window and not the cover.
#include "Screenshot/Backdrop.h"

#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <memory>
#include <optional>

class CompositingInfo;
class GrabExclusions;
class ScrollProgress;
class QTimer;
class QVariantAnimation;

class ScrollCoverOverlay : public QObject {
    Q_OBJECT
public:
    // Real translucency only with a compositing manager; otherwise the cover
    // paints a blurred still of the region from backdrop, taken just before
    // it shows. The exclusions hold the cover's window while it is shown.
    // The card counts the strips the scroll loop reports in progress.
    ScrollCoverOverlay(std::shared_ptr<CompositingInfo> compositing, Backdrop::Source backdrop,
                       GrabExclusions& exclusions, ScrollProgress& progress);
    ~ScrollCoverOverlay() override;

    // Covers rect (global, top-left origin, device-independent pixels); a cover
    // already shown is hidden first. A first cover starts the count at 0.
    void show(const QRectF& rect);
    // Removes the cover; does nothing when none is shown.
    void hide();

    QWidget* window() const { return m_window; }
    std::optional<quint32> windowID() const { return m_windowID; }

    // Width of the card for a cover of width w: between 190 and 272.
    static qreal cardWidth(qreal coverWidth);
    static constexpr qreal cardHeight = 200;
    static constexpr qreal cardRadius = 22;

private:
    const std::shared_ptr<CompositingInfo> m_compositing;
    const Backdrop::Source m_backdrop;
    GrabExclusions& m_exclusions;
    ScrollProgress& m_progress;
    QPointer<QWidget> m_window;
    std::optional<quint32> m_windowID;
};

// The card in the middle of the cover.
class PillView : public QWidget {
    Q_OBJECT
public:
    explicit PillView(const ScrollProgress& progress, QWidget* parent = nullptr);

    QString status() const { return m_status; }
    // The second line: how many strips were taken.
    QString countText() const;
    // One animation step: the phase grows by 1/90 and wraps below 1.
    void tick();
    bool animating() const;

    // Draws a keycap with a label at top-left p and height k; returns its width.
    static qreal pillKeycap(QPainter& painter, const QString& label, const QPointF& p, qreal height,
                            const QColor& ink);
    // The card's font for a size in px and a weight: Figtree, Inter or Inter
    // Variable when installed, else the system font.
    static QFont preferredFont(const QPaintDevice* device, qreal px, QFont::Weight weight);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const ScrollProgress& m_progress;
    QString m_status;
    qreal m_phase = 0;
    QTimer* m_timer = nullptr;
};
