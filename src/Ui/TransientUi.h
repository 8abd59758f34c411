#pragma once
// The program's short-lived windows: tooltips, menus, popups (the tray panel
// among them) and popovers. They must not outlive the window they belong to,
// nor show up in a capture. Watches the application for them going away, so
// a capture can tell whether the windows beneath had time to paint again.
#include <QElapsedTimer>
#include <QObject>

class QWidget;

class TransientUi : public QObject {
    Q_OBJECT
public:
    explicit TransientUi(QObject* parent = nullptr);
    ~TransientUi() override;

    // Hides every tooltip (and toast) and closes every open menu, popup and
    // popover at once. True when any was on screen now or went away less than recentMs
    // ago: the windows beneath may not have painted themselves yet.
    bool dismiss(int recentMs = 0);

    // Hides a shown QToolTip at once (QToolTip::hideText waits 300 ms first).
    static bool hideTooltips();
    static bool isTransient(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer m_sinceHidden;
};
