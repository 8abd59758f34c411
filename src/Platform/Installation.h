#pragma once
// Where the program sits on this computer, and its user-level install: the
// executable in the user's bin folder with a launcher entry and an icon in the
// user's data folder, so desktops list it like any installed application.
#include <QString>
#include <QStringList>

class Installation {
public:
    enum class Placement {
        userInstall,      // the user-level install this program made
        managed,          // installed by other means: a package, a system prefix, an install prefix
        developmentBuild, // inside a build tree
        loose,            // anywhere else: a download folder, a copied file
    };

    virtual ~Installation() = default;

    virtual Placement placement(const QString& program) const = 0;
    // The executable of the user-level install.
    virtual QString installedProgram() const = 0;
    // True when a copy this program did not install occupies the user-level
    // install's place; it is never replaced.
    virtual bool isPlaceTaken() const = 0;
    // Installs program for this user. Every file is written beside its final
    // place and renamed over it, so an earlier install stays whole until the
    // new file is complete. On failure nothing new is left behind and *error
    // says why.
    virtual bool install(const QString& program, QString* error) = 0;
    // What removing the user-level install did.
    struct Removal {
        QStringList trashed; // moved to the user's Trash, where they can be restored
        QStringList left;    // could not be moved
    };
    // Moves the user-level install this program made to the Trash, nothing
    // else; without an install of ours, does nothing.
    virtual Removal uninstall() = 0;
    // The per-user cache folders the desktop keeps for the program.
    virtual QStringList cacheDirectories() const = 0;
    // Where the toolkit's own dialogs (files, colours) keep their state for
    // this program: last folder, sidebar, custom colours. Not the file all
    // programs of the toolkit share, so that an uninstall can remove it.
    virtual QString dialogStateDirectory() const = 0;
    // The files beside program that belong to it (its page-capture helper):
    // they go wherever the program goes.
    virtual QStringList companions(const QString& program) const = 0;
};
