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
