#pragma once
// Runs a piece of work on the thread pool and lets a coroutine on the main
// thread await its result while the event loop goes on.
//
// Built with GCC 12, a coroutine destroys a by-value class argument twice, and
// QCoro's own future awaiter does the same to the result: either corrupts the
// heap once the object holds implicitly shared Qt data. So the work is taken
// by reference (it is copied into the pool before the first suspension) and
// the result is read from a watcher the coroutine owns.
#include <QCoroSignal>
#include <QCoroTask>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <type_traits>

template <typename Work>
QCoro::Task<std::invoke_result_t<Work>> onWorker(const Work& work)
{
    using Result = std::invoke_result_t<Work>;
    QFutureWatcher<Result> watcher;
    // The watcher reports a future that finished early through its own
    // events, so connecting after setFuture() misses nothing.
    watcher.setFuture(QtConcurrent::run(work));
    co_await qCoro(&watcher, &QFutureWatcher<Result>::finished);
    co_return watcher.result();
}
