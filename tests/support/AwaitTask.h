#pragma once
// Waits for a coroutine in a test, running the event loop meanwhile, and hands
// back its value or rethrows its exception (QCoro::waitFor of this QCoro
// version loses exceptions and then waits forever).
#include <QCoroTask>
#include <QEventLoop>
#include <QTimer>
#include <exception>
#include <optional>
#include <stdexcept>

template <typename T>
T awaitTask(QCoro::Task<T> task, int timeoutMs = 120000)
{
    QEventLoop loop;
    std::optional<T> result;
    std::exception_ptr error;
    bool done = false;
    auto runner = [&]() -> QCoro::Task<> {
        try {
            result.emplace(co_await std::move(task));
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        loop.quit();
    };
    QCoro::Task<> running = runner();
    if (!done) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (error)
        std::rethrow_exception(error);
    if (!result)
        throw std::runtime_error("coroutine did not finish in time");
    return std::move(*result);
}
