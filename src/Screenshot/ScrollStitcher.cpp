#include "Screenshot/ScrollStitcher.h"

#include <algorithm>
#include <cstring>

namespace {

QImage premultiplied(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
        ? image
        : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool coveredAt(const ScrollStitcher::Frame& frame, int y)
{
    return y >= 0 && y < int(frame.covered.size()) && frame.covered[size_t(y)];
}

// Whether `shown` is `held` under a shadow: darker in no channel by more
// than a quarter, brighter in none.
bool shaded(QRgb held, QRgb shown)
{
    auto darker = [](int was, int now) { return now <= was && was - now <= was / 4 + 2; };
    return darker(qRed(held), qRed(shown)) && darker(qGreen(held), qGreen(shown))
        && darker(qBlue(held), qBlue(shown));
}

// Whether row y of the first frame, covered there, lies under something that
// stands a good way below the top of the content (a box at the side, a
// banner at the bottom): a later view shows it higher up, uncovered. What
// covers the top of the content (a badge in a top corner) shows once, as
// the first frame has it.
bool reachable(const ScrollStitcher::Frame& frame, int y)
{
    int top = y;
    while (top > frame.contentTop && coveredAt(frame, top - 1))
        --top;
    return top - frame.contentTop >= (frame.contentEnd - frame.contentTop) / 4;
}

} // namespace

void ScrollStitcher::setFixedColumns(std::vector<bool> fixed, std::vector<QRgb> fill)
{
    m_fixed = std::move(fixed);
    m_fill = std::move(fill);
}

void ScrollStitcher::grow(int rows)
{
    while (int(m_chunks.size()) * chunkRows < rows) {
        QImage chunk(m_width, chunkRows, QImage::Format_ARGB32_Premultiplied);
        chunk.fill(Qt::transparent);
        m_chunks.push_back(std::move(chunk));
    }
    if (int(m_state.size()) < rows) {
        m_state.resize(size_t(rows), State::missing);
        m_from.resize(size_t(rows), noFrame);
        m_depth.resize(size_t(rows), 0);
    }
}

void ScrollStitcher::write(int r, const QRgb* source, bool masked)
{
    QRgb* line = reinterpret_cast<QRgb*>(m_chunks[size_t(r / chunkRows)].scanLine(r % chunkRows));
    std::memcpy(line, source, size_t(m_width) * sizeof(QRgb));
    if (!masked)
        return;
    for (int x = 0; x < int(m_fixed.size()) && x < m_width; ++x)
        if (m_fixed[size_t(x)])
            line[x] = m_fill[size_t(x)];
}

bool ScrollStitcher::sameAsHeld(int r, const QRgb* source) const
{
    const QRgb* held = reinterpret_cast<const QRgb*>(m_chunks[size_t(r / chunkRows)].constScanLine(r % chunkRows));
    for (int x = 0; x < m_width; ++x)
        if (!fixedColumn(x) && held[x] != source[x])
            return false;
    return true;
}

bool ScrollStitcher::coveredRow(const Frame& frame, int y) const
{
    return coveredAt(frame, y) || (y >= 0 && frame.image.height() - y <= m_bottomBand);
}

// Rows from frame row y down to the bottom of the content (that of the
// frame or the tallest band, whichever is higher), at most shadowRows.
int ScrollStitcher::depth(const Frame& frame, int y) const
{
    const int end = std::min(frame.contentEnd, frame.image.height() - m_bottomBand);
    return std::clamp(end - y, 0, shadowRows);
}

// The tallest bottom band so far: from here on, rows that far down in any
// frame count as covered.
void ScrollStitcher::widenBottomBand(const Frame& frame)
{
    m_bottomBand = std::max(m_bottomBand, frame.image.height() - frame.contentEnd);
}

// Row y of the frame into the result, where it is the best view of that row
// so far; `as` is what the row is when covered.
void ScrollStitcher::put(const QImage& image, const Frame& frame, int y, State as)
{
    const int r = frame.offset + y;
    if (r < m_header || y >= image.height())
        return;
    grow(r + 1);
    const bool covered = coveredRow(frame, y);
    const State now = m_state[size_t(r)];
    const int deep = covered ? 0 : depth(frame, y);
    const QRgb* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    if (now == State::doubtful && covered && sameAsHeld(r, source)) {
        // A doubtful row another view shows just so: that view and the one
        // it came from agree, the view between was the odd one.
        m_state[size_t(r)] = State::clean;
        return;
    }
    // A clean row near the bottom gives way to a view that shows it higher.
    if ((now == State::clean && deep <= m_depth[size_t(r)]) || (covered && now != State::missing))
        return;
    if (now != State::missing) {
        // Taken again: the columns beside the content stay as they were
        // (the first frame's, or their fill).
        QRgb* line = reinterpret_cast<QRgb*>(m_chunks[size_t(r / chunkRows)].scanLine(r % chunkRows));
        for (int x = 0; x < m_width; ++x)
            if (!fixedColumn(x))
                line[x] = source[x];
    } else {
        write(r, source, m_frames > 0);
    }
    m_state[size_t(r)] = covered ? as : State::clean;
    m_depth[size_t(r)] = deep;
    m_from[size_t(r)] = frame.offset;
}

void ScrollStitcher::begin(const Frame& frame, const std::vector<bool>& fixedOver)
{
    const QImage image = premultiplied(frame.image);
    m_width = image.width();
    m_header = 0;
    m_frames = 0;
    m_bottomBand = image.height() - frame.contentEnd;
    grow(image.height());
    for (int y = 0; y < image.height(); ++y) {
        write(y, reinterpret_cast<const QRgb*>(image.constScanLine(y)), false);
        const bool content = y >= frame.contentTop && y < frame.contentEnd;
        const bool fixed = y < int(fixedOver.size()) && fixedOver[size_t(y)];
        m_state[size_t(y)] = !content && y < frame.contentTop ? State::clean
            : content && !coveredAt(frame, y)                ? State::clean
            : content && fixed && reachable(frame, y)        ? State::covered
                                                              : State::coveredFirst;
        m_depth[size_t(y)] = y < frame.contentTop ? shadowRows : depth(frame, y);
        m_from[size_t(y)] = frame.offset;
    }
    m_first = frame;
    m_first.image = QImage();
    m_header = frame.contentTop;
    m_end = frame.contentEnd;
    m_frames = 1;
}

bool ScrollStitcher::add(const Frame& frame)
{
    const QImage image = premultiplied(frame.image);
    const bool whole = frame.offset + frame.contentTop <= m_end;
    widenBottomBand(frame);
    for (int y = frame.contentTop; y < frame.contentEnd; ++y)
        put(image, frame, y, State::covered);
    m_end = std::max(m_end, frame.offset + frame.contentEnd);
    ++m_frames;
    return whole;
}

std::pair<int, int> ScrollStitcher::coveredBelow(const Frame& frame) const
{
    int first = -1;
    int count = 0;
    for (int y = (frame.contentTop + frame.contentEnd) / 2; y < frame.contentEnd; ++y) {
        const int r = frame.offset + y;
        if (r < m_header || r >= int(m_state.size()) || m_state[size_t(r)] == State::clean)
            continue;
        first = first < 0 ? y : first;
        ++count;
    }
    return {first, count};
}

int ScrollStitcher::firstChanged(const Frame& frame, int columns) const
{
    const QImage image = premultiplied(frame.image);
    for (int y = frame.contentTop; y < frame.contentEnd; ++y) {
        const int r = frame.offset + y;
        if (r < m_header || coveredRow(frame, y))
            continue;
        if (r >= m_end)
            break;
        if (m_state[size_t(r)] != State::clean)
            continue;
        const QRgb* held = reinterpret_cast<const QRgb*>(m_chunks[size_t(r / chunkRows)].constScanLine(r % chunkRows));
        const QRgb* shown = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // (Right below a header its shadow may darken what an earlier view
        // showed lower down: no change of the page.)
        const bool underHeader = frame.contentTop > 0 && y - frame.contentTop < shadowRows;
        for (int x = 0; x < std::min(columns, m_width); ++x)
            if (!fixedColumn(x) && held[x] != shown[x] && !(underHeader && shaded(held[x], shown[x])))
                return y;
    }
    return -1;
}

void ScrollStitcher::retake(const Frame& frame, int y)
{
    const int from = std::max(m_header, frame.offset + y);
    for (int r = from; r < int(m_state.size()); ++r) {
        const int at = r - frame.offset;
        // (A row the frame shows covered keeps its pixels until a view shows
        // it uncovered; none does: a cover inside, the result says so.)
        const bool covered = at < frame.contentEnd && coveredRow(frame, at);
        m_state[size_t(r)] = covered && m_state[size_t(r)] != State::missing ? State::covered : State::missing;
        m_depth[size_t(r)] = 0;
    }
    m_end = std::min(m_end, from);
}

void ScrollStitcher::distrust(int row)
{
    if (row >= m_header && row < int(m_state.size()) && m_state[size_t(row)] == State::clean) {
        m_state[size_t(row)] = State::doubtful;
        m_depth[size_t(row)] = 0;
    }
}

void ScrollStitcher::take(const Frame& frame, int y)
{
    const int r = frame.offset + y;
    if (r < m_header || r >= int(m_state.size()) || m_state[size_t(r)] != State::doubtful || y < 0
        || y >= frame.image.height())
        return;
    const QImage image = premultiplied(frame.image);
    write(r, reinterpret_cast<const QRgb*>(image.constScanLine(y)), true);
    m_state[size_t(r)] = State::clean;
    m_depth[size_t(r)] = depth(frame, y);
    m_from[size_t(r)] = frame.offset;
}

int ScrollStitcher::coverAgain(const std::vector<bool>& over, const std::vector<Frame>& frames)
{
    const int rows = std::min(m_end, int(m_state.size()));
    std::vector<int> again;
    for (int r = m_header; r < rows; ++r) {
        const State state = m_state[size_t(r)];
        const int from = m_from[size_t(r)];
        const int y = r - from;
        if ((state != State::clean && state != State::doubtful) || from == noFrame || y < 0
            || y >= int(over.size()) || !over[size_t(y)])
            continue;
        // (Rows of the first frame under what covers the top of the content
        // show once, as that frame has them, like its header.)
        const bool first = from == m_first.offset;
        Frame firstOver = m_first;
        if (first)
            firstOver.covered = over;
        m_state[size_t(r)] = first && !reachable(firstOver, y) ? State::coveredFirst : State::covered;
        m_depth[size_t(r)] = 0;
        again.push_back(r);
    }
    for (const Frame& frame : frames) {
        const QImage image = premultiplied(frame.image);
        for (int r : again) {
            const int y = r - frame.offset;
            if (m_state[size_t(r)] != State::covered || y < frame.contentTop || y >= frame.contentEnd
                || y >= image.height() || coveredRow(frame, y) || (y < int(over.size()) && over[size_t(y)]))
                continue;
            write(r, reinterpret_cast<const QRgb*>(image.constScanLine(y)), true);
            m_state[size_t(r)] = State::clean;
            m_depth[size_t(r)] = depth(frame, y);
            m_from[size_t(r)] = frame.offset;
        }
    }
    return int(std::count_if(again.begin(), again.end(),
                             [this](int r) { return m_state[size_t(r)] == State::covered; }));
}

void ScrollStitcher::addBlank(int rows, QRgb colour)
{
    if (rows <= 0)
        return;
    grow(m_end + rows);
    const std::vector<QRgb> line(size_t(m_width), colour);
    for (int r = m_end; r < m_end + rows; ++r) {
        write(r, line.data(), true);
        m_state[size_t(r)] = State::clean;
        m_depth[size_t(r)] = shadowRows;
        m_from[size_t(r)] = noFrame;
    }
    m_end += rows;
    m_blankEnd = true;
}

QList<StitchStrip> ScrollStitcher::finish(const Frame& last)
{
    const QImage image = premultiplied(last.image);
    if (!m_blankEnd) {
        widenBottomBand(last);
        for (int y = last.contentTop; y < last.contentEnd; ++y)
            put(image, last, y, State::coveredFirst);
        // What stands over the bottom of the view shows once, from here.
        for (int y = last.contentTop; y < last.contentEnd; ++y) {
            const int r = last.offset + y;
            if (coveredRow(last, y) && r >= m_header && r < int(m_state.size()) && m_state[size_t(r)] == State::covered) {
                write(r, reinterpret_cast<const QRgb*>(image.constScanLine(y)), true);
                m_state[size_t(r)] = State::coveredFirst;
            }
        }
        m_end = std::max(m_end, last.offset + last.contentEnd);
    }
    // The footer, where the last frame shows it (after a blank end, below
    // that): it replaces rows an earlier frame took for content (blank rows
    // next to it look the same in every frame).
    const int footerAt = m_blankEnd ? m_end - last.contentEnd : last.offset;
    const int total = std::max(m_end, footerAt + int(image.height()));
    grow(total);
    for (int y = last.contentEnd; y < image.height(); ++y) {
        const int r = footerAt + y;
        if (r < m_header)
            continue;
        write(r, reinterpret_cast<const QRgb*>(image.constScanLine(y)), false);
        m_state[size_t(r)] = State::clean;
        m_depth[size_t(r)] = shadowRows;
    }
    m_coverInside = 0;
    m_holes = 0;
    for (int r = 0; r < total; ++r) {
        m_holes += m_state[size_t(r)] == State::missing;
        m_coverInside += m_state[size_t(r)] == State::covered || m_state[size_t(r)] == State::doubtful;
    }
    QList<StitchStrip> out;
    for (int top = 0; top < total; top += chunkRows) {
        // (A strip's image is as tall as its rows, else it would be scaled.)
        const int rows = std::min(chunkRows, total - top);
        const QImage& chunk = m_chunks[size_t(top / chunkRows)];
        out.append({rows == chunkRows ? chunk : chunk.copy(0, 0, m_width, rows), rows});
    }
    return out;
}

int ScrollStitcher::unseenCovered(const Frame& frame, int step) const
{
    int rows = 0;
    for (int y = frame.contentTop; y < frame.contentEnd; ++y) {
        const int r = frame.offset + y;
        if (!coveredRow(frame, y) || r < m_header || (r < int(m_state.size()) && m_state[size_t(r)] != State::missing)
            || (!started() && !reachable(frame, y)))
            continue;
        bool later = false;
        for (int at = y - std::max(1, step); at >= frame.contentTop && !later; at -= std::max(1, step))
            later = !coveredRow(frame, at);
        rows += !later;
    }
    return rows;
}

int ScrollStitcher::stepRows(const Frame& frame)
{
    const int middle = (frame.contentTop + frame.contentEnd) / 2;
    int end = frame.contentEnd;
    for (int y = middle; y < frame.contentEnd; ++y)
        if (coveredAt(frame, y)) {
            end = y;
            break;
        }
    return std::max(1, end - frame.contentTop);
}
