#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace Tolvan {

// A shared flag that stops asynchronous work: a transfer in flight is aborted
// and a sleep wakes early. Copies share one state, so the owner of a task keeps
// a copy and cancels it, and the task's steps watch theirs.
class CancellationToken {
public:
    CancellationToken();

    void cancel() const;
    bool isCancelled() const;

    // Calls `handler` once, on cancellation, while `context` lives. Returns the
    // connection so that a finished step can stop watching.
    QMetaObject::Connection onCancel(const QObject *context, std::function<void()> handler) const;

private:
    class State;
    std::shared_ptr<State> m_state;
};

} // namespace Tolvan
