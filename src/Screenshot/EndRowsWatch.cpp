#include "Screenshot/EndRowsWatch.h"

#include <algorithm>
#include <cstring>

namespace {

// Colour of row y over `columns` columns where it has only one, else none.
bool uniform(const QImage& image, int y, int columns, QRgb& colour)
{
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    colour = line[0];
    for (int x = 1; x < columns; ++x)
        if (line[x] != colour)
            return false;
    return true;
}

} // namespace

EndRowsWatch::EndRowsWatch(const QImage& frame, int contentTop, int contentEnd, int columns)
    : m_frame(frame.convertToFormat(QImage::Format_RGB32))
    , m_top(std::max(0, contentTop))
    , m_end(std::min(contentEnd, int(m_frame.height())))
    , m_columns(std::min(columns, int(m_frame.width())))
{
    if (m_frame.isNull() || m_columns <= 0)
        return;
    // (The lower quarter of the view: where a bar over its bottom edge
    // stands, and where a short last step brings the page's last rows.)
    const int from = std::max(m_top, m_frame.height() * 3 / 4);
    int run = 0; // rows of one colour in a row, ending at y
    QRgb runColour = 0;
    for (int y = std::max(0, from - plainRows); y < m_end; ++y) {
        QRgb c = 0;
        const bool one = uniform(m_frame, y, m_columns, c);
        run = one && run > 0 && c == runColour ? run + 1 : one ? 1 : 0;
        runColour = c;
        if (y >= from && run <= plainRows) {
            m_first = y;
            break;
        }
    }
}

bool EndRowsWatch::same(const QImage& a, const QImage& b, int from, int to) const
{
    const size_t bytes = size_t(m_columns) * 4;
    for (int y = from; y < to; ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), bytes) != 0)
            return false;
    return true;
}

void EndRowsWatch::look(const QImage& view, bool late)
{
    if (settled())
        return;
    const QImage now = view.convertToFormat(QImage::Format_RGB32);
    if (now.size() != m_frame.size())
        return;
    if (same(now, m_frame, m_first, m_end)) {
        // As the frame had them; from a look that late, nothing stands over
        // them any more.
        m_calm = 0;
        m_last = QImage();
        m_settled = late;
        return;
    }
    if (!same(now, m_frame, m_top, m_first)) {
        // More changed than those rows: taking them from here could tear
        // whatever reaches into them.
        m_calm = 0;
        m_last = QImage();
        return;
    }
    m_calm = !m_last.isNull() && same(now, m_last, m_first, m_end) ? m_calm + 1 : 0;
    m_last = now;
    // (A fade goes on for a while: three looks that agree, or one after it.)
    if (late || m_calm >= 2) {
        m_taken = now;
        m_settled = true;
    }
}
