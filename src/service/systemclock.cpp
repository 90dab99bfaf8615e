#include "systemclock.h"

#include <QCoro/QCoroSignal>
#include <QTimer>

namespace Tolvan {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<bool> SystemClock::sleep(std::chrono::milliseconds duration, CancellationToken cancel)
{
    if (cancel.isCancelled()) {
        co_return false;
    }
    // QTimer runs on the monotonic clock, so a change of the wall clock does
    // not stretch or cut the sleep.
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    // A cancelled sleep ends on the next turn of the event loop.
    const auto connection = cancel.onCancel(&timer, [&timer] { timer.start(0); });
    timer.start(duration);
    co_await qCoro(&timer, &QTimer::timeout);
    QObject::disconnect(connection);
    co_return !cancel.isCancelled();
}

} // namespace Tolvan
