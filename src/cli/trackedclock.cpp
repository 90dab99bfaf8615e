#include "trackedclock.h"

namespace Tolvan {

TrackedClock::TrackedClock(std::shared_ptr<Clock> clock, std::shared_ptr<PendingWork> work)
    : m_clock(std::move(clock))
    , m_work(std::move(work))
{
}

QDateTime TrackedClock::now() const
{
    return m_clock->now();
}

QCoro::Task<bool> TrackedClock::sleep(std::chrono::milliseconds duration, CancellationToken cancel)
{
    return m_work->track(m_clock->sleep(duration, cancel));
}

} // namespace Tolvan
