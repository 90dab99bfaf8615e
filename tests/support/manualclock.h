#pragma once

#include "clock.h"

#include <QList>
#include <QObject>

#include <chrono>
#include <memory>

namespace Tolvan::Test {

class ManualSleep;

// A clock that tests drive by hand; nothing waits for real time.
//
// now() is a settable wall time (UTC). sleep() runs on a separate monotonic
// time that only advance() moves: a sleep resumes with true once advance()
// has moved that time to or past its deadline, and with false as soon as its
// cancellation token fires. Either way it resumes on a later turn of the event
// loop, never inside advance() or cancel(), as a real timer would. Every
// requested duration is recorded in order.
class ManualClock : public QObject, public Clock {
    Q_OBJECT

public:
    // 2025-03-01T12:00:00Z.
    static QDateTime defaultStart();

    explicit ManualClock(QDateTime now = defaultStart())
        : m_now(std::move(now))
    {
    }

    QDateTime now() const override { return m_now; }
    QCoro::Task<bool> sleep(std::chrono::milliseconds duration, CancellationToken cancel) override;

    // Moves the wall time only, as a change of the system clock would.
    void setNow(const QDateTime &now) { m_now = now; }
    // Lets time pass: moves the wall and the monotonic time, and wakes the
    // sleeps whose deadline is reached.
    void advance(std::chrono::milliseconds duration);

    // Ends every running sleep as cancelled, on the next turn of the event
    // loop. Test fixtures call it, then settle(), before they go: a coroutine
    // left suspended for ever would leak its frames.
    void cancelPendingSleeps();

    // Every duration passed to sleep(), oldest first.
    QList<std::chrono::milliseconds> requestedSleeps() const { return m_requestedSleeps; }
    // Sleeps that have neither reached their deadline nor been cancelled.
    int pendingSleepCount() const;

private:
    QDateTime m_now;
    std::chrono::milliseconds m_elapsed{0};
    QList<std::chrono::milliseconds> m_requestedSleeps;
    QList<std::shared_ptr<ManualSleep>> m_sleeps;
};

} // namespace Tolvan::Test
