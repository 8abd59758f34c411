#include "App/Uninstaller.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/Alerts.h"
#include "Platform/Installation.h"
#include "Platform/LoginItemService.h"
#include "Platform/Paths.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/UserDefaults.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

Uninstaller::Uninstaller(Services services, std::function<void()> stopActivity)
    : m_services(std::move(services))
    , m_stopActivity(std::move(stopActivity))
{
}

void Uninstaller::log(const QString& message)
{
    // debug.log lives in the folder this removes, so the steps go to the
    // program's standard error, where the session's log keeps them.
    qInfo().noquote() << QStringLiteral("Zentu: UNINSTALL") << message;
}

bool Uninstaller::confirmAndRun()
{
    Alerts::Alert alert{
        Localizer::t(QStringLiteral("Zentu.it deinstallieren?")),
        Localizer::t(QStringLiteral("Zentu.it wird beendet und entfernt: Das Programm kommt in den Papierkorb; alle Screenshots, der Verlauf und deine Einstellungen werden gelöscht. Das Löschen lässt sich nicht rückgängig machen.")),
        {Localizer::t(QStringLiteral("Deinstallieren")), Localizer::t(QStringLiteral("Abbrechen"))},
        false,
    };
    // Destructive: Return cancels, only a click uninstalls.
    alert.defaultButton = 1;
    if (m_services.alerts.runModal(alert) != 0)
        return false;
    run();
    return true;
}

void Uninstaller::removeTree(const QString& path, const QString& shownAs, Report& report)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        log(QStringLiteral("nicht vorhanden: ") + path);
        return;
    }
    const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
    if (removed && !QFileInfo::exists(path)) {
        log(QStringLiteral("entfernt: ") + path);
        report.removed << shownAs;
    } else {
        log(QStringLiteral("FEHLER nicht entfernt: ") + path);
        report.left << path;
    }
}

void Uninstaller::trash(const QStringList& files, Report& report)
{
    for (const QString& file : files) {
        if (m_services.folders.paths().moveToTrash(file)) {
            log(QStringLiteral("in den Papierkorb: ") + file);
            report.trashed << file;
        } else {
            log(QStringLiteral("FEHLER Papierkorb: ") + file);
            report.left << file;
        }
    }
}

Uninstaller::Report Uninstaller::run()
{
    Report report;
    if (m_stopActivity)
        m_stopActivity();
    // Read while the settings still exist.
    const QString pictures = m_services.exportFolder ? m_services.exportFolder() : QString();

    // 1. The login item.
    QString error;
    const bool hadLoginItem = m_services.loginItem.status() != LoginItemService::Status::notRegistered;
    if (m_services.loginItem.unregisterApp(&error)) {
        log(QStringLiteral("Autostart entfernt"));
        if (hadLoginItem)
            report.removed << Localizer::t(QStringLiteral("Autostart-Eintrag"));
    } else {
        log(QStringLiteral("FEHLER Autostart: ") + error);
        report.left << Localizer::t(QStringLiteral("Autostart-Eintrag")) + QStringLiteral(": ") + error;
    }
    // 2. X11 keeps no per-program privacy grants to reset.
    log(QStringLiteral("Berechtigungen: nichts zurückzusetzen"));
    // 3. The settings.
    error.clear();
    if (m_services.defaults.removePersistentDomain(&error)) {
        log(QStringLiteral("Einstellungen entfernt"));
        report.removed << Localizer::t(QStringLiteral("Einstellungen"));
    } else {
        log(QStringLiteral("FEHLER Einstellungen: ") + error);
        report.left << error;
    }
    // 4. The data folder (histories, screenshots, clipboard images, debug.log),
    // the caches and what the toolkit's dialogs remember. From here on no log
    // line may recreate the data folder.
    DebugLog::stop();
    const QString data = m_services.folders.baseDirectory();
    removeTree(data, Localizer::t(QStringLiteral("Screenshots, Verläufe und Protokoll: %1")).arg(data), report);
    QStringList folders = m_services.installation.cacheDirectories();
    folders << m_services.installation.dialogStateDirectory();
    for (const QString& folder : std::as_const(folders))
        if (!folder.isEmpty())
            removeTree(folder, folder, report);

    // 5. The program goes to the Trash: the user-level install as a whole,
    // or the loose copy this runs from; a copy installed by other means stays
    // and is named below.
    const QString program = m_services.launcher.programPath();
    const Installation::Placement placement = m_services.installation.placement(program);
    const Installation::Removal install = m_services.installation.uninstall();
    for (const QString& path : install.trashed)
        log(QStringLiteral("in den Papierkorb: ") + path);
    for (const QString& path : install.left)
        log(QStringLiteral("FEHLER Papierkorb: ") + path);
    report.trashed << install.trashed;
    report.left << install.left;
    if (placement == Installation::Placement::loose) {
        trash(QStringList{program} + m_services.installation.companions(program), report);
    } else if (placement != Installation::Placement::userInstall) {
        log(QStringLiteral("bleibt (nicht von Zentu.it installiert): ") + program);
        report.keptProgram = program;
    }
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir() && !QDir(pictures).isEmpty())
        report.keptPictures = pictures;

    // 6. Nothing is left unsaid: the user learns what went and what stays
    // before the app quits.
    tell(report);
    log(QStringLiteral("fertig, App wird beendet"));
    m_services.launcher.quit();
    return report;
}

void Uninstaller::tell(const Report& report)
{
    const auto list = [](const QString& heading, const QStringList& lines) {
        return heading + u'\n' + QStringLiteral("• ") + lines.join(QStringLiteral("\n• "));
    };
    QStringList parts;
    if (!report.removed.isEmpty())
        parts << list(Localizer::t(QStringLiteral("Entfernt:")), report.removed);
    if (!report.trashed.isEmpty())
        parts << list(Localizer::t(QStringLiteral("In den Papierkorb verschoben (dort wiederherstellbar, bis du ihn leerst):")),
                      report.trashed);
    if (!report.left.isEmpty())
        parts << list(Localizer::t(QStringLiteral("Folgendes konnte nicht entfernt werden:")), report.left);
    if (!report.keptProgram.isEmpty())
        parts << Localizer::t(QStringLiteral("Das Programm selbst wurde nicht von Zentu.it installiert und bleibt erhalten. Entferne es auf dem Weg, auf dem es installiert wurde (z. B. mit der Paketverwaltung): %1"))
                     .arg(report.keptProgram);
    if (!report.keptPictures.isEmpty())
        parts << Localizer::t(QStringLiteral("Deine gespeicherten Bilder bleiben erhalten: %1")).arg(report.keptPictures);
    const bool complete = report.left.isEmpty() && report.keptProgram.isEmpty();
    m_services.alerts.runModal({
        complete ? Localizer::t(QStringLiteral("Zentu.it wurde deinstalliert"))
                 : Localizer::t(QStringLiteral("Deinstallation unvollständig")),
        parts.join(QStringLiteral("\n\n")),
        {Localizer::t(QStringLiteral("OK"))},
        complete,
    });
}
