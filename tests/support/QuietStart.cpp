#include "support/QuietStart.h"
#include "support/IsolatedEnvironment.h"

#include "Models/AppSettings.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/SettingsKeys.h"
#include "support/RealApp.h"

#include <QFileInfo>
#include <QTest>
#include <csignal>

bool startQuietly(const RealApp& real, QProcess& app, const std::function<void(AppSettings&)>& adjust)
{
    if (!QFileInfo::exists(RealApp::binary())
        || QProcess::execute(QStringLiteral("setxkbmap"), {"-model", "pc105", "-layout", "us"}) != 0)
        return false;
    {
        SettingsFileUserDefaults defaults(testFileCalls(), real.settingsFile());
        AppSettings settings;
        settings.openEditorAfterCapture = false;
        settings.launchAtLogin = false;
        if (adjust)
            adjust(settings);
        defaults.setValue(QString::fromLatin1(SettingsKeys::settings), settings.encoded());
        defaults.setValue(QString::fromLatin1(SettingsKeys::launchAtLoginDefaulted), true);
        defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        defaults.setValue(QStringLiteral("zentuInstallStamp"),
                          QString::number(QFileInfo(RealApp::binary()).lastModified().toSecsSinceEpoch()));
    }
    // A restart finds the last run's log, hotkeys and all, until the program
    // begins its own: wait for a log that no longer starts with that one.
    const QString earlier = real.debugLog();
    real.start(app, QProcess::ForwardedChannels);
    return app.waitForStarted(5000) && QTest::qWaitFor([&] {
        const QString log = real.debugLog();
        return (earlier.isEmpty() || !log.startsWith(earlier)) && log.contains(QStringLiteral("Hotkey registriert action=openClipboard"));
    }, 15000);
}

void stopQuietly(QProcess& app)
{
    if (app.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(app.processId()), SIGTERM);
    if (!app.waitForFinished(15000))
        app.kill();
}
