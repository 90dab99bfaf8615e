#pragma once

#include "cancellationtoken.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace Tolvan {

// One run of asynchronous work that several callers share: the first caller
// starts the work, later callers join it, and every one of them resumes when
// it ends. Each waiter resumes from the same signal, so no task is awaited
// twice. Holders keep it in a shared pointer while they wait.
class SharedFlight : public QObject {
    Q_OBJECT

public:
    // Given to the work's steps; cancelling it stops the work for every waiter.
    CancellationToken cancellation() const { return m_cancellation; }
    void cancel() const { m_cancellation.cancel(); }

    bool isFinished() const { return m_finished; }
    // Called by the work when it ends; resumes every waiter.
    void finish();
    // Resumes once the work has ended; at once when it already has.
    QCoro::Task<> wait();

Q_SIGNALS:
    void finished();

private:
    CancellationToken m_cancellation;
    bool m_finished = false;
};

} // namespace Tolvan
