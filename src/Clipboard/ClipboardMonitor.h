#pragma once
// Watches the system clipboard and hands new texts and images to the
// clipboard history, with the application they came from. Where the clipboard
// announces its changes it looks 0.4 s after a change is announced (so a
// burst of copies counts as one change, the last one, as with polling);
// elsewhere it polls every 0.4 s. At rest it does nothing at all. Skips, while the
// sensitive-content filter is on, content marked as concealed, transient,
// auto-generated or as a password, and content from password managers.
// Another program's content is read off the main thread, one read at a time;
// a read that cannot vouch for its content (owner changed, no answer in time,
// too large) records nothing. Large content is hashed and encoded off the main
// thread as well.
// The app's own writes stay out when their writer hands them in (ownWrite):
// the change they made is not looked at, and neither is their content when a
// late notice brings it up again. Everything else is recorded, also a copy the
// user makes in one of the app's own windows (with the app as its source). A
// copy from another program is never attributed to the app.
#include "Platform/ClipboardService.h"
#include "Platform/ClipboardSnapshot.h"

#include <QList>
#include <functional>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

class ClipboardHistoryStore;
class SettingsManager;
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
    void setLastChangeCount(qint64 count) { m_lastChangeCount = count; }
    // Writers of the clipboard hand in what their write left, in the same
    // turn. A write that lost to another program's newer copy changes
    // nothing: that copy is recorded like any other.
    void ownWrite(const ClipboardWrite& write);
    // An own write that must not replace another program's copy unseen: it
    // runs once every change before it has been looked at (at most
    // settleBoundMs later), is handed to ownWrite, then to `done`.
    void writeAfterPendingChanges(std::function<ClipboardWrite()> write,
                                  std::function<void(const ClipboardWrite&)> done);
    static constexpr int settleBoundMs = 300;

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
    // The application the content came from; none when unknown.
    std::optional<QString> sourceOf(const ClipboardSnapshot& snapshot);
    void finish();
    // Nothing announced or read is waiting to be looked at.
    bool settled();
    void runWaitingWrites();

    ClipboardHistoryStore& m_store;
    SettingsManager& m_settings;
    ApplicationIdentity& m_identity;
    ClipboardService& m_clipboard;
    qint64 m_lastChangeCount = 0;
    // The content of the newest own write, and the last content looked at.
    quint64 m_ownContent = 0;
    quint64 m_seenContent = 0;
    QTimer m_timer;
    // An announced change waiting for its look.
    QTimer m_announced;
    bool m_running = false;
    bool m_busy = false;
    bool m_changedWhileBusy = false;
    bool m_stopped = false;
    struct WaitingWrite {
        std::function<ClipboardWrite()> write;
        std::function<void(const ClipboardWrite&)> done;
    };
    QList<WaitingWrite> m_waitingWrites;
    QTimer m_settleBound;
};
