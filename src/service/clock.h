#pragma once

#include "cancellationtoken.h"

#include <QCoro/QCoroTask>
#include <QDateTime>

#include <chrono>

namespace Tolvan {

// Wall time for token expiry, and sleeps on a monotonic timer for refresh,
// debounce and polling. Injected so that tests can drive time by hand.
class Clock {
public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;
    // Resumes after `duration`, or early when `cancel` fires; true when the
    // full time passed.
    virtual QCoro::Task<bool> sleep(std::chrono::milliseconds duration,
                                    CancellationToken cancel) = 0;
};

} // namespace Tolvan
