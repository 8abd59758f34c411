#pragma once
// Whether a scrolling capture is taken once more from the top. Pictures that
// load late, after their rows were taken, lengthen the page above the view;
// the run notices (the scrollbar's thumb, the start found elsewhere, content
// that moved by itself) and calls its result incomplete. Once the run has
// reached the end, the pictures it passed have been asked for, and a second
// run from the top finds the page as it now stands. Any other doubt of the
// first run tells nothing a second one would settle, and an Escape ends it.
#include "Screenshot/ScrollStop.h"

#include <QList>

class SecondPass {
public:
    SecondPass() = delete;
    // `stops`: the first run's, its end first.
    static bool worthwhile(const QList<ScrollStop>& stops);
    // Whether the run from the top, `again` rows high, stopped short of the
    // `first` run's result: the page only grew, so the second run ended
    // before the end the first one reached (an application held up on a
    // busy machine looks the same as the end). A few rows less are the
    // first run's steps taken at a distance a row or two off.
    static bool cameShort(int first, int again) { return again < first - qMax(slackRows, first / 50); }
    static constexpr int slackRows = 24;
    // Runs in all, the first included.
    static constexpr int runs = 2;
};
