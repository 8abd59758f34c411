#pragma once
// The update check: reads the update feed (an appcast) and tells the user
// about a newer version with a link to its download. It installs nothing: a
// downloaded copy installs itself when started (see SelfInstall), and copies
// from a package manager are updated by it. Started once at launch, it checks
// quietly on its own schedule (a found update is shown, nothing else); a check
// the user asks for also reports "up to date" and failures. Whatever the feed
// says is shown as plain text, and only its checked http(s) download address
// is ever opened.
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>

class Alerts;
class UpdateFeed;
class Workspace;
struct AppcastRelease;

class AppcastUpdater : public QObject {
    Q_OBJECT
public:
    enum class Result { updateAvailable, upToDate, failed };

    AppcastUpdater(UpdateFeed& feed, Alerts& alerts, Workspace& workspace, QUrl feedUrl, QString currentVersion,
                   QObject* parent = nullptr);

    // Arms the scheduled checks: the first soon after launch, then daily.
    void start();
    void stop();
    // The check behind "Nach Updates suchen": every outcome is shown. Asked
    // while a check runs, it joins that check, whose outcome is shown once.
    void checkForUpdates();
    // A scheduled check: only a newer version is shown.
    void checkInBackground();

    bool isChecking() const { return m_checking; }
    // A running check whose outcome the user waits for.
    bool isUserWaiting() const { return m_checking && m_userInitiated; }
    bool isStarted() const { return m_schedule.isActive(); }

    // Not during start-up: a while after launch, when the desktop has settled.
    static constexpr int firstCheckDelayMs = 10 * 60 * 1000;
    static constexpr int checkIntervalMs = 24 * 60 * 60 * 1000;
    // The longest download address shown; the button opens the whole one.
    static constexpr qsizetype maxShownAddressChars = 200;

Q_SIGNALS:
    // After the outcome has been logged and, where due, shown.
    void checkFinished(AppcastUpdater::Result result);

private:
    void check(bool userInitiated);
    void finish(Result result, const AppcastRelease* release, const QString& error);

    UpdateFeed& m_feed;
    Alerts& m_alerts;
    Workspace& m_workspace;
    QUrl m_feedUrl;
    QString m_currentVersion;
    QTimer m_schedule;
    bool m_checking = false;
    bool m_userInitiated = false;
};
