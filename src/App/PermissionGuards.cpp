#include "App/PermissionGuards.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Permissions/RefusalTexts.h"
#include "Platform/Alerts.h"
#include "Platform/CapturePermissions.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/SettingsKeys.h"
#include "Platform/UserDefaults.h"

#include <QPointer>
#include <QTimer>

namespace {
QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
}

PermissionGuards::PermissionGuards(PermissionManager& permissions, CapturePermissions& platform, UserDefaults& defaults,
                                   Alerts& alerts, ProcessLauncher& launcher, QObject* parent)
    : QObject(parent)
    , m_permissions(permissions)
    , m_platform(platform)
    , m_defaults(defaults)
    , m_alerts(alerts)
    , m_launcher(launcher)
    , m_after([this](int ms, std::function<void()> work) { QTimer::singleShot(ms, this, std::move(work)); })
{
}

bool PermissionGuards::ensureScreenRecordingPermission()
{
    DebugLog::write(QStringLiteral("CAPTURE ensureScreenRecordingPermission() \u00b7 bundle=") + m_launcher.programPath()
                    + QStringLiteral(" \u00b7 CGPreflight=") + boolText(m_platform.preflightScreenCapture()));
    m_permissions.refresh();
    if (m_permissions.screenRecordingAuthorized()) {
        DebugLog::write(QStringLiteral("CAPTURE -> CGPreflight/authorized true, weiter"));
        return true;
    }
    const bool works = m_permissions.screenRecordingWorksViaSCK();
    DebugLog::write(QStringLiteral("CAPTURE -> SCK-Test = ") + boolText(works));
    if (works)
        return true;

    DebugLog::write(QStringLiteral("CAPTURE -> kein Zugriff, öffne Einstellungen + zeige geführten Alert"));
    m_permissions.openScreenRecordingSettings();
    armPermissionAutoRelaunch();

    // X11 has no setting that grants this and no list to be entered into:
    // the alert says what refuses and what the user can do, and offers
    // nothing that would only restart into the same refusal.
    m_alerts.runModal({
        Localizer::t(QStringLiteral("Bildschirmaufnahme nicht möglich")),
        RefusalTexts::screenUnreadable(),
        {Localizer::t(QStringLiteral("OK"))},
        true,
    });
    DebugLog::write(QStringLiteral("CAPTURE -> Alert-Antwort = ") + QStringLiteral("Später"));
    return false;
}

void PermissionGuards::requestScreenRecordingIfPending()
{
    const QString key = QString::fromLatin1(SettingsKeys::pendingScreenRecordingRequest);
    if (!m_defaults.boolValue(key))
        return;
    m_defaults.setValue(key, false);
    DebugLog::write(QStringLiteral("PERM Startup-Request: Flag gesetzt, frischer Prozess \u00b7 CGPreflight=")
                    + boolText(m_platform.preflightScreenCapture()));
    QPointer<PermissionGuards> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self)
            return;
        const bool works = self->m_permissions.screenRecordingWorksViaSCK();
        DebugLog::write(QStringLiteral("PERM Startup-Request: SCK vorab = ") + boolText(works));
        if (works)
            return;
        const bool answer = self->m_permissions.requestScreenRecording();
        DebugLog::write(QStringLiteral("PERM Startup-Request: CGRequestScreenCaptureAccess() = ") + boolText(answer)
                        + QStringLiteral(" -> Settings öffnen + Auto-Relaunch armen"));
        self->m_permissions.openScreenRecordingSettings();
        self->armPermissionAutoRelaunch();
    });
}

void PermissionGuards::armPermissionAutoRelaunch()
{
    const quint64 generation = ++m_watcherGeneration;
    m_watcherChecks = 0;
    QPointer<PermissionGuards> self(this);
    m_after(watcherIntervalMs, [self, generation] {
        if (self)
            self->watcherStep(generation);
    });
}

void PermissionGuards::watcherStep(quint64 generation)
{
    if (generation != m_watcherGeneration)
        return; // cancelled by a newer watcher
    ++m_watcherChecks;
    if (m_platform.preflightScreenCapture()) {
        DebugLog::write(QStringLiteral("PERM Auto-Neustart: Freigabe erkannt -> relaunch"));
        m_watcherChecks = -1;
        relaunchApp();
        return;
    }
    if (m_watcherChecks >= watcherMaxChecks) {
        m_watcherChecks = -1;
        return;
    }
    QPointer<PermissionGuards> self(this);
    m_after(watcherIntervalMs, [self, generation] {
        if (self)
            self->watcherStep(generation);
    });
}

void PermissionGuards::relaunchApp()
{
    const QString path = m_launcher.programPath();
    // The new instance waits (up to 10 s) until this process has gone, so it
    // does not find this one still holding the hotkeys and the single-instance
    // lock. Path and pid reach the shell as arguments, never as script text.
    static const QString script = QStringLiteral(
        "i=0; while kill -0 \"$1\" 2>/dev/null && [ \"$i\" -lt 100 ]; do sleep 0.1; i=$((i+1)); done; exec \"$0\"");
    const bool started = m_launcher.startDetached(QStringLiteral("/bin/sh"),
                                                  {QStringLiteral("-c"), script, path,
                                                   QString::number(m_launcher.processId())});
    DebugLog::write(QStringLiteral("PERM relaunchApp: ") + path);
    if (!started) {
        DebugLog::write(QStringLiteral("PERM relaunchApp: Neustart fehlgeschlagen -> App bleibt offen"));
        return;
    }
    m_launcher.quit();
}

bool PermissionGuards::ensureAccessibilityPermission()
{
    if (m_platform.isAccessibilityTrusted())
        return true;
    m_platform.promptAccessibility();
    // Nothing on X11 turns XTEST on for us: no settings button.
    m_alerts.runModal({
        Localizer::t(QStringLiteral("Scroll-Aufnahme nicht möglich")),
        RefusalTexts::xtestMissing(),
        {Localizer::t(QStringLiteral("OK"))},
        true,
    });
    return false;
}
