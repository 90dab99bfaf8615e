#include "sharedflight.h"

#include <QCoro/QCoroSignal>

namespace Tolvan {

void SharedFlight::finish()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    Q_EMIT finished();
}

QCoro::Task<> SharedFlight::wait()
{
    if (m_finished) {
        co_return;
    }
    co_await qCoro(this, &SharedFlight::finished);
}

} // namespace Tolvan
