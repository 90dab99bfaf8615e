#pragma once

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QTimer>

#include <optional>
#include <stdexcept>

namespace Tolvan::Test {

// Runs the event loop until `task` finishes and returns its value. A task that
// never finishes fails the test after `limitMs` instead of hanging the suite.
template<typename T>
T awaitTask(QCoro::Task<T> task, int limitMs = 10'000)
{
    QEventLoop loop;
    std::optional<T> result;
    bool done = false;
    auto runner = [&]() -> QCoro::Task<> {
        result.emplace(co_await std::move(task));
        done = true;
        loop.quit();
    };
    auto running = runner();
    if (!done) {
        QTimer::singleShot(limitMs, &loop, [&loop] { loop.exit(1); });
        if (loop.exec() != 0) {
            throw std::runtime_error("task did not finish in time");
        }
    }
    return std::move(*result);
}

} // namespace Tolvan::Test
