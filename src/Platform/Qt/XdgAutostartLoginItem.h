#pragma once
#include "Platform/LoginItemService.h"

class FileCalls;

// The login item as an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/com.quorel.zentu.desktop, written all or nothing.
class XdgAutostartLoginItem final : public LoginItemService {
public:
    // executable: the command the entry starts (the running program by default).
    explicit XdgAutostartLoginItem(FileCalls& files, QString executable = {});

    static QString entryPath();

    Status status() const override;
    bool registerApp(QString* error) override;
    bool unregisterApp(QString* error) override;

private:
    FileCalls& m_files;
    QString m_executable;
};
