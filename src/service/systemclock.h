#pragma once

#include "clock.h"

namespace Tolvan {

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    QCoro::Task<bool> sleep(std::chrono::milliseconds duration, CancellationToken cancel) override;
};

} // namespace Tolvan
