#pragma once
// Judges a capture of a generated page by its coded marks: every mark a
// capture can show must be there, whole, exactly where the page's final
// layout puts it (so nothing is lost, repeated, reordered or torn anywhere
// above it), no mark may show anywhere else, a fixed element's mark at most
// once, and the picture exactly as tall as the page scrolls.
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
