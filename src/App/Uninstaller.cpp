#include "App/Uninstaller.h"

#include "Storage/DebugLog.h"
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
    : m_services(services)
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
        Localizer::t(QStringLiteral("Zentu.it wird beendet und vollständig entfernt: die App, alle Screenshots und der Verlauf, deine Einstellungen und die erteilten Berechtigungen. Das lässt sich nicht rückgängig machen.")),
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

QStringList Uninstaller::run()
{
    QStringList leftovers;
    auto removeTree = [&](const QString& path) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) {
            log(QStringLiteral("nicht vorhanden: ") + path);
            return;
        }
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
        if (removed && !QFileInfo::exists(path)) {
            log(QStringLiteral("entfernt: ") + path);
        } else {
            log(QStringLiteral("FEHLER nicht entfernt: ") + path);
            leftovers << path;
        }
    };

    if (m_stopActivity)
        m_stopActivity();

    // 1. The login item.
    QString error;
    if (m_services.loginItem.unregisterApp(&error)) {
        log(QStringLiteral("Autostart entfernt"));
    } else {
        log(QStringLiteral("FEHLER Autostart: ") + error);
        leftovers << Localizer::t(QStringLiteral("Autostart-Eintrag")) + QStringLiteral(": ") + error;
    }
    // 2. X11 keeps no per-program privacy grants to reset.
    log(QStringLiteral("Berechtigungen: nichts zurückzusetzen"));
    // 3. The settings.
    error.clear();
    if (m_services.defaults.removePersistentDomain(&error)) {
        log(QStringLiteral("Einstellungen entfernt"));
    } else {
        log(QStringLiteral("FEHLER Einstellungen: ") + error);
        leftovers << error;
    }
    // 4. The data folder (histories, screenshots, clipboard images, debug.log)
    // and the caches. From here on no log line may recreate the folder.
    DebugLog::stop();
    removeTree(m_services.folders.baseDirectory());
    for (const QString& cache : m_services.installation.cacheDirectories())
        removeTree(cache);

    // 5. The program: the user-level install goes, a loose copy goes to the
    // Trash, a copy installed by other means stays and is named below.
    QString keptProgram;
    const QString program = m_services.launcher.programPath();
    const Installation::Placement placement = m_services.installation.placement(program);
    const QStringList installLeft = m_services.installation.uninstall();
    for (const QString& path : installLeft)
        log(QStringLiteral("FEHLER nicht entfernt: ") + path);
    leftovers << installLeft;
    if (installLeft.isEmpty())
        log(QStringLiteral("Benutzer-Installation entfernt (falls vorhanden)"));
    if (placement == Installation::Placement::loose) {
        for (const QString& file : QStringList{program} + m_services.installation.companions(program)) {
            if (m_services.folders.paths().moveToTrash(file)) {
                log(QStringLiteral("in den Papierkorb: ") + file);
            } else {
                log(QStringLiteral("FEHLER Papierkorb: ") + file);
                leftovers << file;
            }
        }
    } else if (placement != Installation::Placement::userInstall) {
        log(QStringLiteral("bleibt (nicht von Zentu.it installiert): ") + program);
        keptProgram = program;
    }

    // 6. Nothing is left unsaid: what remains is listed before the app quits.
    if (!leftovers.isEmpty() || !keptProgram.isEmpty()) {
        QStringList parts;
        if (!leftovers.isEmpty())
            parts << Localizer::t(QStringLiteral("Folgendes konnte nicht entfernt werden:")) + u'\n'
                    + leftovers.join(u'\n');
        if (!keptProgram.isEmpty())
            parts << Localizer::t(QStringLiteral("Das Programm selbst wurde nicht von Zentu.it installiert und bleibt erhalten. Entferne es auf dem Weg, auf dem es installiert wurde (z. B. mit der Paketverwaltung): %1"))
                         .arg(keptProgram);
        m_services.alerts.runModal({
            Localizer::t(QStringLiteral("Deinstallation unvollständig")),
            parts.join(QStringLiteral("\n\n")),
            {Localizer::t(QStringLiteral("OK"))},
            false,
        });
    }
    log(QStringLiteral("fertig, App wird beendet"));
    m_services.launcher.quit();
    if (!keptProgram.isEmpty())
        leftovers << keptProgram;
    return leftovers;
}
