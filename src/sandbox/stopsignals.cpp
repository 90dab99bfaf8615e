#include "stopsignals.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace Tolvan {

int StopSignals::s_pipe[2] = {-1, -1};

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(s_pipe[1], &byte, 1) == 1) {
            Q_EMIT stopRequested();
        }
    });
    struct sigaction action = {};
    action.sa_handler = &StopSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

StopSignals::~StopSignals()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    delete m_notifier;
    for (int &end : s_pipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

void StopSignals::handle(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(s_pipe[0], &byte, 1);
}

} // namespace Tolvan
