#pragma once

#include <QCoreApplication>
#include <QEventLoop>

namespace Tolvan::Test {

// Runs the events already posted and those they post in turn, for a bounded
// number of rounds: enough for the fakes' queued answers and wake-ups and the
// coroutines they resume to run their course. Never waits for time to pass.
inline void settle(int rounds = 50)
{
    for (int round = 0; round < rounds; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

} // namespace Tolvan::Test
