#include "systemclock.h"

#include <QTimer>

#include <coroutine>
#include <memory>

namespace Tolvan {

namespace {

// One wait on a monotonic timer that also ends, at once, when `cancel` fires.
// Resuming inside cancel() rather than on a later turn of the event loop means
// that a cancelled sleep never outlives its owner: a store that cancels its
// timer while it is destroyed leaves no coroutine waiting behind it.
class TimerWait {
public:
    TimerWait(std::chrono::milliseconds duration, CancellationToken cancel)
        : m_duration(duration)
        , m_cancel(std::move(cancel))
    {
    }

    bool await_ready() const noexcept { return m_cancel.isCancelled(); }

    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_waiting = waiting;
        // QTimer runs on the monotonic clock, so a change of the wall clock
        // does not stretch or cut the sleep.
        m_timer = std::make_unique<QTimer>();
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { resume(); });
        m_cancelConnection = m_cancel.onCancel(m_timer.get(), [this] { resume(); });
        m_timer->start(m_duration);
    }

    void await_resume() const noexcept {}

private:
    void resume()
    {
        m_timer->stop();
        QObject::disconnect(m_cancelConnection);
        if (const auto waiting = std::exchange(m_waiting, nullptr)) {
            waiting.resume();
        }
    }

    std::chrono::milliseconds m_duration;
    CancellationToken m_cancel;
    // Made when the wait begins; the awaiter itself may be moved before that.
    std::unique_ptr<QTimer> m_timer;
    QMetaObject::Connection m_cancelConnection;
    std::coroutine_handle<> m_waiting;
};

} // namespace

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<bool> SystemClock::sleep(std::chrono::milliseconds duration, CancellationToken cancel)
{
    // QTimer counts in int milliseconds, so a long sleep (a month-long token)
    // is taken a day at a time.
    constexpr std::chrono::milliseconds longestTimer = std::chrono::hours(24);
    while (!cancel.isCancelled() && duration.count() > 0) {
        const auto step = std::min(duration, longestTimer);
        duration -= step;
        co_await TimerWait(step, cancel);
    }
    co_return !cancel.isCancelled();
}

} // namespace Tolvan
