#pragma once
// Runs a piece of work on the thread pool and lets a coroutine on the main
// thread await its result while the event loop goes on.
//
// The coroutine rule of this code: in a statement that holds co_await, GCC 12
// destroys twice every temporary made by a lambda expression or by braces,
// and an aggregate member initialised by co_await itself; with implicitly
// shared Qt data inside, that corrupts the heap. So such objects are named in
// a statement of their own before the co_await:
//     const auto work = [image] { return FrameRows(image); };
//     FrameRows rows = co_await onWorker(work);
// Arguments taken by value, results of QCoro's awaiters and co_await inside
// assignments, calls or conditions come out right. tests/Screenshot/
// tst_workertask.cpp proves the fault on the compiler it is built with.
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
