#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/UnixSignalWatcher.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "Settings/SettingsManager.h"
#include "Storage/Storage.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentu.it"));
    QApplication::setDesktopFileName(QStringLiteral("com.quorel.zentu"));
    QApplication::setQuitOnLastWindowClosed(false);

    SettingsFileUserDefaults defaults;
    XdgAutostartLoginItem loginItem;
    XkbKeyboardInfo keyboard;
    SettingsManager settings(defaults, loginItem, keyboard);
    Storage::ensureDirectories();

    Storage::ensureDirectories();
    DebugLog::restart();
    DebugLog::write(QStringLiteral("App gestartet"));
    Localizer::shared();

    UnixSignalWatcher signals;
    QObject::connect(&signals, &UnixSignalWatcher::terminationRequested, &app, [] { QApplication::quit(); });
    return QApplication::exec();
}
