#include "Storage/HistoryWriter.h"

#include <QThread>

HistoryWriter::HistoryWriter()
{
    m_thread.reset(QThread::create([this] { run(); }));
    // Encoding a large PNG must not compete with the user's work.
    m_thread->start(QThread::LowPriority);
}

HistoryWriter::~HistoryWriter()
{
    {
        QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_holdAfter = -1;
        m_changed.wakeAll();
    }
    m_thread->wait();
}

void HistoryWriter::add(Job job)
{
    QMutexLocker lock(&m_mutex);
    m_queue.push_back(std::move(job));
    m_changed.wakeAll();
}

void HistoryWriter::waitUntilIdle()
{
    QMutexLocker lock(&m_mutex);
    while (!m_queue.empty() || m_running)
        m_changed.wait(&m_mutex);
}

void HistoryWriter::holdAfter(int jobs)
{
    QMutexLocker lock(&m_mutex);
    m_holdAfter = jobs;
    m_changed.wakeAll();
}

bool HistoryWriter::waitUntilHeld()
{
    QMutexLocker lock(&m_mutex);
    while (!m_held && (!m_queue.empty() || m_running))
        m_changed.wait(&m_mutex);
    return m_held;
}

void HistoryWriter::release()
{
    QMutexLocker lock(&m_mutex);
    m_holdAfter = -1;
    m_changed.wakeAll();
}

void HistoryWriter::run()
{
    QMutexLocker lock(&m_mutex);
    for (;;) {
        m_held = m_holdAfter == 0;
        if (m_held)
            m_changed.wakeAll();
        if (m_queue.empty() || m_held) {
            if (m_stopping && !m_held && m_queue.empty())
                return;
            m_changed.wait(&m_mutex);
            continue;
        }
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        if (m_holdAfter > 0)
            --m_holdAfter;
        lock.unlock();
        job();
        lock.relock();
        m_running = false;
        m_changed.wakeAll();
    }
}
