#include "cancellationtoken.h"

namespace Tolvan {

class CancellationToken::State : public QObject {
    Q_OBJECT
public:
    bool cancelled = false;

Q_SIGNALS:
    void triggered();
};

CancellationToken::CancellationToken()
    : m_state(std::make_shared<State>())
{
}

void CancellationToken::cancel() const
{
    if (m_state->cancelled) {
        return;
    }
    m_state->cancelled = true;
    Q_EMIT m_state->triggered();
}

bool CancellationToken::isCancelled() const
{
    return m_state->cancelled;
}

QMetaObject::Connection CancellationToken::onCancel(const QObject *context,
                                                    std::function<void()> handler) const
{
    return QObject::connect(m_state.get(), &State::triggered, context, std::move(handler),
                            Qt::SingleShotConnection);
}

} // namespace Tolvan

#include "cancellationtoken.moc"
