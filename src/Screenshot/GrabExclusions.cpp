#include "Screenshot/GrabExclusions.h"

#include "Platform/WindowRedirector.h"

GrabExclusions::GrabExclusions(std::shared_ptr<WindowRedirector> redirector)
    : m_redirector(std::move(redirector))
{
}

void GrabExclusions::add(quint32 windowID)
{
    QMutexLocker lock(&m_mutex);
    m_ids.insert(windowID);
}

void GrabExclusions::remove(quint32 windowID)
{
    bool none = false;
    {
        QMutexLocker lock(&m_mutex);
        m_ids.remove(windowID);
        none = m_ids.isEmpty();
    }
    // Nothing of ours lies on top any more: windows need not keep their pictures.
    if (none && m_redirector)
        m_redirector->releaseAll();
}

QSet<quint32> GrabExclusions::ids() const
{
    QMutexLocker lock(&m_mutex);
    return m_ids;
}
