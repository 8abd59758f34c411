#pragma once
// One run of the window scroll capture, phase by phase, over the state it
// needs (once the permissions are confirmed): choosing the rectangle, bringing the target
// to the front, the first frame, choosing keys or wheel, scrolling to the top,
// scrolling down with a confirmed seam per step (retried before it is given
// up), and stacking the pieces.
//
// The run owns its own state; the platform services it names belong to the
// capture that started it. Input and grabs go through the capture's guard,
// which refuses them once the capture is gone, and every phase checks after
// each pause that the guard is still open before it touches anything else.
#include "Screenshot/EndRowsWatch.h"
#include "Screenshot/FrameMatcher.h"
#include "Screenshot/FrameSettler.h"
#include "Screenshot/KnownShift.h"
#include "Screenshot/ScrollGuard.h"
#include "Screenshot/ScrollInputPolicy.h"
#include "Screenshot/ScrollStepper.h"
#include "Screenshot/ScrollStitcher.h"
#include "Screenshot/SectionSurroundings.h"
#include "Screenshot/ScrollStop.h"
#include "Screenshot/ScrolledView.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowScrollCapture.h"
#include "Screenshot/WindowShot.h"

#include <memory>
#include <vector>

class ScrollRun {
public:
    // `guard` closes when the capture that started the run goes away.
    ScrollRun(const WindowScrollCapture::Backends& backends, WindowScrollCapture::Sleep sleep, ScrollGuard guard,
              const PickedWindow& target, const QString& name);
    ~ScrollRun();
    ScrollRun(const ScrollRun&) = delete;
    ScrollRun& operator=(const ScrollRun&) = delete;

    QCoro::Task<CapturedScreenshot> run();
    // The run takes the page again after one that saw it grow: the page is
    // expected to hold still now, and rows it would take again show that it
    // does not.
    void takeAgain() { m_again = true; }

private:
    // How a seam that could not be confirmed came out after the retries.
    enum class Retry { confirmed, stepAgain, failed };
    struct Step {
        FrameRows frame;
        FrameMatcher::Match match;
        bool learn = true; // the step's shift tells the size of a forward step
        bool assumed = false;  // taken at the known distance, not measured
        bool unpinned = false; // assumed, and holds only once the view moves on
    };
    // Where a view stands against the frame of the newest strip.
    enum class Place { there, below, above, unknown };

    bool gone() const { return !m_guard.isOpen(); }

    // Phases, in order.
    void readScale();
    void chooseRectangle();
    QCoro::Task<void> bringToFront();
    QCoro::Task<void> takeFirstFrame();
    void chooseInput();
    QCoro::Task<void> scrollToTop();
    QCoro::Task<ScrollStop> scrollDown();
    QCoro::Task<void> checkStartStayed();
    QCoro::Task<bool> showsTopAt(const FrameRows& frame, int expected, int tolerance);
    CapturedScreenshot assemble();
    std::optional<int> grownAbove() const;

    // Pieces of the phases.
    QCoro::Task<FrameRows> grabRows();
    void narrowTo(const QRectF& view);
    FrameRows narrowToMovingRows(const FrameRows& frame, QList<FrameRows>* earlier = nullptr);
    QCoro::Task<void> takeWindowRows(bool above);
    QCoro::Task<QImage> grabAround();
    bool rowsAroundScrolled() const;
    int pageMoveAtMost(int clicks) const;
    QCoro::Task<void> probeInnerBox();
    QCoro::Task<void> checkPageStayed();
    QCoro::Task<bool> takeBackHolderStep(QPointF at, const FrameRows& before, int clicks, const QImage& aroundBefore);
    QCoro::Task<FrameRows> settled(const FrameRows& before, int reactMs = FrameSettler::reactMs);
    QCoro::Task<FrameMatcher::Match> analyse(const FrameRows& a, const FrameRows& b, int expected, bool trusted);
    QCoro::Task<bool> scrollStep(int direction);
    QCoro::Task<Retry> retrySeam(Step& step);
    QCoro::Task<Retry> stepBack(Step& step);
    QCoro::Task<Retry> backToSmallerSteps(Step& step);
    QCoro::Task<void> onWithTheWheel();
    QCoro::Task<bool> lookAgain(Step& step);
    QCoro::Task<bool> throughFixedBoxes(Step& step);
    void coverBoxesAgain();
    QCoro::Task<Place> locate(const FrameRows& frame, FrameMatcher::Match& match);
    void rebase(const FrameRows& frame, int rowsAbove);
    int knownDistance() const;
    bool assumeKnownShift(Step& step);
    QCoro::Task<bool> assumeInSection(Step& step);
    QCoro::Task<bool> crossPlainStart(const Step& first);
    int scrollbarBetween(const FrameRows& a, const FrameRows& b, const FrameMatcher::Match& match) const;
    void withdrawAssumed();
    QCoro::Task<ScrollStop> endOrPlain(const FrameRows& frame);
    QCoro::Task<std::optional<Step>> watchForGrowth();
    QImage edgeRows(const QImage& window, const QImage& view) const;
    QCoro::Task<ScrollStop> endOnBlank(const FrameRows& frame);
    QCoro::Task<bool> crossPlain(int sent);
    QCoro::Task<bool> wheelFromNewestStrip();
    QCoro::Task<FrameRows> reached(const FrameRows& wanted);
    void stitch(const Step& step);
    bool besideContent(const FrameRows& frame, int c) const;
    CellMask leftOut(const FrameRows& frame, bool covered) const;
    bool plain(const FrameRows& frame) const;
    ScrollStitcher::Frame stitchFrame(const FrameRows& frame, int offset, const FrameMatcher::Match& match,
                                      bool fixedOnly = false) const;
    void rememberBadges(const FrameMatcher::Match& match);
    void rememberFixed(const FrameMatcher::Match& match);
    void settleStillOver();
    void takeEndRows(const EndRowsWatch& bottom);
    // Logs the reason and keeps it for the result.
    void note(ScrollStop stop);
    bool parkPointer();
    void putPointerBack();
    bool focusOnTarget();
    bool keyGate();
    void hideOwnWindows() const;

    const WindowScrollCapture::Backends m_b;
    const WindowScrollCapture::Sleep m_sleep;
    ScrollGuard m_guard;
    const PickedWindow m_target;
    const QString m_name;
    const bool m_section;

    QRectF m_rect;
    // Where the view lies in a larger window: the window, and its rows
    // above and below the view (taken once, at the top and at the end).
    QRectF m_windowRect;
    QImage m_windowAbove;
    QImage m_windowBelow;
    // A section: the rows around the view after a step that went short of
    // its size.
    QImage m_around;
    // A section: the window around it, and whether the wheel scrolls a box
    // inside the window (the window around stands still while it moves).
    std::optional<SectionSurroundings> m_surroundings;
    bool m_innerBox = false;
    bool m_nearEdge = false; // the section lies near the window's left or right edge
    // The probe saw the window around move with the section: no box of its
    // own under it, the wheel scrolls the page.
    bool m_pageUnder = false;
    // What holds the section moved at the end of what scrolls under it.
    bool m_holderMoved = false;
    // The window around the section at the start, and before the step that
    // found the box's end.
    QImage m_aroundAtStart;
    QImage m_aroundAtEnd;
    // The whole window with the view at the top of the content and at the
    // end: a scrollbar beside the view may reach past it.
    QImage m_windowAtTop;
    QImage m_windowAtEnd;
    quint32 m_window = 0;
    ScrollInputPolicy::Kind m_inputKind = ScrollInputPolicy::Kind::ordinary;
    qreal m_scale = 2.0;
    QPointF m_centre;
    std::optional<QPointF> m_savedPointer;
    bool m_pointerParked = false;
    bool m_focusLost = false;
    QSize m_frameSize;
    int m_w = 0;
    int m_h = 0;
    QImage m_first;

    FrameSettler m_settler;
    std::unique_ptr<ScrollStepper> m_stepper;
    bool m_keysMoved = false;  // keys moved the view on the way to the top
    bool m_keysProven = false; // keys moved it downwards

    FrameRows m_top;
    FrameRows m_previous; // the frame the next one is compared with
    FrameRows m_last;     // the frame of the newest strip
    ScrollStitcher m_stitcher;
    int m_offset = 0; // result row of the newest strip's frame's first row
    ScrollStitcher::Frame m_lastFrame;
    std::optional<FrameMatcher::Bands> m_bands; // of the last stitched step
    int m_scrollbar = 0;
    bool m_scrollbarMeasured = false;
    // Columns that stand still beside the content (a sticky sidebar) and the
    // colour each shows below the first frame.
    CellMask m_badges; // blocks standing over the content, left out of comparisons
    bool m_settledByStep = false; // the newest strip's seam was settled by the step size alone
    CellMask m_boxes;  // whole boxes fixed over the content, seen standing still over three views
    bool m_boxesToldAgain = false; // the boxes were looked for again once they were known
    // The newest frames given to the stitcher (a few), for rows to take
    // again when a box over them is told only later.
    std::vector<ScrollStitcher::Frame> m_kept;
    void keep(const ScrollStitcher::Frame& frame);
    std::vector<bool> m_fixed;
    std::vector<QRgb> m_fill;
    // What was sent since the newest strip: wheel clicks and page keys, net.
    int m_clicksSinceStrip = 0;
    int m_pagesSinceStrip = 0;
    // Seams taken at the distance measured steps moved, where the frames
    // hold too little to measure it.
    KnownShift m_known;
    // The result before the newest seam, while that seam is assumed and
    // nothing pins it: where the view then stands still, it may have stopped
    // short at the end, and the end is found from the frame before it.
    struct BeforeAssumed {
        ScrollStitcher stitcher;
        int offset = 0;
        FrameRows last;
        ScrollStitcher::Frame lastFrame;
        std::optional<FrameMatcher::Bands> bands;
        int clicks = 0;
        int pages = 0;
    };
    std::optional<BeforeAssumed> m_beforeAssumed;
    // Since the newest strip the view stood still or a seam failed: the page
    // may have grown in place of its end, so the next strip's rows are
    // checked against what the result holds.
    bool m_mayHaveGrown = false;
    int m_growths = 0; // times rows were taken again for it
    bool m_shortAtEnd = false; // a step stopped short at the end of the page as it then was
    bool m_grewAtEnd = false;  // and a later one moved on: the page grew at its end
    qint64 m_lastStripMs = 0; // when the newest strip brought rows (for the log's phase times)
    qint64 m_lastInputMs = 0; // when the newest step was sent
    // Rows of the newest strip's frame near its bottom where the frame before
    // showed something over the content that this one does not show there.
    std::vector<int> m_overBottom;
    // The last strip's rows at the bottom of the view that neither it nor
    // the frame before showed cleanly for sure, with its step; the newest
    // look at the view at the end.
    // Something stood over the view's bottom rows while it scrolled (an
    // overlay scrollbar): the last frame's bottom rows are looked at again.
    bool m_overlaySeen = false;
    std::vector<int> m_stillOver;
    int m_stillOverShift = 0;
    FrameRows m_newestLook;
    // The rows near the bottom that the last frame alone showed, covered,
    // were looked at again once an overlay over them would have faded.
    bool m_coverSeenFaded = false;
    // The view went past a stretch of one colour to content again and the
    // run crossed it: the scrolling goes on.
    bool m_crossedPlain = false;
    bool m_heldUp = false; // the view stood still only as long as the application was held up
    // Blank rows at the end of the content, below the last strip.
    int m_blankTail = 0;
    QRgb m_blankColour = 0;
    bool m_again = false; // a second run over a page the first saw grow
    // Why the scrolling ended, and what the result may lack.
    QList<ScrollStop> m_stops;
};
