#include "systemclock.h"

#include <QCoro/QCoroTimer>
#include <QTimer>

namespace Tolvan {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<bool> SystemClock::sleep(std::chrono::milliseconds duration, CancellationToken cancel)
{
    // QTimer counts in int milliseconds, so a long sleep (a month-long token)
    // is taken a day at a time.
    constexpr std::chrono::milliseconds longestTimer = std::chrono::hours(24);
    // QTimer runs on the monotonic clock, so a change of the wall clock does
    // not stretch or cut the sleep.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    // A cancelled sleep ends on the next turn of the event loop.
    const auto connection = cancel.onCancel(&timer, [&timer] { timer.start(0); });
    while (!cancel.isCancelled() && duration.count() > 0) {
        const auto step = std::min(duration, longestTimer);
        duration -= step;
        timer.start(step);
        co_await timer;
    }
    QObject::disconnect(connection);
    co_return !cancel.isCancelled();
}

} // namespace Tolvan
