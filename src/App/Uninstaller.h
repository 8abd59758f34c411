#pragma once
// Removes the app for this user on request: the login item, the settings, the
// data folder with both histories, the caches, the user-level install and a
// loose copy of the program (to the Trash). A copy installed by other means (a
// package, a system or install prefix, a build tree) is never touched. Each
// step is logged; whatever could not be removed is listed in a last alert
// before the app quits.
#include "Storage/AppFolders.h"

#include <QStringList>
#include <functional>

class Alerts;
class Installation;
class LoginItemService;
class ProcessLauncher;
class UserDefaults;

class Uninstaller {
public:
    struct Services {
        Alerts& alerts;
        LoginItemService& loginItem;
        UserDefaults& defaults;
        Installation& installation;
        ProcessLauncher& launcher;
        // The data folder that goes, and the Trash a loose copy goes to.
        AppFolders folders;
    };
    // stopActivity: ends everything that could write our files again (polls,
    // hotkeys, open editors); runs before anything is removed.
    Uninstaller(Services services, std::function<void()> stopActivity);

    // Asks first (Return cancels); true when the uninstallation ran.
    bool confirmAndRun();
    // The uninstallation itself, without asking; ends with the request to
    // quit. Returns what is left behind.
    QStringList run();

private:
    void log(const QString& message);

    Services m_services;
    std::function<void()> m_stopActivity;
};
