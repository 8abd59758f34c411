#pragma once
// Watches the system clipboard and hands new texts and images to the
// clipboard history, with the application they came from. Where the clipboard
// announces its changes it looks when told (at most once every 0.4 s, so a
// burst of copies counts as one change, as with polling); elsewhere it polls
// every 0.4 s. At rest it does nothing at all. Skips, while the
// sensitive-content filter is on, content marked as concealed, transient,
// auto-generated or as a password, and content from password managers.
// Another program's content is read off the main thread, one read at a time;
// a read that cannot vouch for its content (owner changed, no answer in time,
// too large) records nothing. Large content is hashed and encoded off the main
// thread as well.
#include "Platform/ClipboardSnapshot.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

class ClipboardHistoryStore;
class SettingsManager;
class ClipboardService;
class ApplicationIdentity;

class ClipboardMonitor : public QObject {
    Q_OBJECT
public:
    // Whatever is on the clipboard now is not recorded. Does not start polling.
    ClipboardMonitor(ClipboardHistoryStore& store, SettingsManager& settings, ApplicationIdentity& identity,
                     ClipboardService& clipboard, QObject* parent = nullptr);

    void start();
    // Also drops the result of a read still under way.
    void stop();
    bool isRunning() const { return m_running; }
    // Looking only when the clipboard announces a change, not every 0.4 s.
    bool isEventDriven() const { return m_running && !m_timer.isActive(); }

    qint64 lastChangeCount() const { return m_lastChangeCount; }
    // Writers of the clipboard set this to the count after their write.
    void setLastChangeCount(qint64 count) { m_lastChangeCount = count; }

    // One look at the change count (the poll timer, or an announced change).
    void poll();

    static constexpr int pollIntervalMs = 400;
    // A change is being read or prepared.
    bool isBusy() const { return m_busy; }

    static const QStringList& markerTypes();
    static const QStringList& passwordManagerTokens();
    static bool isPasswordManager(const std::optional<QString>& source);

Q_SIGNALS:
    // A change has been dealt with (recorded or not).
    void changeHandled();

private:
    void changeAnnounced();
    void handleChange();
    void readFinished(const ClipboardSnapshot& snapshot);
    bool isSensitive(const ClipboardSnapshot& snapshot) const;
    void finish();

    ClipboardHistoryStore& m_store;
    SettingsManager& m_settings;
    ApplicationIdentity& m_identity;
    ClipboardService& m_clipboard;
    qint64 m_lastChangeCount = 0;
    QTimer m_timer;
    // An announced change waiting for its look.
    QTimer m_announced;
    QElapsedTimer m_sinceLook;
    bool m_running = false;
    bool m_busy = false;
    bool m_changedWhileBusy = false;
    bool m_stopped = false;
};
