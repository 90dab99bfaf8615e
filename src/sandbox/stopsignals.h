#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace Tolvan {

// Turns SIGTERM and SIGINT into a clean quit of the event loop. A signal
// handler may only write to a pipe; the event loop reads the other end.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

Q_SIGNALS:
    void stopRequested();

private:
    static void handle(int signal);

    static int s_pipe[2];
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Tolvan
