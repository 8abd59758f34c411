#pragma once
#include "Platform/Installation.h"

// The program counts as installed where it is; uninstalling is counted and
// leaves what the test says.
class FakeInstallation final : public Installation {
public:
    Placement placement(const QString&) const override { return Placement::managed; }
    QString installedProgram() const override { return QStringLiteral("/home/u/.local/bin/zentu"); }
    bool isPlaceTaken() const override { return false; }
    bool install(const QString&, QString*) override { return true; }
    Removal uninstall() override
    {
        ++uninstalls;
        return {uninstallTrashed, uninstallLeftovers};
    }
    QStringList cacheDirectories() const override { return {}; }
    QString dialogStateDirectory() const override { return {}; }
    QStringList companions(const QString&) const override { return {}; }

    QStringList uninstallTrashed;
    QStringList uninstallLeftovers;
    int uninstalls = 0;
};
