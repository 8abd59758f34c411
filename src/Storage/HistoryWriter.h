#pragma once
// Writes one history's files on a thread of its own, one job after the other
// in the order they were handed in. So the main thread never waits for the
// disk, a record reaches the history file only after its picture, and a
// picture is deleted only after the history that no longer names it.
#include <QMutex>
#include <QWaitCondition>
#include <deque>
#include <functional>
#include <memory>

class QThread;

class HistoryWriter {
public:
    using Job = std::function<void()>;

    HistoryWriter();
    // Runs what is queued, then ends.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void add(Job job);
    // Blocks until every job handed in so far has run.
    void waitUntilIdle();

    // Test seams: after `jobs` more jobs the writer takes no further job until
    // release(). waitUntilHeld() blocks until it has stopped there (true) or
    // has run out of jobs first (false).
    void holdAfter(int jobs);
    bool waitUntilHeld();
    void release();

private:
    void run();

    QMutex m_mutex;
    QWaitCondition m_changed;
    std::deque<Job> m_queue;
    bool m_running = false;
    bool m_stopping = false;
    int m_holdAfter = -1;
    bool m_held = false;
    std::unique_ptr<QThread> m_thread;
};
