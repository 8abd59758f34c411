#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "App/DefaultCoordinatorServices.h"
#include "App/MenuBarPlaceholderView.h"
#include "App/ZentuApp.h"
#include "Platform/Qt/LocalSocketSingleInstance.h"
#include "Platform/Qt/UnixSignalWatcher.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentu.it"));
    QApplication::setApplicationVersion(QStringLiteral(ZENTU_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
    // Closing an editor or the settings must not end the tray app.
    QApplication::setQuitOnLastWindowClosed(false);

    // One instance per session: a later start hands over before it touches
    // anything (not even the running instance's debug log).
    LocalSocketSingleInstance instance;
    if (!instance.claim()) {
        std::fputs("Zentu.it läuft bereits.\n", stderr);
        return 0;
    }

    DefaultCoordinatorServices services;
    AppDelegate delegate(services);
    // The panel's content view: a placeholder until the tray panel's own view
    // (MenuBarContentView) replaces it here.
    ZentuApp scene(delegate.coordinator(), [](const AppEnvironment& env) -> QWidget* {
        return new MenuBarPlaceholderView(env);
    });
    QObject::connect(&instance, &SingleInstance::activationRequested, &scene, &ZentuApp::showPanel);

    UnixSignalWatcher signals;
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, &app, [] { QApplication::quit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return QApplication::exec();
}
