#pragma once
// Why the scrolling of a window capture ended, and what its result may lack.
// Each phase of a run answers with one of these instead of a flag; the log
// line the run writes for it is derived from it, and the result carries the
// reasons, so callers and tests read why without parsing the log.
#include <QString>

enum class ScrollStop {
    // Ends that leave the result whole.
    contentEnd,    // the view stopped moving: the end of the content
    blankEnd,      // a stretch of one colour, measured to be the end
    cancelled,     // Escape: what was gathered, as far as it goes
    // Ends and faults that leave it possibly incomplete.
    captureGone,       // the capture that started the run went away
    focusLost,         // keys would have gone to another window
    noFrame,           // a grab failed
    seamUnconfirmed,   // a seam could not be confirmed, retries included
    seamRetriesSpent,  // steps taken again and again without a seam
    changesInPlace,    // the content changes without scrolling
    heightLimit,       // the result reached its largest height
    stripLimit,        // the result reached its largest number of strips
    stepLimit,         // steps without new rows, or too many steps in all
    blankEndUncertain, // a stretch of one colour that may go on
    missedUnderHeader, // rows went under a header before they were seen whole
    nothingScrolled,   // no strip at all
    coverRepeated,     // something fixed over the content shows in the middle of the result
    contentMoved,      // the content moved by itself while it was scrolled (it grew above the view)
    sectionShifted,    // what holds a section moved and did not come back to its place
    assumedSeamWrong,  // a step measured later moved otherwise than the seams taken at the known distance assume
    assumedSeamAtEnd,  // the run ended on a seam taken at the known distance that nothing but its shared rows confirm
    grewAtEnd,         // the page grew at its end in a way no seam follows, or more often than followed
    grewAbove,         // the page grew above the view, which kept its content in place (the scrollbar's thumb
                       // shows it, or the view, taken back up near the start, stands elsewhere than it should)
    shorterAgain,      // taken once more from the top, the page came out shorter than the first time
};

class ScrollStops {
public:
    ScrollStops() = delete;
    // Whether the result may lack content or hold some twice.
    static bool incomplete(ScrollStop stop);
    // The run's log line for it (without the "SCROLL " prefix); empty where
    // the run logs the end with its own figures.
    static QString logLine(ScrollStop stop);
    // Steps a seam is retried before the run gives it up.
    static constexpr int seamRetries = 4;
    // Steps in a row that bring no new rows before the run ends.
    static constexpr int barrenSteps = 12;
    // Times the page may grow at its end (items appended as it comes near)
    // and be followed before the run ends.
    static constexpr int growthLimit = 25;
};
