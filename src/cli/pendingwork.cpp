#include "pendingwork.h"

#include <QCoro/QCoroSignal>
#include <QPointer>

namespace Tolvan {

QCoro::Task<> PendingWork::idle()
{
    QPointer<PendingWork> self(this);
    while (self && m_running > 0) {
        co_await qCoro(this, &PendingWork::settled);
    }
}

void PendingWork::finishOne()
{
    --m_running;
    if (m_running == 0) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_running == 0) {
                    Q_EMIT settled();
                }
            },
            Qt::QueuedConnection);
    }
}

} // namespace Tolvan
