#include "fakeapiclient.h"

#include "wireenums.h"

#include <QCoro/QCoroSignal>
#include <QPointer>
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
    void answered();
};

QString operationName(ClientOperation operation)
{
    switch (operation) {
    case ClientOperation::FetchBilling:
        return QStringLiteral("fetchBilling");
    case ClientOperation::CreateCheckout:
        return QStringLiteral("createCheckout");
    case ClientOperation::CreatePortal:
        return QStringLiteral("createPortal");
    case ClientOperation::FetchHistory:
        return QStringLiteral("fetchHistory");
    case ClientOperation::FetchHistoryEntry:
        return QStringLiteral("fetchHistoryEntry");
    case ClientOperation::DeleteHistoryEntry:
        return QStringLiteral("deleteHistoryEntry");
    case ClientOperation::ClearHistory:
        return QStringLiteral("clearHistory");
    case ClientOperation::RequestOTP:
        return QStringLiteral("requestOTP");
    case ClientOperation::VerifyOTP:
        return QStringLiteral("verifyOTP");
    case ClientOperation::Refresh:
        return QStringLiteral("refresh");
    case ClientOperation::Revoke:
        return QStringLiteral("revoke");
    case ClientOperation::FetchLanguages:
        return QStringLiteral("fetchLanguages");
    case ClientOperation::Translate:
        return QStringLiteral("translate");
    case ClientOperation::Improve:
        return QStringLiteral("improve");
    }
    return {};
}

char *toString(const FakeAPIClient::Call &call)
{
    return QTest::toString(operationName(call.operation) + QLatin1Char('(') +
                           call.arguments.join(QStringLiteral(", ")) + QLatin1Char(')'));
}

FakeAPIClient::FakeAPIClient() = default;

FakeAPIClient::~FakeAPIClient() = default;

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
    QList<Call> matching;
    for (const Call &call : m_calls) {
        if (call.operation == operation) {
            matching.append(call);
        }
    }
    return matching;
}

int FakeAPIClient::pendingCount(Operation operation) const
{
    return int(std::count_if(m_pending.cbegin(), m_pending.cend(), [operation](const auto &call) {
        return call->operation == operation;
    }));
}

QCoro::Task<std::optional<std::any>>
FakeAPIClient::respond(Operation operation, QStringList arguments, CancellationToken cancel)
{
    m_calls.append(Call{operation, std::move(arguments)});
    m_tokens.append(cancel);
    const auto call = std::make_shared<PendingClientCall>(operation, cancel);
    m_pending.append(call);
    const QPointer<FakeAPIClient> self(this);
    cancel.onCancel(call.get(), [self] {
        if (self) {
            self->scheduleDelivery();
        }
    });
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
    if (m_deliveryScheduled) {
        return;
    }
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &FakeAPIClient::deliver, Qt::QueuedConnection);
}

void FakeAPIClient::deliver()
{
    m_deliveryScheduled = false;
    QList<std::shared_ptr<PendingClientCall>> answered;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const auto &call = *it;
        auto &queue = m_answers[call->operation];
        const auto held = m_releases.find(call->operation);
        const bool mayAnswer = held == m_releases.end() || held->second > 0;
        if (!call->cancel.isCancelled() && (queue.empty() || !mayAnswer)) {
            ++it;
            continue;
        }
        if (!call->cancel.isCancelled()) {
            call->answer = std::move(queue.front());
            queue.pop_front();
            if (held != m_releases.end()) {
                --held->second;
            }
        }
        answered.append(call);
        it = m_pending.erase(it);
    }
    for (const auto &call : std::as_const(answered)) {
        Q_EMIT call->answered();
    }
}

QCoro::Task<Result<BillingResponse>> FakeAPIClient::fetchBilling(QString accessToken,
                                                                 CancellationToken cancel)
{
    return reply<Operation::FetchBilling>(QStringList{accessToken}, std::move(cancel));
}

QCoro::Task<Result<QUrl>> FakeAPIClient::createCheckout(BillingPlanID plan, QString accessToken,
                                                        CancellationToken cancel)
{
    return reply<Operation::CreateCheckout>(QStringList{rawValue(plan), accessToken},
                                            std::move(cancel));
}

QCoro::Task<Result<QUrl>> FakeAPIClient::createPortal(QString accessToken, CancellationToken cancel)
{
    return reply<Operation::CreatePortal>(QStringList{accessToken}, std::move(cancel));
}

QCoro::Task<Result<HistoryListResponse>>
FakeAPIClient::fetchHistory(std::optional<HistoryKind> type, QString search, qint64 page,
                            QString accessToken, CancellationToken cancel)
{
    return reply<Operation::FetchHistory>(
        QStringList{type ? rawValue(*type) : QString(), search, QString::number(page), accessToken},
        std::move(cancel));
}

QCoro::Task<Result<HistoryEntry>> FakeAPIClient::fetchHistoryEntry(qint64 id, QString accessToken,
                                                                   CancellationToken cancel)
{
    return reply<Operation::FetchHistoryEntry>(QStringList{QString::number(id), accessToken},
                                               std::move(cancel));
}

QCoro::Task<Result<void>> FakeAPIClient::deleteHistoryEntry(qint64 id, QString accessToken,
                                                            CancellationToken cancel)
{
    return reply<Operation::DeleteHistoryEntry>(QStringList{QString::number(id), accessToken},
                                                std::move(cancel));
}

QCoro::Task<Result<void>> FakeAPIClient::clearHistory(QString accessToken, CancellationToken cancel)
{
    return reply<Operation::ClearHistory>(QStringList{accessToken}, std::move(cancel));
}

QCoro::Task<Result<void>> FakeAPIClient::requestOTP(QString email, CancellationToken cancel)
{
    return reply<Operation::RequestOTP>(QStringList{email}, std::move(cancel));
}

QCoro::Task<Result<TokenPair>> FakeAPIClient::verifyOTP(QString email, QString code,
                                                        CancellationToken cancel)
{
    return reply<Operation::VerifyOTP>(QStringList{email, code}, std::move(cancel));
}

QCoro::Task<Result<TokenPair>> FakeAPIClient::refresh(QString refreshToken,
                                                      CancellationToken cancel)
{
    return reply<Operation::Refresh>(QStringList{refreshToken}, std::move(cancel));
}

QCoro::Task<Result<void>> FakeAPIClient::revoke(QString refreshToken, CancellationToken cancel)
{
    return reply<Operation::Revoke>(QStringList{refreshToken}, std::move(cancel));
}

QCoro::Task<Result<QList<TranslationLanguage>>>
FakeAPIClient::fetchLanguages(QString accessToken, CancellationToken cancel)
{
    return reply<Operation::FetchLanguages>(QStringList{accessToken}, std::move(cancel));
}

QCoro::Task<Result<QString>> FakeAPIClient::translate(TranslationRequest request,
                                                      QString accessToken, CancellationToken cancel)
{
    return reply<Operation::Translate>(
        QStringList{request.text, request.sourceLanguage, request.targetLanguage, accessToken},
        std::move(cancel));
}

QCoro::Task<Result<QString>> FakeAPIClient::improve(QString text, QString accessToken,
                                                    CancellationToken cancel)
{
    return reply<Operation::Improve>(QStringList{text, accessToken}, std::move(cancel));
}

} // namespace Tolvan::Test

#include "fakeapiclient.moc"
