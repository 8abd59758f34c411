#pragma once
// What happens the first times the app starts: a new installation brings the
// intro cards back, and until both permissions were granted once, the
// first-run window opens 1.2 s after the start.
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <optional>

class AppWindows;
class BundleInfo;
class PermissionManager;
class QWidget;
class UserDefaults;

class FirstRun : public QObject {
    Q_OBJECT
public:
    // windows: where the first-run window is while it exists.
    FirstRun(UserDefaults& defaults, PermissionManager& permissions, const BundleInfo& bundle, AppWindows& windows,
             QObject* parent = nullptr);

    // Clears the intro cards' hide keys when this is another installation
    // than the one that last ran.
    void resetIntrosAfterReinstall();
    // Starts the 1.2 s wait for the check, unless the first run was completed.
    void scheduleCheck();
    void stop() { m_check.stop(); }

    // The first-run view's OK button, and its measured height.
    void finish();
    void fit(double measuredHeight);

    static QString installStamp(std::optional<qint64> executableModified, const QString& bundleVersion);
    // The first-run window's new content geometry for a measured content
    // height, or nothing when the height stays (within one pixel).
    static std::optional<QRect> windowGeometry(QRect content, QMargins frame, double measuredHeight,
                                               std::optional<QRect> visibleFrame);

    static constexpr int checkDelayMs = 1200;

Q_SIGNALS:
    // The check found a permission missing and no first-run window open.
    void windowWanted();
    // The check ran (1.2 s after the start when it was due).
    void checked();

private:
    void runCheck();
    bool permissionsGranted() const;
    QWidget* window() const;

    UserDefaults& m_defaults;
    PermissionManager& m_permissions;
    const BundleInfo& m_bundle;
    AppWindows& m_windows;
    QTimer m_check;
};
