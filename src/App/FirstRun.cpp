#include "App/FirstRun.h"

#include "App/AppWindows.h"
#include "Permissions/PermissionManager.h"
#include "Platform/BundleInfo.h"
#include "Platform/SettingsKeys.h"
#include "Platform/UserDefaults.h"
#include "Debug/DebugLog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

FirstRun::FirstRun(UserDefaults& defaults, PermissionManager& permissions, const BundleInfo& bundle,
                   AppWindows& windows, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_permissions(permissions)
    , m_bundle(bundle)
    , m_windows(windows)
{
    m_check.setSingleShot(true);
    m_check.setTimerType(Qt::PreciseTimer);
    m_check.setInterval(checkDelayMs);
    connect(&m_check, &QTimer::timeout, this, &FirstRun::runCheck);
}

QString FirstRun::installStamp(std::optional<qint64> executableModified, const QString& bundleVersion)
{
    if (executableModified)
        return QString::number(*executableModified);
    if (!bundleVersion.isEmpty())
        return bundleVersion;
    return QStringLiteral("?");
}

void FirstRun::resetIntrosAfterReinstall()
{
    const QString stamp = installStamp(m_bundle.executableModificationTime(), m_bundle.version());
    if (m_defaults.string(QString::fromLatin1(SettingsKeys::installStamp)) == stamp)
        return;
    m_defaults.remove(QString::fromLatin1(SettingsKeys::hideCaptureIntro));
    m_defaults.remove(QString::fromLatin1(SettingsKeys::hideScrollIntro));
    m_defaults.setValue(QString::fromLatin1(SettingsKeys::installStamp), stamp);
    DebugLog::write(QStringLiteral("Neue Installation erkannt (stamp ") + stamp
                    + QStringLiteral(") — Intro-Karten wieder aktiviert"));
}

void FirstRun::scheduleCheck()
{
    if (!m_defaults.boolValue(QString::fromLatin1(SettingsKeys::onboardingCompleted)))
        m_check.start();
}

QWidget* FirstRun::window() const
{
    return m_windows.window(AppWindows::Single::onboarding);
}

bool FirstRun::permissionsGranted() const
{
    return m_permissions.screenRecordingAuthorized() && m_permissions.accessibilityAuthorized();
}

void FirstRun::runCheck()
{
    // The flags as they stand, without another refresh.
    if (!window()) {
        if (permissionsGranted())
            m_defaults.setValue(QString::fromLatin1(SettingsKeys::onboardingCompleted), true);
        else
            Q_EMIT windowWanted();
    }
    Q_EMIT checked();
}

void FirstRun::finish()
{
    // Done only with both permissions; otherwise the check runs again at the next start.
    if (permissionsGranted())
        m_defaults.setValue(QString::fromLatin1(SettingsKeys::onboardingCompleted), true);
    if (QWidget* open = window())
        open->close();
}

void FirstRun::fit(double measuredHeight)
{
    // Not run once this is gone.
    QMetaObject::invokeMethod(
        this,
        [this, measuredHeight] {
            QWidget* window = this->window();
            if (!window)
                return;
            const QRect frame = window->frameGeometry();
            const QRect content = window->geometry();
            const QMargins margins(content.left() - frame.left(), content.top() - frame.top(),
                                   frame.right() - content.right(), frame.bottom() - content.bottom());
            const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            const std::optional<QRect> visible
                = screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt;
            if (const std::optional<QRect> fitted = windowGeometry(content, margins, measuredHeight, visible))
                window->setGeometry(*fitted);
        },
        Qt::QueuedConnection);
}

std::optional<QRect> FirstRun::windowGeometry(QRect content, QMargins frame, double measuredHeight,
                                              std::optional<QRect> visibleFrame)
{
    if (!std::isfinite(measuredHeight) || measuredHeight <= 0)
        return std::nullopt;
    const int target = int(std::ceil(measuredHeight));
    if (std::abs(content.height() - target) <= 1)
        return std::nullopt;
    // The top edge stays where it was.
    QRect fitted(content.x(), content.y(), 460, target);
    if (visibleFrame) {
        const QRect outer = fitted.marginsAdded(frame);
        int dy = 0;
        if (outer.top() < visibleFrame->top())
            dy = visibleFrame->top() - outer.top();
        const int bottom = outer.bottom() + dy;
        if (bottom > visibleFrame->bottom())
            dy -= bottom - visibleFrame->bottom();
        fitted.translate(0, dy);
    }
    return fitted;
}
