#pragma once
#include "Platform/LoginItemService.h"

class FileCalls;
class Installation;

// The login item as an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/com.quorel.zentu.desktop, written all or nothing.
// A program inside a build tree is never registered, and an entry that starts
// one (or a program that is gone) counts as none.
class XdgAutostartLoginItem final : public LoginItemService {
public:
    // executable: the command the entry starts (the running program by
    // default); the installation tells where a program lies.
    XdgAutostartLoginItem(const Installation& installation, FileCalls& files, QString executable = {});

    static QString entryPath();
    // The program the entry starts; empty without an entry.
    static QString registeredProgram();

    Status status() const override;
    bool isRegistrable() const override;
    bool registerApp(QString* error) override;
    bool unregisterApp(QString* error) override;

private:
    QString program() const;

    const Installation& m_installation;
    FileCalls& m_files;
    QString m_executable;
};
