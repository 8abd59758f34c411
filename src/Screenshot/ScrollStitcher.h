#pragma once
// Builds the tall picture of a scrolling capture row by row from frames whose
// place in it is known. Frame row y of a frame at `offset` is result row
// offset + y; the first frame lies at 0.
//
// Rows of a frame can be covered: something fixed stands over the content
// there (a banner, a bubble, a shadow, a clock), or they are the frame's
// header or footer. A result row is taken from the first frame that shows
// it uncovered; until one does, from the first frame that shows it at all.
// At the end the last frame's covered rows replace rows taken covered from
// frames in between, so whatever stands over the bottom of the view shows
// once, at the end, as the first frame's header shows once, at the top.
// A row that is still covered and came from a frame in between (something
// fixed pasted into the middle) or from the first frame under something that
// stands a good way below the top of the view (a later view could have shown
// it), or one no frame showed, makes the result incomplete.
//
// A row taken clean may turn doubtful when a later frame shows it otherwise
// under something that stood still at the bottom of the view (an overlay
// thumb): a later clean view replaces it, a view that shows it just the same
// confirms it, else it counts like a cover inside.
//
// What stands still at the bottom of the view is measured anew with every
// frame and not always whole (a shadow over plain rows looks like content
// moving): from the first frame that shows it, the tallest bottom band so
// far counts as covered in every frame.
//
// A banner's shadow may fall over the view's last rows and, over dark or
// plain content, still look like content moving: rows taken within
// `shadowRows` of the bottom of the content are replaced by a later view
// that shows them higher up, uncovered. Nothing is left out for it: rows no
// later view shows (the last frame's, a clock's) stay as they were taken.
#include "Screenshot/WindowShot.h"

#include <QImage>
#include <QList>
#include <QRgb>
#include <utility>
#include <vector>

class ScrollStitcher {
public:
    // What a frame shows: rows [contentTop, contentEnd) are content, and
    // covered[y] (for frame rows y; shorter vectors leave the rest
    // uncovered) says where something fixed stands over it.
    struct Frame {
        QImage image;
        int offset = 0;
        int contentTop = 0;
        int contentEnd = 0;
        std::vector<bool> covered;
    };

    // Columns standing still beside the content (a sticky side column): in
    // rows taken from frames after the first they get `fill[x]`, so the
    // column shows once, with the first frame.
    void setFixedColumns(std::vector<bool> fixed, std::vector<QRgb> fill);

    // The first frame, all of it (its header stays at the top of the result).
    // Rows `fixedOver` has (something fixed stands over them) a good way
    // below the top of the content must come uncovered from a later frame.
    void begin(const Frame& frame, const std::vector<bool>& fixedOver = {});
    // A later frame. False when rows between what the result held and the
    // frame's content were never seen (they went under the header).
    bool add(const Frame& frame);
    // A page that grew after its end was taken (items appended below it):
    // the first frame row of the frame's content whose result row holds
    // something else in its first `columns` columns (what ended the page
    // before); -1 where all agree. Within shadowRows below a header, rows
    // only darkened a little (the header's shadow) agree.
    int firstChanged(const Frame& frame, int columns) const;
    // Result rows from frame row `y` of the frame on are taken again: from
    // this frame where it shows them uncovered, else from a later one.
    void retake(const Frame& frame, int y);
    // Result row `row`, taken as a clean view of the content, may not be
    // one (a later frame showed it otherwise, and something perhaps stood
    // over it): a later frame that shows it uncovered takes its place, one
    // that shows it covered but just as held confirms it, or take(); else
    // it counts as covered.
    void distrust(int row);
    // Frame row `y` is a clean view after all of the row it shows that was
    // distrusted (a later look at the same view told which was).
    void take(const Frame& frame, int y);
    // The rows in the lower half of the frame's content that the result
    // holds only covered (under something standing over the view's bottom
    // rows, or a band there), which no frame showed clear: the first frame
    // row of them and how many, {-1, 0} for none.
    std::pair<int, int> coveredBelow(const Frame& frame) const;
    // Something fixed turned out, only now, to stand over frame rows `over`
    // (true where it does) of the frames taken so far: rows the result took
    // from there as content are covered again, and taken from the first of
    // `frames` (views kept from before, oldest first, with their offsets)
    // that shows them clear of it and of what else stood over it; the rest
    // count as covered (inside, unless a later frame shows them). Returns
    // how many stay covered for now.
    int coverAgain(const std::vector<bool>& over, const std::vector<Frame>& frames);
    // `rows` rows of one colour after the content (a blank end measured but
    // not seen).
    void addBlank(int rows, QRgb colour);
    // The result, top to bottom: every row, the last frame's footer and
    // covered rows at the end.
    QList<StitchStrip> finish(const Frame& last);

    bool started() const { return m_width > 0; }
    int frames() const { return m_frames; }
    // Rows of content the result holds so far.
    int height() const { return m_end; }
    // After finish: rows of something fixed pasted into the middle, and rows
    // no frame showed.
    int coverInside() const { return m_coverInside; }
    int holes() const { return m_holes; }

    // Rows of the frame's content, covered there, that no frame before
    // showed and that steps of `step` rows will not show uncovered either
    // (they pass under what stands over the upper part of the view): the
    // step went too far and should be taken smaller. Before the first frame
    // is in, for that frame: its rows under something standing a good way
    // below the top of the content, which the next frame must show.
    int unseenCovered(const Frame& frame, int step) const;

    // Rows from the top of a frame's content down to what stands over its
    // lower half: how far a step may go so that the rows it brings are seen
    // uncovered (those under the lower cover come with the next step).
    static int stepRows(const Frame& frame);

    // Rows above the bottom of the content a shadow over it may reach (a
    // banner's soft shadow at device scale 2).
    static constexpr int shadowRows = 32;

private:
    enum class State : unsigned char { missing, covered, coveredFirst, doubtful, clean };
    void put(const QImage& image, const Frame& frame, int y, State as);
    bool coveredRow(const Frame& frame, int y) const;
    bool sameAsHeld(int r, const QRgb* source) const;
    bool fixedColumn(int x) const { return x < int(m_fixed.size()) && m_fixed[size_t(x)]; }
    int depth(const Frame& frame, int y) const;
    void widenBottomBand(const Frame& frame);
    void write(int r, const QRgb* source, bool masked);
    void grow(int rows);

    static constexpr int chunkRows = 512;
    int m_width = 0;
    int m_frames = 0;
    int m_header = 0; // result rows of the first frame's header, never replaced
    int m_end = 0;    // result rows that hold content
    int m_coverInside = 0;
    int m_holes = 0;
    int m_bottomBand = 0; // tallest bottom band a frame had
    bool m_blankEnd = false;
    std::vector<QImage> m_chunks;
    std::vector<State> m_state;
    // Per result row taken clean: how far above the bottom of its frame's
    // content it was (at most shadowRows).
    std::vector<int> m_depth;
    std::vector<bool> m_fixed;
    std::vector<QRgb> m_fill;
    // Per result row: the offset of the frame it was taken from.
    static constexpr int noFrame = -(1 << 30);
    std::vector<int> m_from;
    Frame m_first; // the first frame, for where its rows lie
};
