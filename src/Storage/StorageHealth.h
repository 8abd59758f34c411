#pragma once
// Whether the app's files reach the disk, told to the user once per episode.
// An episode begins with the first write that fails (or a history that may
// not be read) and ends once every source has written all it holds; while it
// lasts, the sources are asked to write again at every retry interval (a new
// change tries too). (The sources log each file that fails, with why.)
#include "Platform/AtomicFile.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class StorageHealth : public QObject {
    Q_OBJECT
public:
    enum class Problem { diskFull, notWritable, unreadable };

    explicit StorageHealth(int retryIntervalMs = 10000, QObject* parent = nullptr);

    // A source of writes: whether it holds what is not on disk yet, and what
    // makes it try again.
    void addSource(std::function<bool()> hasUnwritten, std::function<void()> retry);
    // A write's outcome, failed or not.
    void report(const FileWriteOutcome& outcome);
    // A history file that could not be read (and is left alone).
    void reportUnreadable();

    // True once per episode: whoever tells the user about it first (a
    // capture's own toast, or the episode's toast) takes it.
    bool takeAnnouncement();
    static QString text(Problem problem);
    static Problem problemOf(int error);

Q_SIGNALS:
    void episodeStarted(StorageHealth::Problem problem);
    void episodeEnded();

private:
    void begin(Problem problem);
    void checkEnd();

    struct Source {
        std::function<bool()> hasUnwritten;
        std::function<void()> retry;
    };
    std::vector<Source> m_sources;
    std::optional<Problem> m_problem;
    bool m_announced = false;
    QTimer m_retry;
};
