#pragma once
// Runs a capture coroutine to its end in a nested event loop. The error is
// caught inside the coroutine: QCoro::waitFor never returns when the awaited
// task throws.
#include "Screenshot/CaptureError.h"
#include "Screenshot/CapturedScreenshot.h"

#include <QCoroTask>
#include <QImage>
#include <optional>

struct CaptureOutcome {
    std::optional<QImage> image; // nothing: stopped, or failed
    bool incomplete = false;     // the capture said it may lack content
    QString error;               // the CaptureError's message, if any
    bool failed() const { return !error.isNull(); }
};

inline void takeResult(CaptureOutcome& outcome, std::optional<QImage> image)
{
    outcome.image = std::move(image);
}

inline void takeResult(CaptureOutcome& outcome, std::optional<CapturedScreenshot> shot)
{
    if (!shot)
        return;
    outcome.image = std::move(shot->image);
    outcome.incomplete = shot->incomplete;
}

template <typename MakeTask>
CaptureOutcome awaitCapture(MakeTask makeTask)
{
    auto run = [](MakeTask make) -> QCoro::Task<CaptureOutcome> {
        // Plain statements around co_await: GCC 12 mishandles co_await
        // inside aggregate initialisers (see WorkerTask.h).
        CaptureOutcome outcome;
        try {
            auto result = co_await make();
            takeResult(outcome, std::move(result));
        } catch (const CaptureError& e) {
            outcome.error = e.message().isNull() ? QStringLiteral("") : e.message();
        }
        co_return outcome;
    };
    return QCoro::waitFor(run(std::move(makeTask)));
}
