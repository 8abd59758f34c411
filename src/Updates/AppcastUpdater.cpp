#include "Updates/AppcastUpdater.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"
#include "Platform/Alerts.h"
#include "Platform/UpdateFeed.h"
#include "Platform/Workspace.h"
#include "Updates/Appcast.h"

#include <QPointer>

AppcastUpdater::AppcastUpdater(UpdateFeed& feed, Alerts& alerts, Workspace& workspace, QUrl feedUrl,
                               QString currentVersion, QObject* parent)
    : QObject(parent)
    , m_feed(feed)
    , m_alerts(alerts)
    , m_workspace(workspace)
    , m_feedUrl(std::move(feedUrl))
    , m_currentVersion(std::move(currentVersion))
{
    m_schedule.setSingleShot(false);
    connect(&m_schedule, &QTimer::timeout, this, [this] {
        m_schedule.setInterval(checkIntervalMs);
        checkInBackground();
    });
}

void AppcastUpdater::start()
{
    m_schedule.start(firstCheckDelayMs);
}

void AppcastUpdater::stop()
{
    m_schedule.stop();
}

void AppcastUpdater::checkForUpdates()
{
    check(true);
}

void AppcastUpdater::checkInBackground()
{
    check(false);
}

void AppcastUpdater::check(bool userInitiated)
{
    // A check already under way answers the user's request too.
    m_userInitiated = m_userInitiated || userInitiated;
    if (m_checking)
        return;
    m_checking = true;
    DebugLog::write(QStringLiteral("UPDATE Prüfung: ") + m_feedUrl.toString());
    if (!m_feedUrl.isValid() || m_feedUrl.isRelative()) {
        finish(Result::failed, nullptr, QStringLiteral("keine gültige Feed-Adresse"));
        return;
    }
    QPointer<AppcastUpdater> self(this);
    m_feed.fetch(m_feedUrl, [self](const UpdateFeed::Reply& reply) {
        if (!self)
            return;
        if (!reply.error.isEmpty()) {
            self->finish(Result::failed, nullptr, reply.error);
            return;
        }
        QString error;
        const std::optional<AppcastRelease> newest = Appcast::newestRelease(reply.body, &error);
        if (!newest) {
            self->finish(Result::failed, nullptr, error);
            return;
        }
        const QVersionNumber current = Appcast::parseVersion(self->m_currentVersion);
        self->finish(newest->version > current ? Result::updateAvailable : Result::upToDate, &*newest, {});
    });
}

void AppcastUpdater::finish(Result result, const AppcastRelease* release, const QString& error)
{
    const bool shown = m_userInitiated || result == Result::updateAvailable;
    m_checking = false;
    m_userInitiated = false;
    switch (result) {
    case Result::updateAvailable: {
        // Encoded, the address shows what the browser will be given: no
        // look-alike letters, no hidden characters.
        const QString address = QString::fromLatin1(release->downloadUrl.toEncoded());
        DebugLog::write(QStringLiteral("UPDATE neue Version %1 (installiert %2): %3")
                            .arg(release->displayVersion, m_currentVersion, address));
        Alerts::Alert alert{
            Localizer::t(QStringLiteral("Neue Version verfügbar")),
            Localizer::t(QStringLiteral("Zentu.it %1 ist verfügbar – du verwendest Version %2.\n\nDownload: %3"))
                .arg(release->displayVersion, m_currentVersion, Appcast::oneLine(address, maxShownAddressChars)),
            {Localizer::t(QStringLiteral("Herunterladen")), Localizer::t(QStringLiteral("Später"))},
        };
        alert.textFormat = Qt::PlainText; // the feed's words, never its markup
        if (m_alerts.runModal(alert) == 0)
            m_workspace.openUrl(release->downloadUrl);
        break;
    }
    case Result::upToDate:
        DebugLog::write(QStringLiteral("UPDATE aktuell (Feed %1, installiert %2)")
                            .arg(release->displayVersion, m_currentVersion));
        if (shown)
            m_alerts.runModal({
                Localizer::t(QStringLiteral("Zentu.it ist auf dem neuesten Stand")),
                Localizer::t(QStringLiteral("Version %1 ist die aktuelle Version.")).arg(m_currentVersion),
                {Localizer::t(QStringLiteral("OK"))},
            });
        break;
    case Result::failed:
        DebugLog::write(QStringLiteral("UPDATE FEHLER: ") + error);
        if (shown)
            m_alerts.runModal({
                Localizer::t(QStringLiteral("Suche nach Updates fehlgeschlagen")),
                Localizer::t(QStringLiteral("Die Update-Informationen von %1 konnten nicht gelesen werden. Versuche es später noch einmal."))
                    .arg(m_feedUrl.host().isEmpty() ? m_feedUrl.toString() : m_feedUrl.host()),
                {Localizer::t(QStringLiteral("OK"))},
                false,
            });
        break;
    }
    Q_EMIT checkFinished(result);
}
