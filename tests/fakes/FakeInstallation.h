#pragma once
#include "Platform/Installation.h"

#include <QHash>

// Places programs by a table (the default for the rest), installs by record.
class FakeInstallation final : public Installation {
public:
    Placement placement(const QString& program) const override { return placements.value(program, otherPlacement); }
    QString installedProgram() const override { return installed; }
    bool isPlaceTaken() const override { return placeTaken; }
    bool install(const QString& program, QString* error) override
    {
        installs << program;
        if (!installError.isEmpty()) {
            if (error)
                *error = installError;
            return false;
        }
        return true;
    }
    QStringList uninstall() override
    {
        ++uninstalls;
        return uninstallLeftovers;
    }
    QStringList cacheDirectories() const override { return caches; }
    QStringList companions(const QString& program) const override { return companionFiles.value(program); }

    // Nothing is offered by default: the program counts as installed.
    Placement otherPlacement = Placement::managed;
    QHash<QString, Placement> placements;
    QString installed = QStringLiteral("/home/u/.local/bin/zentu");
    bool placeTaken = false;
    QString installError; // set: install fails with this text
    QStringList installs;
    QStringList uninstallLeftovers;
    int uninstalls = 0;
    QStringList caches;
    QHash<QString, QStringList> companionFiles;
};
