#pragma once
// The shift a step of the scrolling capture is known to make, for steps
// whose frames hold too little texture to measure it (a dark page with long
// plain stretches between small labels, a sparse text file, wide gaps at
// device scale 2). The distance a wheel click or a page key moved the
// content was measured on earlier steps of the run; such a step is taken at
// that distance only where nothing stands against it:
// - the rows both frames share at that shift agree cell for cell (apart
//   from the cells that change by themselves), and no other shift, standing
//   still included, fits better on cells that show something;
// - where a scrollbar shows, its thumb moved as far as that distance moves
//   it (learned from the measured steps, or from the thumb's length against
//   the view);
// - the view changed, or at least the thumb moved: a view that stands still
//   with a thumb that stands still is the end;
// - what the new rows show did not stand where it stood (a view caught half
//   redrawn).
// A seam that neither a thumb nor texture in the shared rows pins holds
// once the view moves on after it; where the view stands still after it,
// it may have stopped short of the distance at the end of the content.
// Where no thumb shows, a view that looks the same after the step (nothing
// but a plain stretch in it) is taken at the distance too, a few times in
// a row: those seams and the unpinned one before them hold only together,
// once the view moves on.
// A measured step after assumed ones that moved further than its clicks ask,
// or one that went short without being the last, proves the distance
// unsteady: the seams resting on it may be wrong.
#include "Screenshot/CellMask.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/FrameRows.h"

#include <optional>

class KnownShift {
public:
    // How the rows two frames share at a shift fit, cell by cell.
    struct Fit {
        int rows = 0;          // rows in common
        int textured = 0;      // cells that show something and fit
        int contradicting = 0; // cells that fit neither the shift nor standing still
        int cells = 0;         // cells compared
        bool agrees() const;
    };

    // The rows [top, bottom) the thumb of a scrollbar covers in the columns
    // [left, right) of a frame, over the track's rows [top, bottom).
    struct Thumb {
        int top = 0;
        int bottom = 0;
        int length() const { return bottom - top; }
    };

    // Rows a of row y + shift and b of row y share, between `bands`.
    static Fit fitAt(const FrameRows& a, const FrameRows& b, int shift, const FrameMatcher::Bands& bands,
                     const CellMask* ignore);
    // Whether the pixels allow the step from `a` to `b` to be taken at
    // `shift`; `measured` is what the measurement found (its shift is tried
    // against it).
    static bool pixelsAllow(const FrameRows& a, const FrameRows& b, int shift, const FrameMatcher::Bands& bands,
                            const CellMask* ignore, const FrameMatcher::Match& measured);
    // The thumb of a scrollbar in columns [left, width) of `frame` over the
    // rows [top, bottom): the rows of one colour that is not the track's
    // (the colour the column shows most); nothing when none shows or it
    // fills most of the track.
    static std::optional<Thumb> thumb(const QImage& frame, int left, int top, int bottom);

    // Rows the page grew above the view between frames `a` and `b` whose
    // content lies `shift` rows apart, as the thumb of a scrollbar `bar`
    // columns wide at the right tells: the page got longer (a shorter
    // thumb) and the view went further down it than its content moved (a
    // picture above loaded, and the view kept its content in place). Growth
    // at the page's end moves the view nowhere and does not count. 0 when
    // the page kept its length; nothing when the thumb or its whole track
    // does not show alike in both frames, and nothing tells. `atEnd`: `b`
    // shows the view at the end of the page, where its thumb ends the track
    // (rows below it in nearly the track's colour, a status bar, are none).
    static std::optional<int> grownAbove(const QImage& a, const QImage& b, int shift, int bar, bool atEnd = false);
    // Toolkits keep a thumb at least about this long however long the page.
    static constexpr int minThumbRows = 24;
    // Whether the thumb of a scrollbar `bar` columns wide at the right of
    // `frame` stands at the end of its track (the view at the end of the
    // page), below rows `top`, where in `earlier` it stood higher up with the
    // track showing below it. Only a thumb as long as before tells: a page
    // that grew since, or a thumb cut by something, says nothing.
    static bool thumbAtEnd(const QImage& earlier, const QImage& frame, int bar, int top);
    // Rows of the page below the view of `frame`, `offset` rows down the
    // page, as the thumb of a scrollbar `bar` columns wide at the right
    // tells against its place in `first`, the view at the top of the page:
    // the track below the thumb is to the track above it as the rows below
    // the view to those above it. `tolerance` covers a row of the thumb's
    // place either way. Nothing where the thumb does not show with track
    // below it, or stands too near the top to tell.
    struct Reach {
        int rows = 0;
        int tolerance = 0;
    };
    static std::optional<Reach> rowsBelow(const QImage& first, const QImage& frame, int bar, int top, int offset);

    // A confirmed seam measured `shift` rows from `a` to `b` (scrollbar
    // `bar` columns wide at the right, 0: none; content between `bands`):
    // learns how far the thumb travels per row, and ends a stretch of
    // assumed seams. `expected` is what the step's input should have moved
    // (0: unknown).
    void measured(const FrameRows& a, const FrameRows& b, int shift, int expected, int bar,
                  const FrameMatcher::Bands& bands);
    // The seam from `a` to `b` at `distance`, where everything above allows
    // it; nothing otherwise. `measured` is what the measurement found. Once
    // a measured step after assumed ones went short, any later movement
    // proves it was not the end: the distance is no longer relied on.
    std::optional<FrameMatcher::Match> assume(const FrameRows& a, const FrameRows& b, int distance, int bar,
                                              const FrameMatcher::Bands& bands, const CellMask* ignore,
                                              const FrameMatcher::Match& measured);
    // The seams from the top frame of a run that starts over a plain
    // stretch: frames[0] is the top frame, frames[i + 1] came after the same
    // input as every other step, `found` what the measurement made of each
    // of those steps. `distance` is what the steps after them measured
    // (twice alike, before the view came to anything that could stop it
    // short), `bar`, `bands` and `fixed` (what stood still over the content)
    // what that step showed. Each step is taken
    // at that distance where the pixels allow it, the thumb of a scrollbar
    // moved as far wherever it shows in both frames, and no more than a few
    // in a row looked the same; nothing otherwise. (The steps that measured
    // it are to be passed to measured() first: the thumb's travel per row
    // comes from them.)
    // A scrollbar outside the frames (the window's, around a section): grabs
    // of what holds it, images[i] taken with frames[i] and the last one
    // after the step that measured the distance; its thumb shows in
    // `column` (thumbColumn()). Where one is given, its thumb must show and
    // move as far on every step taken at the distance: nothing in a section
    // tells otherwise whether the page moved at all.
    struct OutsideThumb {
        QList<QImage> images;
        int column = -1;
    };
    std::optional<QList<FrameMatcher::Match>> acrossStart(const QList<FrameRows>& frames,
                                                          const QList<FrameMatcher::Match>& found, int distance,
                                                          int bar, const FrameMatcher::Bands& bands,
                                                          const CellMask* ignore, const CellMask& fixed,
                                                          const OutsideThumb* outside = nullptr);
    // A step of a section whose frames cannot tell how far it moved (a plain
    // stretch in the section, or rows that repeat), taken at `distance`: only
    // where the thumb of the window's scrollbar (grabs `before` and `after`
    // of the window around, taken with `a` and `b`) moved as far as that
    // distance moves it, the rate told by where the thumb stands after the
    // `offset` rows the run has gone down the page so far, and the pixels
    // allow it as for any assumed step. The seam holds once the view moves
    // on: a step that stopped short at the page's end moves the thumb nearly
    // as far.
    std::optional<FrameMatcher::Match> assumeByWindowThumb(const FrameRows& a, const FrameRows& b, int distance,
                                                           const QImage& before, const QImage& after, int offset,
                                                           const FrameMatcher::Bands& bands, const CellMask* ignore,
                                                           const FrameMatcher::Match& measured);
    // The column near the right edge of `a` and `b` (grabs of a window taken
    // before and after a step that moved its page `distance` rows) where the
    // thumb of a scrollbar stands in both over a track they share and moved
    // down less far than the page did (content moves as far); -1 when none
    // shows.
    static int thumbColumn(const QImage& a, const QImage& b, int distance);
    // The cells that show something and stand alike in all `frames` (the
    // last step among them one that moved the content): what stands over
    // the content or at the edge of a section, no word on any shift.
    static CellMask standing(const QList<FrameRows>& frames);
    // Rows the thumb in column `x` moved down from `a` to `b`, over the
    // track both show; nothing when no thumb shows in both.
    static std::optional<int> thumbTravelAt(const QImage& a, const QImage& b, int x);
    // The thumb in column `x` of `a` stands at the top of the track `a` and
    // `b` show (the thumb moving between them).
    static bool thumbAtTopIn(const QImage& a, const QImage& b, int x);
    // Rows the thumb of a scrollbar near the right edge of `a` and `b`
    // (grabs of a window before and after a step) moved down, negative
    // up; nothing where no thumb shows moving in both (one that stood
    // still, or an overlay bar that showed in one grab only).
    static std::optional<int> edgeThumbTravel(const QImage& a, const QImage& b);
    // Frames `a` and `b` show the same, apart from the cells left out, the
    // right edge included (where a thumb moves).
    static bool looksSame(const FrameRows& a, const FrameRows& b, const CellMask* ignore);
    // Unmeasured steps a run may cross at its start; where the thumb of a
    // scrollbar outside the frames moved on each of them, more (a section's
    // steps are small, and a plain stretch may be several views tall).
    static constexpr int startStepsMax = 12;
    static constexpr int thumbStartStepsMax = 40;
    // Seams taken at the assumed distance in this run, and since the last
    // measured one.
    int assumed() const { return m_assumed; }
    int assumedSinceMeasured() const { return m_since; }
    // A measured step proved the distance the assumed seams rest on unsteady.
    bool contradicted() const { return m_contradicted; }
    // The newest seam is assumed and neither a thumb nor texture in the
    // rows both frames share pins it: it holds once the view moves on.
    bool lastUnverified() const { return m_unverified > 0; }
    // The newest seam was taken where the view looked the same as before
    // it: it holds only together with the unpinned seams before it.
    bool lastStill() const { return m_lastStill; }
    // The unpinned seams at the end were taken back (the view stood still
    // after them).
    void withdraw();
    // Steps in a row taken where the view looked the same.
    static constexpr int stillStepsMax = 3;

private:
    // The thumbs in column `x` of two grabs over the track [top, bottom)
    // both show, where the thumb moved between them.
    struct Thumbs {
        Thumb before;
        Thumb after;
        int top = 0;
        int bottom = 0;
    };
    static std::optional<Thumbs> thumbsAt(const QImage& a, const QImage& b, int x);
    // Rows the thumb moved down between two frames, over the track's rows
    // [top, bottom); nothing when that cannot be told.
    static std::optional<int> thumbTravel(const Thumb& before, const Thumb& after, int top, int bottom);
    // Most of what the new rows at the bottom of `b` show stands where it
    // stood in `a`, across the view (a view caught half redrawn): the step
    // did not bring them.
    static bool stillBelow(const FrameRows& a, const FrameRows& b, int shift, const FrameMatcher::Bands& bands,
                           const CellMask* ignore);
    // The seam at `distance` between two frames where the pixels allow it;
    // a view that stood `still` must show nothing textured in its shared rows.
    static std::optional<FrameMatcher::Match> seamAt(const FrameRows& a, const FrameRows& b, int distance,
                                                     const FrameMatcher::Bands& bands, const CellMask* ignore,
                                                     const FrameMatcher::Match& measured, bool still);
    // The thumb moved as far as `distance` rows move it; nothing when no
    // thumb shows in both frames.
    std::optional<bool> thumbAgrees(const FrameRows& a, const FrameRows& b, int distance, int bar,
                                    const FrameMatcher::Bands& bands) const;
    // Counts a step taken at the known distance.
    void counted(bool unverified, bool still);

    double m_thumbRows = 0;   // thumb rows per content row, measured; 0: not yet
    double m_thumbMoved = 0;  // sums over the measured steps
    double m_contentMoved = 0;
    int m_assumed = 0;
    int m_since = 0;
    bool m_shortPending = false; // a measured step after assumed ones went short
    bool m_contradicted = false;
    int m_unverified = 0; // unpinned seams at the end, which hold only together
    int m_stillSteps = 0; // of them, taken where the view looked the same
    bool m_lastStill = false;
};
