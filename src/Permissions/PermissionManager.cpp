#include "Permissions/PermissionManager.h"

#include "Debug/DebugLog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>

namespace {
QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
}

PermissionManager::PermissionManager(CapturePermissions& platform, ScreenSource& screens, QObject* parent)
    : QObject(parent), m_platform(platform), m_screens(screens)
{
    refresh();
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                refresh();
        });
    }
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(2000);
    connect(m_pollTimer, &QTimer::timeout, this, &PermissionManager::poll);
    m_pollTimer->start();
}

void PermissionManager::setScreenRecordingAuthorized(bool authorized)
{
    m_screenRecordingAuthorized = authorized;
    Q_EMIT screenRecordingAuthorizedChanged(authorized);
}

void PermissionManager::setAccessibilityAuthorized(bool authorized)
{
    m_accessibilityAuthorized = authorized;
    Q_EMIT accessibilityAuthorizedChanged(authorized);
}

void PermissionManager::poll()
{
    // Never clears screen recording and never runs the test capture.
    setAccessibilityAuthorized(m_platform.isAccessibilityTrusted());
    if (m_platform.preflightScreenCapture())
        setScreenRecordingAuthorized(true);
}

void PermissionManager::refresh()
{
    const bool preflight = m_platform.preflightScreenCapture();
    setScreenRecordingAuthorized(preflight);
    setAccessibilityAuthorized(m_platform.isAccessibilityTrusted());
    DebugLog::write(QStringLiteral("PERM refresh: CGPreflightScreenCaptureAccess=") + boolText(preflight)
                    + QStringLiteral(" \u00b7 bundle=") + QCoreApplication::applicationFilePath());
    if (!preflight) {
        QPointer<PermissionManager> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self)
                    self->setScreenRecordingAuthorized(self->screenRecordingWorksViaSCK());
            },
            Qt::QueuedConnection);
    }
}

bool PermissionManager::screenRecordingWorksViaSCK()
{
    auto failed = [](const QString& description) {
        DebugLog::write(QStringLiteral("PERM SCK-Test: FEHLER '") + description
                        + QStringLiteral("' -> Berechtigung fehlt wirklich"));
        return false;
    };
    const ShareableDisplays content = m_screens.shareableDisplays();
    if (!content.ok)
        return failed(content.errorDescription);
    if (content.displays.isEmpty()) {
        DebugLog::write(QStringLiteral("PERM SCK-Test: KEINE Displays sichtbar -> keine Berechtigung"));
        return false;
    }
    QString error;
    const QImage image = m_screens.captureDisplay(content.displays.first(), QSize(32, 20), false, &error);
    if (image.isNull())
        return failed(error);
    DebugLog::write(QStringLiteral("PERM SCK-Test: Testaufnahme OK -> Berechtigung VORHANDEN (CGPreflight lag falsch)"));
    setScreenRecordingAuthorized(true);
    return true;
}

bool PermissionManager::requestScreenRecording()
{
    const bool answer = m_platform.requestScreenCapture();
    DebugLog::write(QStringLiteral("PERM requestScreenRecording: CGRequestScreenCaptureAccess=") + boolText(answer));
    refresh();
    return answer;
}

bool PermissionManager::requestAccessibility()
{
    const bool trusted = m_platform.isAccessibilityTrusted();
    if (!trusted) {
        m_platform.promptAccessibility();
        openAccessibilitySettings();
    }
    DebugLog::write(QStringLiteral("PERM requestAccessibility: AXIsProcessTrusted=") + boolText(trusted));
    refresh();
    return trusted;
}

// X11 keeps no settings page that grants either permission: a request to
// open one is only noted.
void PermissionManager::openScreenRecordingSettings()
{
    DebugLog::write(QStringLiteral("PERM Einstellungsseite Bildschirmaufnahme: gibt es unter X11 nicht"));
}

void PermissionManager::openAccessibilitySettings()
{
    DebugLog::write(QStringLiteral("PERM Einstellungsseite Bedienungshilfen: gibt es unter X11 nicht"));
}
