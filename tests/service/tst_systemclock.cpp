#include "systemclock.h"

#include "awaittask.h"

#include <QTest>
#include <QTimer>

using namespace Tolvan;
using namespace std::chrono_literals;

class SystemClockTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sleepRunsItsFullTime()
    {
        SystemClock clock;
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(Test::awaitTask(clock.sleep(20ms, CancellationToken())));
        QVERIFY(elapsed.elapsed() >= 20);
    }

    void cancellingWakesEvenAMonthLongSleep()
    {
        SystemClock clock;
        CancellationToken cancel;
        QTimer::singleShot(0, [cancel] { cancel.cancel(); });
        QVERIFY(!Test::awaitTask(clock.sleep(std::chrono::hours(24 * 30), cancel)));
    }

    void cancellingResumesAtOnce()
    {
        SystemClock clock;
        CancellationToken cancel;
        bool resumed = false;
        auto sleeper = [&]() -> QCoro::Task<> {
            co_await clock.sleep(std::chrono::hours(1), cancel);
            resumed = true;
        };
        auto sleeping = sleeper();
        cancel.cancel();
        // No turn of the event loop: the owner may be going away right now.
        QVERIFY(resumed);
    }

    void alreadyCancelledDoesNotSleep()
    {
        SystemClock clock;
        CancellationToken cancel;
        cancel.cancel();
        QVERIFY(!Test::awaitTask(clock.sleep(std::chrono::hours(1), cancel)));
    }
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_systemclock.moc"
