#pragma once
// The first-run window's content, 460 wide and always light: a welcome, one
// card for each of the two things the app needs from the X server with its
// state (and, where refused, why and what to do), a note that X11 has nothing
// to grant, a ready line once both are there, and "OK" (also Return) that hands back to the window's
// owner. It never closes its window itself. Made anew in a new interface
// language. Reports its height (above 200, when it changed) so the window can
// fit it.
#include <QPointer>
#include <QWidget>
#include <functional>

class PermissionManager;
class PermissionRow;
class ProminentButton;
class QLabel;

class OnboardingView : public QWidget {
    Q_OBJECT
public:
    OnboardingView(PermissionManager& permissions, std::function<void()> onClose,
                   std::function<void(double)> onHeightChange, QWidget* parent = nullptr);

    bool allGranted() const;
    // The content's height at the view's width.
    int measuredHeight() const;
    // Takes a measured height: reported when it changed and is above 200.
    void reportHeight(double height);

    // The room above "OK": 12 under the ready line, else 20.
    int okTopPadding() const;

    static constexpr int viewWidth = 460;
    static constexpr double minimumReportedHeight = 200;
    // Fixed light colours: the text and the secondary text.
    static QColor ink();
    static QColor ink3();

Q_SIGNALS:
    void rebuilt();

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void rebuild();
    void showState();
    void scheduleMeasure();

    PermissionManager& m_permissions;
    std::function<void()> m_onClose;
    std::function<void(double)> m_onHeightChange;
    double m_lastHeight = 0;
    bool m_measurePending = false;

    QPointer<QWidget> m_content;
    PermissionRow* m_screenCard = nullptr;
    PermissionRow* m_accessibilityCard = nullptr;
    QWidget* m_ready = nullptr;
    QLabel* m_note = nullptr;
    QWidget* m_okHolder = nullptr;
    ProminentButton* m_ok = nullptr;
};
