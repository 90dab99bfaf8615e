#pragma once

#include "clock.h"
#include "pendingwork.h"

#include <memory>

namespace Tolvan {

// A clock whose sleeps are counted in `work` while they last: a store that
// goes away cancels its sleep, which ends on a later turn of the event loop.
class TrackedClock : public Clock {
public:
    TrackedClock(std::shared_ptr<Clock> clock, std::shared_ptr<PendingWork> work);

    QDateTime now() const override;
    QCoro::Task<bool> sleep(std::chrono::milliseconds duration, CancellationToken cancel) override;

private:
    const std::shared_ptr<Clock> m_clock;
    const std::shared_ptr<PendingWork> m_work;
};

} // namespace Tolvan
