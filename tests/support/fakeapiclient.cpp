#include "fakeapiclient.h"

#include <QCoro/QCoroSignal>
#include <QTest>

namespace Tolvan::Test {

// One call waiting for its answer.
class PendingClientCall : public QObject {
    Q_OBJECT

public:
    PendingClientCall(ClientOperation operation, CancellationToken cancel)
        : operation(operation)
        , cancel(std::move(cancel))
    {
    }

    const ClientOperation operation;
    const CancellationToken cancel;
    // Empty when the call was cancelled.
    std::optional<std::any> answer;

Q_SIGNALS:
    // Resumes the caller on a later turn of the event loop.
    void answered();
};

QString operationName(ClientOperation operation)
{
    // In the order of ClientOperation.
    static const QStringList names =
        QStringLiteral("fetchBilling createCheckout createPortal fetchHistory fetchHistoryEntry "
                       "deleteHistoryEntry clearHistory requestOTP verifyOTP refresh revoke "
                       "fetchLanguages translate improve")
            .split(QLatin1Char(' '));
    return names.at(int(operation));
}

char *toString(const FakeAPIClient::Call &call)
{
    return QTest::toString(operationName(call.operation) + QLatin1Char('(') +
                           call.arguments.join(QStringLiteral(", ")) + QLatin1Char(')'));
}

void FakeAPIClient::cancelPending()
{
    for (const auto &call : std::as_const(m_pending)) {
        call->cancel.cancel();
    }
    scheduleDelivery();
}

ServiceError FakeAPIClient::cancelledError()
{
    return ServiceError::transport(QNetworkReply::OperationCanceledError,
                                   QStringLiteral("Operation canceled"));
}

void FakeAPIClient::hold(Operation operation)
{
    m_releases.try_emplace(operation, 0);
}

void FakeAPIClient::release(Operation operation, int count)
{
    m_releases[operation] += count;
    scheduleDelivery();
}

QList<FakeAPIClient::Call> FakeAPIClient::calls(Operation operation) const
{
    QList<Call> matching = m_calls;
    matching.removeIf([operation](const Call &call) { return call.operation != operation; });
    return matching;
}

QCoro::Task<std::optional<std::any>>
FakeAPIClient::respond(Operation operation, QStringList arguments, CancellationToken cancel)
{
    m_calls.append(Call{operation, std::move(arguments)});
    m_tokens.append(cancel);
    const auto call = std::make_shared<PendingClientCall>(operation, cancel);
    m_pending.append(call);
    cancel.onCancel(this, [this] { scheduleDelivery(); });
    scheduleDelivery();
    co_await qCoro(call.get(), &PendingClientCall::answered);
    co_return std::move(call->answer);
}

void FakeAPIClient::queueAnswer(Operation operation, std::any answer)
{
    m_answers[operation].push_back(std::move(answer));
    scheduleDelivery();
}

void FakeAPIClient::scheduleDelivery()
{
    if (!std::exchange(m_deliveryScheduled, true)) {
        QMetaObject::invokeMethod(this, &FakeAPIClient::deliver, Qt::QueuedConnection);
    }
}

void FakeAPIClient::deliver()
{
    m_deliveryScheduled = false;
    QList<std::shared_ptr<PendingClientCall>> answered;
    for (const auto &call : std::as_const(m_pending)) {
        auto &queue = m_answers[call->operation];
        const auto held = m_releases.find(call->operation);
        if (call->cancel.isCancelled()) {
            answered.append(call);
        } else if (!queue.empty() && (held == m_releases.end() || held->second > 0)) {
            call->answer = std::move(queue.front());
            queue.pop_front();
            if (held != m_releases.end()) {
                --held->second;
            }
            answered.append(call);
        }
    }
    m_pending.removeIf([&answered](const auto &call) { return answered.contains(call); });
    for (const auto &call : std::as_const(answered)) {
        Q_EMIT call->answered();
    }
}

} // namespace Tolvan::Test

#include "fakeapiclient.moc"
