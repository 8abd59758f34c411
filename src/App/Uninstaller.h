#pragma once
// Removes the app for this user on request: the login item, the settings, the
// data folder with both histories, the caches, the state of the toolkit's
// dialogs, and the program itself, which goes to the Trash (the user-level
// install as a whole, or the loose copy it runs from). A copy installed by
// other means (a package, a system or install prefix, a build tree) is never
// touched. Each step is logged; a last alert lists what was removed, what went
// to the Trash and what was left, before the app quits.
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
        // The folder the user's saved pictures go to; they stay, and the last
        // alert says so.
        std::function<QString()> exportFolder;
    };
    // What one run did, as the last alert tells it.
    struct Report {
        QStringList removed; // what is gone, in the user's words
        QStringList trashed; // files now in the Trash
        QStringList left;    // what could not be removed, with the reason
        QString keptProgram; // the program, when installed by other means
        QString keptPictures; // the user's saved pictures, when there are any
    };
    // stopActivity: ends everything that could write our files again (polls,
    // hotkeys, open editors); runs before anything is removed.
    Uninstaller(Services services, std::function<void()> stopActivity);

    // Asks first (Return cancels); true when the uninstallation ran.
    bool confirmAndRun();
    // The uninstallation itself, without asking; ends with the report and the
    // request to quit.
    Report run();

private:
    void log(const QString& message);
    void removeTree(const QString& path, const QString& shownAs, Report& report);
    void trash(const QStringList& files, Report& report);
    void tell(const Report& report);

    Services m_services;
    std::function<void()> m_stopActivity;
};
