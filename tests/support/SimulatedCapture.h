#pragma once
// One scrolling capture of a generated page, window or section, through the
// program's own loop with the platform fakes and virtual time: the result,
// how the page judges it, and what it cost. A result is honest when it is
// whole or says it may be incomplete; complete when it is whole and says so.
#include "Screenshot/CapturedScreenshot.h"
#include "support/SimulatedPage.h"
#include "support/SimulatedVerdict.h"

#include <QString>
#include <memory>

class SimulatedCapture {
public:
    struct Outcome {
        QString page;     // what the seed made
        CapturedScreenshot shot;
        SimulatedVerdict verdict;
        QString stop;     // why the scrolling ended
        qint64 virtualMs = 0;
        double wallMs = 0;
        double screens = 0; // frame heights of output
        int grabs = 0;
        bool honest() const { return shot.incomplete || verdict.whole; }
        bool complete() const { return !shot.incomplete && verdict.whole; }
        QString summary() const;
    };

    SimulatedCapture();
    ~SimulatedCapture();

    Outcome run(quint32 seed, SimulatedPage::Pick pick);

private:
    struct Fakes;
    std::unique_ptr<Fakes> m_fakes;
};
