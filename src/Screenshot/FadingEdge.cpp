#include "Screenshot/FadingEdge.h"

#include <cstring>

FadingEdge::FadingEdge(const QImage& atTop, const QImage& atEnd)
    : m_first(atEnd.convertToFormat(QImage::Format_RGB32))
    , m_last(m_first)
{
    m_suspect = !m_first.isNull() && m_first.height() > 0 && !same(atTop.convertToFormat(QImage::Format_RGB32), m_first);
}

void FadingEdge::look(const QImage& rows)
{
    const QImage now = rows.convertToFormat(QImage::Format_RGB32);
    if (now.isNull() || now.size() != m_first.size())
        return;
    const bool changed = !same(now, m_first);
    m_calm = m_changed && changed && same(now, m_last) ? m_calm + 1 : 0;
    m_changed = m_changed || changed;
    m_last = now;
}

bool FadingEdge::same(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    const size_t bytes = size_t(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), bytes) != 0)
            return false;
    return true;
}
