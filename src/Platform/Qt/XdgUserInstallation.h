#pragma once
#include "Platform/Installation.h"

class FileCalls;

// The user-level install on a freedesktop system: the executable as "zentu"
// in $XDG_BIN_HOME (default ~/.local/bin) with its page-capture helper when
// that lies beside it, the launcher entry and the icon
// below $XDG_DATA_HOME (default ~/.local/share). The launcher entry carries a
// marker line; only an install with that marker counts as this program's own.
// Dialog state lives in $XDG_STATE_HOME/com.quorel.zentu (default
// ~/.local/state), the base directories' place for such state.
class XdgUserInstallation final : public Installation {
public:
    // files: what every file of the install is written with, all or nothing.
    explicit XdgUserInstallation(FileCalls& files) : m_files(files) {}

    Placement placement(const QString& program) const override;
    QString installedProgram() const override;
    bool isPlaceTaken() const override;
    bool install(const QString& program, QString* error) override;
    Removal uninstall() override;
    QStringList cacheDirectories() const override;
    QString dialogStateDirectory() const override;
    QStringList companions(const QString& program) const override;

    static QString binDirectory();
    static QString installedHelper();
    static constexpr const char* helperName = "zentu-pagecapture";
    static QString desktopEntryPath();
    static QString iconPath();
    static constexpr const char* markerLine = "X-Zentu-SelfInstalled=true";

private:
    bool isOwnInstall() const;

    FileCalls& m_files;
};
