#pragma once

#include <QCoro/QCoroTask>
#include <QObject>

namespace Tolvan {

// Counts the requests and sleeps in progress, so that the process ends only
// once each of them, and whatever was waiting for it, has finished.
class PendingWork : public QObject {
    Q_OBJECT

public:
    // Runs `work`, counted while it is in progress, and answers its value.
    template<typename T>
    QCoro::Task<T> track(QCoro::Task<T> work)
    {
        ++m_running;
        T value = co_await std::move(work);
        finishOne();
        co_return value;
    }

    // Resumes once nothing is in progress.
    QCoro::Task<> idle();

Q_SIGNALS:
    void settled();

private:
    // Tells the waiters on a later turn of the event loop, once whatever
    // awaited the finished work has run on.
    void finishOne();

    int m_running = 0;
};

} // namespace Tolvan
