#pragma once
// Judges a capture of a generated page by its coded marks: every mark a
// capture can show must be there, whole, exactly where the page's final
// layout puts it (so nothing is lost, repeated, reordered or torn anywhere
// above it), no mark may show anywhere else, a fixed element's mark at most
// once, and the picture exactly as tall as the page scrolls. Between the
// marks every row of the document must be the page's own, pixel for pixel,
// wherever nothing fixed may stand in a whole capture: something fixed shows
// only where the first frame (over the frame's upper half) or the last one
// (over its lower half) has it, a sticky column or an overlay scrollbar
// beside every row.
#include <QImage>
#include <QString>

class SimulatedPage;

struct SimulatedVerdict {
    bool whole = false;
    QString problem; // the first fault found; empty when whole
    int marksFound = 0;
    int marksShowable = 0;

    static SimulatedVerdict judge(const SimulatedPage& page, const QImage& capture);
};
