#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "App/CompositionRoot.h"
#include "App/DesktopServices.h"
#include "App/SessionRequirement.h"
#include "App/ZentuApp.h"
#include "BuildSettings.h"
#include "Localization/Localizer.h"
#include "Localization/QtCatalogue.h"
#include "Platform/Qt/ApplicationBeeper.h"
#include "Platform/Qt/BuildBundleInfo.h"
#include "Platform/Qt/FileDialogFolderChooser.h"
#include "Platform/Qt/GlibcHeapTrimmer.h"
#include "Platform/Qt/LocalSocketSingleInstance.h"
#include "Platform/Qt/PamOwnerAuthenticator.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/UnixSignalWatcher.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/Installation.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/X11DisplayCheck.h"
#include "Platform/X11/X11TrayAvailability.h"
#include "Platform/X11/XcbConnection.h"
#include "Storage/AppFolders.h"
#include "Debug/DebugLog.h"

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <utility>

int main(int argc, char** argv)
{
    // Before any thread starts: every later thread shares the heaps this sets up.
    const auto heap = std::make_shared<GlibcHeapTrimmer>();
    // The app's folders in the user's XDG folders; the log opens there before
    // anything may write to it.
    const AppFolders folders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>());
    DebugLog::File log(folders.debugLog());
    // The language choice lives in the same defaults file as the settings;
    // the messages below already follow it.
    SettingsFileUserDefaults languageDefaults(folders.files());
    const auto localizer =
        std::make_shared<Localizer>(languageDefaults, [] { return QLocale::system().uiLanguages(); });
    const Localizer::Scope installedLocalizer(localizer);
    // Before Qt's platform plugin fails with an error that suggests reinstalling.
    if (const std::optional<QString> problem = SessionRequirement::unmet(X11DisplayCheck::check(), X11DisplayCheck::display())) {
        std::fputs(qPrintable(*problem + QLatin1Char('\n')), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentu.it"));
    QApplication::setApplicationVersion(QString::fromUtf8(BuildSettings::version));
    QApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
    // Closing an editor or the settings must not end the tray app.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own dialog texts follow the interface language too.
    QtCatalogue qtCatalogue(*localizer);

    // One instance per session: a later start hands over before it touches
    // anything (not even the running instance's debug log).
    LocalSocketSingleInstance instance;
    switch (instance.claim()) {
    case SingleInstance::Claim::claimed:
        break;
    case SingleInstance::Claim::otherInstance:
        std::fputs(qPrintable(Localizer::t(QStringLiteral("Zentu.it läuft bereits.")) + QLatin1Char('\n')), stderr);
        return 0;
    case SingleInstance::Claim::failed:
        const QString message = Localizer::t(QStringLiteral("Zentu.it kann nicht starten: die Sperrdatei lässt sich nicht anlegen (%1)."));
        std::fputs(qPrintable(message.arg(instance.failure()) + QLatin1Char('\n')), stderr);
        return 1;
    }

    // Outlive the coordinator and its windows, which use them.
    X11ApplicationIdentity applications;
    FileDialogFolderChooser folderChooser;
    ApplicationBeeper beeper;
    PamOwnerAuthenticator authenticator;
    BuildBundleInfo bundle;
    // The tray hosts the icon may go to, watched for as long as the program runs.
    X11TrayAvailability trays;
    // The X connection the backends of this thread share.
    const auto x = std::make_shared<XcbConnection>();
    DesktopServices services(instance, folders, applications, bundle, x, heap);
    // Qt's own file and colour dialogs keep their state in "QtProject.conf" of
    // Qt's user scope, which every Qt program shares: ours goes to a folder of
    // our own, which an uninstall removes. (Our settings use a file of their
    // own path, which this does not move.)
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, services.installation().dialogStateDirectory());
    CompositionRoot root(services.platform(), services, *localizer, {folderChooser, beeper, authenticator, trays});
    AppDelegate& delegate = root.delegate();
    AppCoordinator& coordinator = root.coordinator();
    QObject::connect(&instance, &SingleInstance::activationRequested, &root.scene(), &ZentuApp::showPanel);

    UnixSignalWatcher signals;
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, &app, [] { QApplication::quit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    // When the X server goes away, Qt ends the process with exit() from the
    // event loop, past every quit handler: what the open editors hold is
    // written before the process ends, as on SIGTERM.
    static AppCoordinator* displayLost = nullptr;
    displayLost = &coordinator;
    std::atexit([] {
        if (AppCoordinator* open = std::exchange(displayLost, nullptr))
            open->persistOpenEditors();
    });
    const int status = QApplication::exec();
    displayLost = nullptr;
    return status;
}
