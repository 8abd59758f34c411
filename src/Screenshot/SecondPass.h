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
    // Runs in all, the first included.
    static constexpr int runs = 2;
};
