#pragma once
#include "Platform/LoginItemService.h"

// The login item as an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/com.quorel.zentu.desktop.
class XdgAutostartLoginItem final : public LoginItemService {
public:
    // executable: the command the entry starts (the running program by default).
    explicit XdgAutostartLoginItem(QString executable = {});

    static QString entryPath();

    Status status() const override;
    bool registerApp(QString* error) override;
    bool unregisterApp(QString* error) override;

private:
    QString m_executable;
};
