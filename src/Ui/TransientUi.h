#pragma once
// The program's short-lived windows: tooltips, menus, popups (the tray panel
// among them) and popovers. They must not outlive the window they belong to,
// nor show up in a capture, nor show black where they are see-through while
// no compositing manager runs. Watches the application for any of its windows
// going away (these, and those a capture hides), so a capture can tell
// whether the windows beneath had time to paint again.
#include "Platform/RepaintWatch.h"
#include "Ui/TranslucentSurface.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>

class CompositingInfo;
class QWidget;
class QWindow;

class TransientUi : public QObject {
    Q_OBJECT
public:
    using StillSource = TranslucentSurface::StillSource;

    // With `repaint`, notes where its windows left the screen so a capture can
    // wait for exactly that area to be painted again. With `compositing`, tells
    // every see-through window (TranslucentSurface) whether it may be really
    // translucent, as it shows and whenever a compositor starts or stops;
    // without a compositor it hands it a still from `still`, taken just
    // before the window maps.
    explicit TransientUi(std::unique_ptr<RepaintWatch> repaint = nullptr,
                         std::shared_ptr<CompositingInfo> compositing = nullptr, StillSource still = {},
                         QObject* parent = nullptr);
    ~TransientUi() override;

    // Hides every tooltip (and toast) and closes every open menu, popup and
    // popover at once. True when any was on screen now or any window of ours
    // went away less than recentMs ago: the windows beneath may not have
    // painted themselves yet.
    bool dismiss(int recentMs = 0);

    // Whether the screen beneath every window that went away less than
    // forgetMs ago has been painted again; none where that cannot be watched.
    std::optional<bool> repainted(int forgetMs);
    // Whether repainting can be watched here (no compositor, DAMAGE present).
    bool watchesRepaint() const { return m_repaint && m_repaint->works(); }

    // Hides a shown QToolTip at once (QToolTip::hideText waits 300 ms first).
    static bool hideTooltips();
    static bool isTransient(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What was drawn since the last restart is taken off the area still to be
    // repainted, then drawing counts anew.
    void absorbRepaint();
    void nativeVisibilityChanged(bool visible);
    // The see-through window is about to map: translucent, or cut over a still.
    void prepareSurface(QWidget& window, TranslucentSurface& surface);
    void compositingChanged(bool compositing);

    QElapsedTimer m_sinceHidden;
    std::unique_ptr<RepaintWatch> m_repaint;
    QRegion m_unpainted;
    QPointer<QWindow> m_restartedFor;
    std::shared_ptr<CompositingInfo> m_compositing;
    StillSource m_still;
};
