#pragma once
// Runs a capture coroutine to its end in a nested event loop. The error is
// caught inside the coroutine: QCoro::waitFor never returns when the awaited
// task throws.
#include "Screenshot/CaptureError.h"

#include <QCoroTask>
#include <QImage>
#include <optional>

struct CaptureOutcome {
    std::optional<QImage> image; // nothing: stopped, or failed
    QString error;               // the CaptureError's message, if any
    bool failed() const { return !error.isNull(); }
};

template <typename MakeTask>
CaptureOutcome awaitCapture(MakeTask makeTask)
{
    auto run = [](MakeTask make) -> QCoro::Task<CaptureOutcome> {
        // Plain statements around co_await: GCC 12 mishandles co_await
        // inside aggregate initialisers.
        CaptureOutcome outcome;
        try {
            std::optional<QImage> image = co_await make();
            outcome.image = std::move(image);
        } catch (const CaptureError& e) {
            outcome.error = e.message().isNull() ? QStringLiteral("") : e.message();
        }
        co_return outcome;
    };
    return QCoro::waitFor(run(std::move(makeTask)));
}
