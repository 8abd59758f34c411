#include "Screenshot/KnownShift.h"

#include "Screenshot/ColumnColour.h"

#include <cmath>
#include <cstdlib>

namespace {

bool sameColour(QRgb p, QRgb q)
{
    return std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) <= 24;
}

// A step's movement against what its input asks: within rounding and a
// toolkit's odd pixel.
int tolerance(int expected)
{
    return qMax(4, expected / 25);
}

// Cell c of row y shows something that tells rows apart: not the same as
// the rows above and below (a plain stretch or a vertical edge fits any
// shift; a rule across does not).
bool tells(const FrameRows& f, int y, int c)
{
    const quint64 here = f.cell(y, c);
    return (y > 0 && f.cell(y - 1, c) != here) || (y + 1 < f.height() && f.cell(y + 1, c) != here);
}

// The rows [top, bottom) of the scrollbar's track in column `x` of two
// frames: the longest run of rows either of the track's colour in both or
// differing between them (where the thumb stands in one of them). Rows
// that show the same other thing in both (a toolbar, a footer) end it.
std::pair<int, int> sharedTrack(const QImage& a, const QImage& b, int x, QRgb track)
{
    std::pair<int, int> best{0, 0};
    int from = 0;
    for (int y = 0; y <= a.height(); ++y) {
        const bool in = y < a.height()
            && (a.pixel(x, y) != b.pixel(x, y) || (sameColour(a.pixel(x, y), track) && sameColour(b.pixel(x, y), track)));
        if (in)
            continue;
        if (y - from > best.second - best.first)
            best = {from, y};
        from = y + 1;
    }
    return best;
}

// One past the last row of the track's colour in column `x` below `top`:
// where the track ends (rows below it, a status bar or a corner, are no
// track).
int trackEnd(const QImage& image, int x, int top, QRgb track)
{
    int end = top;
    for (int y = top; y < image.height(); ++y)
        if (sameColour(image.pixel(x, y), track))
            end = y + 1;
    return end;
}

} // namespace

bool KnownShift::Fit::agrees() const
{
    return rows >= FrameMatcher::minOverlapRows && contradicting <= qMax(4, cells / 4000);
}

KnownShift::Fit KnownShift::fitAt(const FrameRows& a, const FrameRows& b, int shift,
                                  const FrameMatcher::Bands& bands, const CellMask* ignore)
{
    Fit fit;
    if (a.isNull() || b.isNull() || a.width() != b.width() || a.height() != b.height() || shift < 0)
        return fit;
    const int end = a.height() - bands.bottom - shift;
    fit.rows = qMax(0, end - bands.top);
    for (int y = bands.top; y < end; ++y) {
        for (int c = 0; c < a.cells(); ++c) {
            if (ignore && (ignore->contains(y, c) || ignore->contains(y + shift, c)))
                continue;
            ++fit.cells;
            // A cell that stands where it stood is something fixed over the
            // content (a badge not known yet), no word against the shift.
            if (a.cellAlike(y + shift, c, b, y)) {
                if (tells(a, y + shift, c))
                    ++fit.textured;
            } else if (shift == 0 || !a.cellAlike(y, c, b, y)) {
                ++fit.contradicting;
            }
        }
    }
    return fit;
}

bool KnownShift::pixelsAllow(const FrameRows& a, const FrameRows& b, int shift, const FrameMatcher::Bands& bands,
                             const CellMask* ignore, const FrameMatcher::Match& measured)
{
    const Fit fit = fitAt(a, b, shift, bands, ignore);
    if (!fit.agrees())
        return false;
    // A view that changed must fit the shift better than standing still (or
    // changing in place); one that did not change leaves it to the thumb.
    if (measured.moved && fitAt(a, b, 0, bands, ignore).contradicting <= fit.contradicting)
        return false;
    // A shift a row or two off (a click rounded otherwise), and what the
    // measurement proposed.
    QList<int> others = {shift - 2, shift - 1, shift + 1, shift + 2};
    if (measured.moved && measured.shift > 0 && std::abs(measured.shift - shift) > 2)
        others.append(measured.shift);
    for (int s : others) {
        if (s < 0)
            continue;
        const Fit other = fitAt(a, b, s, bands, ignore);
            if (other.rows < FrameMatcher::minOverlapRows)
            continue;
        if (other.contradicting < fit.contradicting
            || (other.contradicting <= fit.contradicting && other.textured > fit.textured))
            return false;
    }
    return true;
}

std::optional<KnownShift::Thumb> KnownShift::thumb(const QImage& frame, int left, int top, int bottom)
{
    const int x = left + (frame.width() - left) / 2;
    if (frame.isNull() || left < 0 || x >= frame.width() || top < 0 || bottom > frame.height() || bottom - top < 16)
        return std::nullopt;
    const QRgb track = commonColour(frame, x, top, bottom);
    // The longest run of rows not of the track's colour, gaps of two rows
    // bridged (a thumb's rounded ends).
    Thumb best;
    int runTop = -1, lastIn = -1;
    for (int y = top; y <= bottom; ++y) {
        const bool in = y < bottom && !sameColour(frame.pixel(x, y), track);
        if (in) {
            if (runTop < 0 || y - lastIn > 3)
                runTop = y;
            lastIn = y;
        }
        if (runTop >= 0 && (y == bottom || (!in && y - lastIn > 3))) {
            if (lastIn + 1 - runTop > best.length())
                best = {runTop, lastIn + 1};
            runTop = -1;
        }
    }
    if (best.length() < 4 || best.length() * 5 > (bottom - top) * 4)
        return std::nullopt;
    return best;
}

std::optional<int> KnownShift::grownAbove(const QImage& a, const QImage& b, int shift, int bar, bool atEnd)
{
    if (bar <= 0 || a.isNull() || a.size() != b.size() || bar >= a.width())
        return std::nullopt;
    const int left = a.width() - bar;
    const int x = left + bar / 2;
    const QRgb colour = commonColour(a, x, 0, a.height());
    if (!sameColour(colour, commonColour(b, x, 0, b.height())))
        return std::nullopt;
    // The track the frames show alike: its length is the view's, what the
    // thumb's length and place are measured against.
    auto [top, bottom] = sharedTrack(a, b, x, colour);
    const std::optional<Thumb> before = thumb(a, left, top, bottom);
    const std::optional<Thumb> after = thumb(b, left, top, bottom);
    if (atEnd && after && before && before->bottom <= after->bottom)
        bottom = after->bottom;
    if (!before || !after || bottom - top < 4 * after->length() / 3)
        return std::nullopt;
    // Nothing but the thumbs changed in the track (nothing covers it in one
    // frame only).
    for (int y = top; y < bottom; ++y)
        if (a.pixel(x, y) != b.pixel(x, y) && !(y >= before->top && y < before->bottom)
            && !(y >= after->top && y < after->bottom))
            return std::nullopt;
    // A thumb of the same length: the page kept its length (a thumb's length
    // follows the page's alone), unless it is near its least length, where
    // it no longer shrinks with the page.
    if (after->length() >= before->length())
        return after->length() >= 2 * minThumbRows ? std::optional<int>(0) : std::nullopt;
    if (after->length() < minThumbRows)
        return std::nullopt;
    // The thumb stands as far down the track as the view down the page and
    // is as long against the track as the view against the page: its top
    // over its length, times the view's rows, is where the view stands.
    const double view = bottom - top;
    const double from = (before->top - top) * view / before->length();
    const double to = (after->top - top) * view / after->length();
    const double grown = to - from - shift;
    // A row of the thumb's place or length either way is worth a row of the
    // track for the view's place, and the place's share of the length.
    const double tolerance = (view + from) / before->length() + (view + to) / after->length() + 8;
    return grown > tolerance ? int(std::lround(grown)) : 0;
}

bool KnownShift::thumbAtEnd(const QImage& earlier, const QImage& frame, int bar, int top)
{
    if (bar <= 0 || earlier.isNull() || earlier.size() != frame.size() || bar >= frame.width() || top < 0
        || top >= frame.height())
        return false;
    const int left = frame.width() - bar;
    const int x = left + bar / 2;
    const QRgb colour = commonColour(earlier, x, top, earlier.height());
    if (!sameColour(colour, commonColour(frame, x, top, frame.height())))
        return false;
    const int end = trackEnd(earlier, x, top, colour);
    const std::optional<Thumb> before = thumb(earlier, left, top, end);
    const std::optional<Thumb> after = thumb(frame, left, top, end);
    return before && after && before->bottom < end && after->top > top
        && std::abs(after->length() - before->length()) <= 1 && after->bottom >= end - 1;
}

std::optional<KnownShift::Reach> KnownShift::rowsBelow(const QImage& first, const QImage& frame, int bar, int top,
                                                       int offset)
{
    if (bar <= 0 || offset <= 0 || first.isNull() || first.size() != frame.size() || bar >= frame.width() || top < 0
        || top >= frame.height())
        return std::nullopt;
    const int left = frame.width() - bar;
    const int x = left + bar / 2;
    const QRgb colour = commonColour(frame, x, top, frame.height());
    if (!sameColour(colour, commonColour(first, x, top, first.height())))
        return std::nullopt;
    const int end = trackEnd(frame, x, top, colour);
    // At the top of the page the thumb stands at the top of the track,
    // perhaps above `top` (a header fixed over the page's top rows): the
    // first run there of the thumb's colour that the track's colour follows.
    const std::optional<Thumb> here = thumb(frame, left, top, end);
    if (!here || here->bottom >= end)
        return std::nullopt;
    const QRgb thumbColour = frame.pixel(x, (here->top + here->bottom) / 2);
    int trackTop = -1;
    for (int y = 0, run = 0; y < end && trackTop < 0; ++y) {
        if (sameColour(first.pixel(x, y), thumbColour))
            ++run;
        else if (run >= 8 && sameColour(first.pixel(x, y), colour))
            trackTop = y - run;
        else
            run = 0;
    }
    if (trackTop < 0)
        return std::nullopt;
    const int above = here->top - trackTop;
    if (above < 16)
        return std::nullopt;
    const int below = end - here->bottom;
    const double rows = double(offset) * below / above;
    return Reach{int(std::lround(rows)), int(std::ceil((offset + rows) / above)) + 4};
}

std::optional<int> KnownShift::thumbTravel(const Thumb& before, const Thumb& after, int top, int bottom)
{
    // A thumb cut at the top or bottom of the rows looked at moves with its
    // other end; one that changed its length otherwise tells nothing (the
    // content grew).
    if (before.top <= top || after.top <= top)
        return after.bottom - before.bottom;
    if (before.bottom >= bottom || after.bottom >= bottom)
        return after.top - before.top;
    if (std::abs(before.length() - after.length()) > 2)
        return std::nullopt;
    return after.top - before.top;
}

std::optional<bool> KnownShift::thumbAgrees(const FrameRows& a, const FrameRows& b, int distance, int bar,
                                            const FrameMatcher::Bands& bands) const
{
    if (bar <= 0)
        return std::nullopt;
    const int left = a.width() - bar;
    const int bottom = a.height() - bands.bottom;
    const std::optional<Thumb> before = thumb(a.image(), left, bands.top, bottom);
    const std::optional<Thumb> after = thumb(b.image(), left, bands.top, bottom);
    if (!before || !after)
        return std::nullopt;
    const std::optional<int> travel = thumbTravel(*before, *after, bands.top, bottom);
    if (!travel)
        return false;
    const double perRow = m_thumbRows > 0 ? m_thumbRows : double(before->length()) / qMax(1, bottom - bands.top);
    const double wanted = distance * perRow;
    return *travel > 0 && std::abs(*travel - wanted) <= qMax(2.0, wanted / 4);
}

void KnownShift::measured(const FrameRows& a, const FrameRows& b, int shift, int expected, int bar,
                          const FrameMatcher::Bands& bands)
{
    if (bar > 0) {
        const int left = a.width() - bar;
        const int bottom = a.height() - bands.bottom;
        const std::optional<Thumb> before = thumb(a.image(), left, bands.top, bottom);
        const std::optional<Thumb> after = thumb(b.image(), left, bands.top, bottom);
        const std::optional<int> travel = before && after ? thumbTravel(*before, *after, bands.top, bottom) : std::nullopt;
        if (travel && *travel > 0) {
            m_thumbMoved += *travel;
            m_contentMoved += shift;
            m_thumbRows = m_thumbMoved / m_contentMoved;
        }
    }
    if (m_shortPending)
        m_contradicted = true; // the short step was not the last
    m_shortPending = false;
    if (m_since > 0 && expected > 0) {
        if (shift > expected + tolerance(expected))
            m_contradicted = true;
        else if (shift < expected - tolerance(expected))
            m_shortPending = true;
    }
    m_since = 0;
    m_unverified = 0;
    m_stillSteps = 0;
    m_lastStill = false;
}

void KnownShift::withdraw()
{
    m_assumed = qMax(0, m_assumed - m_unverified);
    m_since = qMax(0, m_since - m_unverified);
    m_unverified = 0;
    m_stillSteps = 0;
    m_lastStill = false;
}

bool KnownShift::looksSame(const FrameRows& a, const FrameRows& b, const CellMask* ignore)
{
    if (a.isNull() || b.isNull() || a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        // (A thumb at the edge that moved is a scrollbar not known as one.)
        if (a.edge(y) != b.edge(y))
            return false;
        for (int c = 0; c < a.cells(); ++c)
            if (!(ignore && ignore->contains(y, c)) && !a.cellAlike(y, c, b, y))
                return false;
    }
    return true;
}

bool KnownShift::stillBelow(const FrameRows& a, const FrameRows& b, int shift, const FrameMatcher::Bands& bands,
                            const CellMask* ignore)
{
    const int end = a.height() - bands.bottom;
    int still = 0, shown = 0, left = a.cells(), right = -1;
    for (int y = qMax(bands.top, end - shift); y < end; ++y)
        for (int c = 0; c < a.cells(); ++c)
            if (!(ignore && ignore->contains(y, c)) && tells(b, y, c)) {
                ++shown;
                // (Alike in place and telling in `a` as well: the plain
                // cell next to a label that came into view is alike in
                // both, yet only `b` shows an edge there.)
                if (a.cellAlike(y, c, b, y) && tells(a, y, c)) {
                    ++still;
                    left = qMin(left, c);
                    right = qMax(right, c);
                }
            }
    // Something fixed may stand there too (a bubble, a badge): narrow, not
    // most of what shows across the view.
    return still > 8 && still * 2 > shown && (right - left + 1) * 2 > a.cells();
}

std::optional<FrameMatcher::Match> KnownShift::seamAt(const FrameRows& a, const FrameRows& b, int distance,
                                                      const FrameMatcher::Bands& bands, const CellMask* ignore,
                                                      const FrameMatcher::Match& measured, bool still)
{
    if (!pixelsAllow(a, b, distance, bands, ignore, measured) || stillBelow(a, b, distance, bands, ignore))
        return std::nullopt;
    const Fit fit = fitAt(a, b, distance, bands, ignore);
    if (still && fit.textured > 0)
        return std::nullopt;
    FrameMatcher::Match m;
    m.moved = true;
    m.confirmed = true;
    m.shift = distance;
    m.bands = bands;
    m.overlapRows = fit.rows;
    m.matchedRows = fit.rows;
    m.evidence = fit.textured;
    return m;
}

std::optional<FrameMatcher::Match> KnownShift::assume(const FrameRows& a, const FrameRows& b, int distance, int bar,
                                                      const FrameMatcher::Bands& bands, const CellMask* ignore,
                                                      const FrameMatcher::Match& measured)
{
    if (m_contradicted)
        return std::nullopt;
    if (m_shortPending && measured.moved) {
        m_contradicted = true;
        return std::nullopt;
    }
    if (distance <= 3 || a.height() - bands.top - bands.bottom - distance < FrameMatcher::minOverlapRows
        || measured.doubt == FrameMatcher::Doubt::contradicted)
        return std::nullopt;
    const std::optional<bool> thumbMoved = thumbAgrees(a, b, distance, bar, bands);
    if (thumbMoved == false)
        return std::nullopt;
    // A view that looks the same where no thumb shows: the step went on
    // into a plain stretch, or the content ended. Taken once after a seam
    // that holds, where nothing in the shared rows could tell a shift; the
    // next step tells which (the view moves on, or stands and it is taken
    // back).
    const bool still = !measured.moved && !thumbMoved;
    if (still && (m_stillSteps >= stillStepsMax || !looksSame(a, b, ignore)))
        return std::nullopt;
    const std::optional<FrameMatcher::Match> seam = seamAt(a, b, distance, bands, ignore, measured, still);
    if (!seam)
        return std::nullopt;
    // A view that stood still proves nothing of the seams before it: they
    // and it hold together once the view moves on.
    counted(!thumbMoved && seam->evidence < 4, still);
    return seam;
}

void KnownShift::counted(bool unverified, bool still)
{
    ++m_assumed;
    ++m_since;
    m_unverified = !unverified ? 0 : still ? m_unverified + 1 : 1;
    m_stillSteps = still ? m_stillSteps + 1 : 0;
    m_lastStill = still;
}

std::optional<FrameMatcher::Match> KnownShift::assumeByWindowThumb(const FrameRows& a, const FrameRows& b,
                                                                   int distance, const QImage& before,
                                                                   const QImage& after, int offset,
                                                                   const FrameMatcher::Bands& bands,
                                                                   const CellMask* ignore,
                                                                   const FrameMatcher::Match& measured)
{
    if (m_contradicted || (m_shortPending && measured.moved) || !measured.moved || offset <= 0 || distance <= 3
        || a.height() - bands.top - bands.bottom - distance < FrameMatcher::minOverlapRows
        || measured.doubt == FrameMatcher::Doubt::contradicted)
        return std::nullopt;
    const int column = thumbColumn(before, after, distance);
    const std::optional<Thumbs> thumbs = thumbsAt(before, after, column);
    if (!thumbs)
        return std::nullopt;
    const std::optional<int> travel = thumbTravel(thumbs->before, thumbs->after, thumbs->top, thumbs->bottom);
    // How far the thumb stands from the top of its track after the rows the
    // run went down so far: its travel per row. Too near the top, a row of
    // its place is too much of that.
    const int above = thumbs->before.top - thumbs->top;
    if (!travel || *travel <= 0 || above < 16)
        return std::nullopt;
    const double wanted = double(distance) * above / offset;
    if (std::abs(*travel - wanted) > qMax(2.0, wanted / 4))
        return std::nullopt;
    const std::optional<FrameMatcher::Match> seam = seamAt(a, b, distance, bands, ignore, measured, false);
    if (!seam)
        return std::nullopt;
    counted(true, false); // holds once the view moves on
    return seam;
}

std::optional<QList<FrameMatcher::Match>> KnownShift::acrossStart(const QList<FrameRows>& frames,
                                                                  const QList<FrameMatcher::Match>& found,
                                                                  int distance, int bar,
                                                                  const FrameMatcher::Bands& bands,
                                                                  const CellMask* ignore, const CellMask& fixed,
                                                                  const OutsideThumb* outside)
{
    if (frames.size() != found.size() + 1 || found.isEmpty()
        || found.size() > (outside ? thumbStartStepsMax : startStepsMax) || distance <= 3
        || frames.first().height() - bands.top - bands.bottom - distance < FrameMatcher::minOverlapRows)
        return std::nullopt;
    // An outside thumb's travel per row of content, from the measured step.
    double outsideRate = 0;
    if (outside) {
        if (outside->column < 0 || outside->images.size() != frames.size() + 1)
            return std::nullopt;
        const std::optional<int> travel
            = thumbTravelAt(outside->images[frames.size() - 1], outside->images.last(), outside->column);
        if (!travel || *travel <= 0 || *travel >= distance)
            return std::nullopt;
        // The first frame must be the page's top: over a plain stretch the
        // way up may have stopped anywhere, nothing in the frames moving.
        if (!thumbAtTopIn(outside->images[0], outside->images[1], outside->column))
            return std::nullopt;
        outsideRate = double(*travel) / distance;
    }
    QList<FrameMatcher::Match> seams;
    int assumed = 0;
    int stillInRow = 0;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const FrameRows& a = frames[i];
        const FrameRows& b = frames[i + 1];
        if (found[i].moved && found[i].confirmed && found[i].shift == distance) {
            seams.append(found[i]); // measured at the distance
            stillInRow = 0;
            continue;
        }
        if (found[i].doubt == FrameMatcher::Doubt::contradicted)
            return std::nullopt;
        // What stood over the content where the distance was measured (a
        // fixed box, with its shadow) hides rows here as well.
        CellMask own(a.height(), a.cells());
        if (ignore && ignore->rows() == a.height() && ignore->cells() == a.cells())
            own.unite(*ignore);
        if (fixed.rows() == a.height() && fixed.cells() == a.cells())
            own.unite(fixed, 2, 1);
        const CellMask* const mask = own.isEmpty() ? nullptr : &own;
        std::optional<bool> thumbMoved;
        if (outside) {
            const std::optional<int> travel
                = thumbTravelAt(outside->images[i], outside->images[i + 1], outside->column);
            const double wanted = distance * outsideRate;
            thumbMoved = travel && *travel > 0 && std::abs(*travel - wanted) <= qMax(2.0, wanted / 4);
        } else {
            thumbMoved = thumbAgrees(a, b, distance, bar, bands);
        }
        if (thumbMoved == false)
            return std::nullopt;
        // A view that looks the same with no thumb to tell may be a step the
        // input did not make: a few in a row, as further down. (One that
        // changed only where something stands over it did not move either.)
        const bool still = (!found[i].moved || fitAt(a, b, 0, bands, mask).contradicting == 0) && !thumbMoved;
        FrameMatcher::Match seen = found[i];
        seen.moved = seen.moved && !still;
        stillInRow = still ? stillInRow + 1 : 0;
        if (stillInRow > stillStepsMax || (still && !looksSame(a, b, mask)))
            return std::nullopt;
        const std::optional<FrameMatcher::Match> seam = seamAt(a, b, distance, bands, mask, seen, still);
        if (!seam)
            return std::nullopt;
        seams.append(*seam);
        ++assumed;
    }
    // The next measured step checks the distance as after any assumed seam.
    m_assumed += assumed;
    m_since += assumed;
    return seams;
}

std::optional<int> KnownShift::thumbTravelAt(const QImage& a, const QImage& b, int x)
{
    const std::optional<Thumbs> thumbs = thumbsAt(a, b, x);
    if (!thumbs)
        return std::nullopt;
    return thumbTravel(thumbs->before, thumbs->after, thumbs->top, thumbs->bottom);
}

bool KnownShift::thumbAtTopIn(const QImage& a, const QImage& b, int x)
{
    const std::optional<Thumbs> thumbs = thumbsAt(a, b, x);
    return thumbs && thumbs->before.top <= thumbs->top + 1;
}

std::optional<int> KnownShift::edgeThumbTravel(const QImage& a, const QImage& b)
{
    if (a.isNull() || a.size() != b.size())
        return std::nullopt;
    // Two neighbouring columns must tell alike: one column alone may be a
    // thumb's rounded side, or something else that changed there.
    std::optional<int> last;
    for (int x = a.width() - 1; x >= qMax(0, a.width() - 48); --x) {
        const std::optional<int> travel = thumbTravelAt(a, b, x);
        if (travel && *travel != 0 && last && std::abs(*travel - *last) <= 1)
            return travel;
        last = travel;
    }
    return std::nullopt;
}

std::optional<KnownShift::Thumbs> KnownShift::thumbsAt(const QImage& a, const QImage& b, int x)
{
    if (a.isNull() || a.size() != b.size() || x < 0 || x >= a.width() || a.height() < 48)
        return std::nullopt;
    const int h = a.height();
    const QRgb track = commonColour(a, x, 0, h);
    if (!sameColour(track, commonColour(b, x, 0, h)))
        return std::nullopt;
    // The rows the thumb left or came to: one grab shows the track there,
    // the other the thumb.
    int first = -1, last = -1, swapped = 0, changed = 0;
    for (int y = 0; y < h; ++y) {
        const QRgb p = a.pixel(x, y);
        const QRgb q = b.pixel(x, y);
        if (sameColour(p, q))
            continue;
        ++changed;
        if (sameColour(p, track) != sameColour(q, track))
            ++swapped;
        if (first < 0)
            first = y;
        last = y;
    }
    // (Rows of neither colour are a thumb's rounded ends; more of them is
    // something else changing in the column.)
    if (first < 0 || swapped < 4 || (changed - swapped) * 4 > changed)
        return std::nullopt;
    // The thumb's colour: where both thumbs stand, or inside either (the
    // first changed rows are the upper thumb's, a's when it moved down).
    std::optional<QRgb> colour;
    for (const QRgb p : {a.pixel(x, (first + last) / 2), b.pixel(x, (first + last) / 2), a.pixel(x, first + 2),
                         b.pixel(x, last - 2), b.pixel(x, first + 2), a.pixel(x, last - 2)})
        if (!colour && !sameColour(p, track))
            colour = p;
    if (!colour)
        return std::nullopt;
    // The track: the rows around that show its colour or the thumb's in
    // both grabs (a toolbar or a status bar ends it).
    const auto part = [&](int y) {
        const QRgb p = a.pixel(x, y);
        const QRgb q = b.pixel(x, y);
        return (sameColour(p, track) || sameColour(p, *colour)) && (sameColour(q, track) || sameColour(q, *colour));
    };
    int top = first;
    int bottom = last + 1;
    while (top > 0 && part(top - 1))
        --top;
    while (bottom < h && part(bottom))
        ++bottom;
    const QImage ca = a.copy(x, 0, 1, h);
    const QImage cb = b.copy(x, 0, 1, h);
    const std::optional<Thumb> before = thumb(ca, 0, top, bottom);
    const std::optional<Thumb> after = thumb(cb, 0, top, bottom);
    if (!before || !after)
        return std::nullopt;
    return Thumbs{*before, *after, top, bottom};
}

int KnownShift::thumbColumn(const QImage& a, const QImage& b, int distance)
{
    if (a.isNull() || a.size() != b.size())
        return -1;
    // Columns near the right edge where a thumb moved, less far than the
    // page (what scrolls with it moves as far); the middle of the first
    // such run from the edge, away from a thumb's rounded sides.
    int right = -1;
    for (int x = a.width() - 1; x >= qMax(0, a.width() - 48); --x) {
        const std::optional<int> travel = thumbTravelAt(a, b, x);
        const bool moved = travel && *travel > 0 && *travel + 2 < distance;
        if (moved && right < 0)
            right = x;
        if (!moved && right >= 0)
            return (x + 1 + right) / 2;
    }
    return right >= 0 ? (qMax(0, a.width() - 48) + right) / 2 : -1;
}

CellMask KnownShift::standing(const QList<FrameRows>& frames)
{
    if (frames.size() < 2 || frames.first().isNull())
        return {};
    const FrameRows& first = frames.first();
    for (const FrameRows& f : frames)
        if (f.isNull() || f.width() != first.width() || f.height() != first.height())
            return {};
    CellMask mask(first.height(), first.cells());
    for (int y = 0; y < first.height(); ++y)
        for (int c = 0; c < first.cells(); ++c) {
            if (!tells(first, y, c))
                continue;
            bool alike = true;
            for (qsizetype k = 1; k < frames.size() && alike; ++k)
                alike = frames[k].cellAlike(y, c, first, y);
            if (alike)
                mask.insert(y, c);
        }
    return mask;
}
