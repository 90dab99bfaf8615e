#pragma once

#include <QCoro/QCoroTask>

#include <memory>

namespace Tolvan::Test {

// Follows a task that returns nothing, so that a test can start an operation,
// drive the fakes, and ask whether the operation has finished yet.
class TaskProbe {
public:
    explicit TaskProbe(QCoro::Task<> task)
        : m_finished(std::make_shared<bool>(false))
    {
        follow(std::move(task), m_finished);
    }

    bool isFinished() const { return *m_finished; }

private:
    static QCoro::Task<> follow(QCoro::Task<> task, std::shared_ptr<bool> finished)
    {
        co_await task;
        *finished = true;
    }

    std::shared_ptr<bool> m_finished;
};

} // namespace Tolvan::Test
