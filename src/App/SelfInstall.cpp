#include "App/SelfInstall.h"

#include "Localization/Localizer.h"
#include "Platform/Alerts.h"
#include "Platform/Installation.h"
#include "Platform/Paths.h"
#include "Platform/ProcessLauncher.h"
#include "Platform/SingleInstance.h"
#include "Ui/HomeRelativePath.h"

#include <QDebug>
#include <QFileInfo>

namespace {
// debug.log is restarted right after this step, by this process or by the
// installed copy, so the steps go to standard error where they last.
void log(const QString& message)
{
    qInfo().noquote() << QStringLiteral("Zentu: SELFINSTALL") << message;
}
}

SelfInstall::SelfInstall(Alerts& alerts, ProcessLauncher& launcher, Installation& installation,
                         SingleInstance& session, Paths& paths)
    : m_alerts(alerts)
    , m_launcher(launcher)
    , m_installation(installation)
    , m_session(session)
    , m_paths(paths)
{
}

SelfInstall::Outcome SelfInstall::moveToApplicationsIfNeeded()
{
    const QString source = m_launcher.programPath();
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return Outcome::stayed;
    // Installed copies and development builds stay where they are.
    switch (m_installation.placement(source)) {
    case Installation::Placement::userInstall:
    case Installation::Placement::managed:
    case Installation::Placement::developmentBuild:
        return Outcome::stayed;
    case Installation::Placement::loose:
        break;
    }
    // Another installer's copy in the same place is never replaced.
    const QString destination = m_installation.installedProgram();
    if (m_installation.isPlaceTaken()) {
        log(QStringLiteral("Ziel gehört einer anderen Installation, kein Angebot: ") + destination);
        return Outcome::stayed;
    }

    // Declining leaves no trace: the offer comes again at the next launch.
    const int answer = m_alerts.runModal({
        Localizer::t(QStringLiteral("Zentu.it für dein Benutzerkonto installieren?")),
        Localizer::t(QStringLiteral("Zentu.it wird nach %1 verschoben und von dort neu gestartet. So steht es im Anwendungsmenü, und der Start bei der Anmeldung findet es immer am selben Ort. Die heruntergeladene Datei kommt in den Papierkorb."))
            .arg(installFolder()),
        {Localizer::t(QStringLiteral("Verschieben & neu starten")), Localizer::t(QStringLiteral("Nicht verschieben"))},
    });
    if (answer != 0)
        return Outcome::stayed;

    // Each file is written beside its place and renamed over it: an
    // earlier install stays whole until the new copy is complete.
    QString error;
    if (!m_installation.install(source, &error)) {
        log(QStringLiteral("Installation fehlgeschlagen: ") + error);
        showFailure();
        return Outcome::stayed;
    }
    log(QStringLiteral("installiert: ") + destination);

    // The new copy must start and take over the session before anything of
    // this one goes away; otherwise this one keeps running.
    if (!m_session.handOverTo(destination, handOverTimeoutMs)) {
        log(QStringLiteral("installierte Kopie startet nicht: ") + destination);
        showFailure();
        return Outcome::stayed;
    }
    log(QStringLiteral("installierte Kopie läuft: ") + destination);

    // Only now does the loose copy go to the Trash, with its files beside it.
    if (source != destination)
        for (const QString& file : QStringList{source} + m_installation.companions(source))
            if (!m_paths.moveToTrash(file))
                log(QStringLiteral("konnte nicht in den Papierkorb: ") + file);

    m_launcher.quit();
    return Outcome::handedOver;
}

QString SelfInstall::installFolder() const
{
    return homeRelativePath(QFileInfo(m_installation.installedProgram()).absolutePath(), m_paths.homeDirectory());
}

void SelfInstall::showFailure()
{
    m_alerts.runModal({
        Localizer::t(QStringLiteral("Installation fehlgeschlagen")),
        Localizer::t(QStringLiteral("Zentu.it konnte nicht nach %1 verschoben und von dort gestartet werden. Es läuft von hier aus weiter; beim nächsten Start wird das Verschieben wieder angeboten."))
            .arg(installFolder()),
        {Localizer::t(QStringLiteral("OK"))},
    });
}
