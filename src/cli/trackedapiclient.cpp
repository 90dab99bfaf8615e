#include "trackedapiclient.h"

namespace Tolvan {

namespace {

constexpr int rejectionStatus = 401;

} // namespace

TrackedAPIClient::TrackedAPIClient(std::shared_ptr<APIClientProtocol> client,
                                   std::shared_ptr<PendingWork> work)
    : m_client(std::move(client))
    , m_work(std::move(work))
{
}

template<typename T>
QCoro::Task<Result<T>> TrackedAPIClient::observe(QCoro::Task<Result<T>> request)
{
    // Started apart from the await: no temporary lives across the suspension.
    QCoro::Task<Result<T>> tracked = m_work->track(std::move(request));
    Result<T> answer = co_await std::move(tracked);
    if (!answer && answer.error().kind() == ServiceError::Kind::Response &&
        answer.error().status() == rejectionStatus) {
        m_sawRejection = true;
    }
    co_return answer;
}

QCoro::Task<Result<BillingResponse>> TrackedAPIClient::fetchBilling(QString accessToken,
                                                                    CancellationToken cancel)
{
    return observe(m_client->fetchBilling(accessToken, cancel));
}

QCoro::Task<Result<QUrl>> TrackedAPIClient::createCheckout(BillingPlanID plan, QString accessToken,
                                                           CancellationToken cancel)
{
    return observe(m_client->createCheckout(plan, accessToken, cancel));
}

QCoro::Task<Result<QUrl>> TrackedAPIClient::createPortal(QString accessToken,
                                                         CancellationToken cancel)
{
    return observe(m_client->createPortal(accessToken, cancel));
}

QCoro::Task<Result<HistoryListResponse>>
TrackedAPIClient::fetchHistory(std::optional<HistoryKind> type, QString search, qint64 page,
                               QString accessToken, CancellationToken cancel)
{
    return observe(m_client->fetchHistory(type, search, page, accessToken, cancel));
}

QCoro::Task<Result<HistoryEntry>>
TrackedAPIClient::fetchHistoryEntry(qint64 id, QString accessToken, CancellationToken cancel)
{
    return observe(m_client->fetchHistoryEntry(id, accessToken, cancel));
}

QCoro::Task<Result<void>> TrackedAPIClient::deleteHistoryEntry(qint64 id, QString accessToken,
                                                               CancellationToken cancel)
{
    return observe(m_client->deleteHistoryEntry(id, accessToken, cancel));
}

QCoro::Task<Result<void>> TrackedAPIClient::clearHistory(QString accessToken,
                                                         CancellationToken cancel)
{
    return observe(m_client->clearHistory(accessToken, cancel));
}

QCoro::Task<Result<void>> TrackedAPIClient::requestOTP(QString email, CancellationToken cancel)
{
    return observe(m_client->requestOTP(email, cancel));
}

QCoro::Task<Result<TokenPair>> TrackedAPIClient::verifyOTP(QString email, QString code,
                                                           CancellationToken cancel)
{
    return observe(m_client->verifyOTP(email, code, cancel));
}

QCoro::Task<Result<TokenPair>> TrackedAPIClient::refresh(QString refreshToken,
                                                         CancellationToken cancel)
{
    return observe(m_client->refresh(refreshToken, cancel));
}

QCoro::Task<Result<void>> TrackedAPIClient::revoke(QString refreshToken, CancellationToken cancel)
{
    return observe(m_client->revoke(refreshToken, cancel));
}

QCoro::Task<Result<QList<TranslationLanguage>>>
TrackedAPIClient::fetchLanguages(QString accessToken, CancellationToken cancel)
{
    return observe(m_client->fetchLanguages(accessToken, cancel));
}

QCoro::Task<Result<QString>> TrackedAPIClient::translate(TranslationRequest request,
                                                         QString accessToken,
                                                         CancellationToken cancel)
{
    return observe(m_client->translate(request, accessToken, cancel));
}

QCoro::Task<Result<QString>> TrackedAPIClient::improve(QString text, QString accessToken,
                                                       CancellationToken cancel)
{
    return observe(m_client->improve(text, accessToken, cancel));
}

} // namespace Tolvan
