#include "manualclock.h"

#include <QCoro/QCoroSignal>

namespace Tolvan::Test {

// One sleep in progress: wakes once, on a later turn of the event loop.
class ManualSleep : public QObject {
    Q_OBJECT

public:
    std::chrono::milliseconds deadline;
    bool awake = false;

    void wake(bool fullTime)
    {
        if (!std::exchange(awake, true)) {
            QMetaObject::invokeMethod(
                this, [this, fullTime] { Q_EMIT woke(fullTime); }, Qt::QueuedConnection);
        }
    }

Q_SIGNALS:
    void woke(bool fullTime);
};

QDateTime ManualClock::defaultStart()
{
    return QDateTime(QDate(2025, 3, 1), QTime(12, 0), Qt::UTC);
}

void ManualClock::cancelPendingSleeps()
{
    for (const auto &sleep : std::as_const(m_sleeps)) {
        sleep->wake(false);
    }
}

QCoro::Task<bool> ManualClock::sleep(std::chrono::milliseconds duration, CancellationToken cancel)
{
    m_requestedSleeps.append(duration);
    const auto pending = std::make_shared<ManualSleep>();
    pending->deadline = m_elapsed + duration;
    m_sleeps.append(pending);
    ManualSleep *raw = pending.get();
    cancel.onCancel(raw, [raw] { raw->wake(false); });
    if (cancel.isCancelled()) {
        raw->wake(false);
    } else if (duration <= std::chrono::milliseconds(0)) {
        raw->wake(true);
    }
    const bool fullTime = co_await qCoro(raw, &ManualSleep::woke);
    co_return fullTime;
}

void ManualClock::advance(std::chrono::milliseconds duration)
{
    m_now = m_now.addMSecs(duration.count());
    m_elapsed += duration;
    for (const auto &sleep : std::as_const(m_sleeps)) {
        if (sleep->deadline <= m_elapsed) {
            sleep->wake(true);
        }
    }
    m_sleeps.removeIf([](const auto &sleep) { return sleep->awake; });
}

int ManualClock::pendingSleepCount() const
{
    return int(std::count_if(m_sleeps.cbegin(), m_sleeps.cend(),
                             [](const auto &sleep) { return !sleep->awake; }));
}

} // namespace Tolvan::Test

#include "manualclock.moc"
