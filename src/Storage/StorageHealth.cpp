#include "Storage/StorageHealth.h"

#include "Debug/DebugLog.h"
#include "Localization/Localizer.h"

#include <cerrno>

StorageHealth::StorageHealth(int retryIntervalMs, QObject* parent)
    : QObject(parent)
{
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        for (const Source& source : m_sources)
            if (source.hasUnwritten())
                source.retry();
        checkEnd();
    });
}

void StorageHealth::addSource(std::function<bool()> hasUnwritten, std::function<void()> retry)
{
    m_sources.push_back({std::move(hasUnwritten), std::move(retry)});
}

StorageHealth::Problem StorageHealth::problemOf(int error)
{
    return error == ENOSPC || error == EDQUOT ? Problem::diskFull : Problem::notWritable;
}

void StorageHealth::report(const FileWriteOutcome& outcome)
{
    if (outcome.ok())
        checkEnd();
    else
        begin(problemOf(outcome.error));
}

void StorageHealth::reportUnreadable()
{
    begin(Problem::unreadable);
}

void StorageHealth::begin(Problem problem)
{
    if (m_problem)
        return;
    m_problem = problem;
    m_announced = false;
    DebugLog::write(QStringLiteral("STORAGE Problem beginnt: %1").arg(text(problem)));
    m_retry.start();
    Q_EMIT episodeStarted(problem);
}

void StorageHealth::checkEnd()
{
    if (!m_problem)
        return;
    for (const Source& source : m_sources)
        if (source.hasUnwritten())
            return;
    m_problem.reset();
    m_retry.stop();
    DebugLog::write(QStringLiteral("STORAGE alles gesichert"));
    Q_EMIT episodeEnded();
}

bool StorageHealth::takeAnnouncement()
{
    if (!m_problem || m_announced)
        return false;
    m_announced = true;
    DebugLog::write(QStringLiteral("STORAGE dem Benutzer gemeldet: %1").arg(text(*m_problem)));
    return true;
}

QString StorageHealth::text(Problem problem)
{
    switch (problem) {
    case Problem::diskFull:
        return Localizer::t(QStringLiteral("Speicherplatz voll – Verlauf wird nicht gesichert"));
    case Problem::notWritable:
        return Localizer::t(QStringLiteral("Datenordner nicht beschreibbar"));
    case Problem::unreadable:
        return Localizer::t(QStringLiteral("Verlauf nicht lesbar – er bleibt unverändert"));
    }
    return {};
}
