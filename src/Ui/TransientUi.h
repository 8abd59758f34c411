#pragma once
// The program's short-lived windows: tooltips, menus, popups (the tray panel
// among them) and popovers. They must not outlive the window they belong to,
// nor show up in a capture. Watches the application for them going away, so
// a capture can tell whether the windows beneath had time to paint again.
#include "Platform/RepaintWatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <memory>
#include <optional>

class QWidget;
class QWindow;

class TransientUi : public QObject {
    Q_OBJECT
public:
    // With `repaint`, notes where its windows left the screen so a capture can
    // wait for exactly that area to be painted again.
    explicit TransientUi(std::unique_ptr<RepaintWatch> repaint = nullptr, QObject* parent = nullptr);
    ~TransientUi() override;

    // Hides every tooltip (and toast) and closes every open menu, popup and
    // popover at once. True when any was on screen now or went away less than recentMs
    // ago: the windows beneath may not have painted themselves yet.
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

    QElapsedTimer m_sinceHidden;
    std::unique_ptr<RepaintWatch> m_repaint;
    QRegion m_unpainted;
    QPointer<QWindow> m_restartedFor;
};
