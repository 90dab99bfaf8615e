#pragma once

#include "apiclientprotocol.h"
#include "pendingwork.h"

#include <memory>

namespace Tolvan {

// Hands every request to the service client, counted in `work` while it is in
// flight, and remembers whether the service turned the session down (HTTP
// 401): the stores report that only as text, and it decides the exit status.
class TrackedAPIClient : public APIClientProtocol {
public:
    TrackedAPIClient(std::shared_ptr<APIClientProtocol> client, std::shared_ptr<PendingWork> work);

    bool sawRejection() const { return m_sawRejection; }

    QCoro::Task<Result<BillingResponse>> fetchBilling(QString accessToken,
                                                      CancellationToken cancel = {}) override;
    QCoro::Task<Result<QUrl>> createCheckout(BillingPlanID plan, QString accessToken,
                                             CancellationToken cancel = {}) override;
    QCoro::Task<Result<QUrl>> createPortal(QString accessToken,
                                           CancellationToken cancel = {}) override;
    QCoro::Task<Result<HistoryListResponse>> fetchHistory(std::optional<HistoryKind> type,
                                                          QString search, qint64 page,
                                                          QString accessToken,
                                                          CancellationToken cancel = {}) override;
    QCoro::Task<Result<HistoryEntry>> fetchHistoryEntry(qint64 id, QString accessToken,
                                                        CancellationToken cancel = {}) override;
    QCoro::Task<Result<void>> deleteHistoryEntry(qint64 id, QString accessToken,
                                                 CancellationToken cancel = {}) override;
    QCoro::Task<Result<void>> clearHistory(QString accessToken,
                                           CancellationToken cancel = {}) override;
    QCoro::Task<Result<void>> requestOTP(QString email, CancellationToken cancel = {}) override;
    QCoro::Task<Result<TokenPair>> verifyOTP(QString email, QString code,
                                             CancellationToken cancel = {}) override;
    QCoro::Task<Result<TokenPair>> refresh(QString refreshToken,
                                           CancellationToken cancel = {}) override;
    QCoro::Task<Result<void>> revoke(QString refreshToken, CancellationToken cancel = {}) override;
    QCoro::Task<Result<QList<TranslationLanguage>>>
    fetchLanguages(QString accessToken, CancellationToken cancel = {}) override;
    QCoro::Task<Result<QString>> translate(TranslationRequest request, QString accessToken,
                                           CancellationToken cancel = {}) override;
    QCoro::Task<Result<QString>> improve(QString text, QString accessToken,
                                         CancellationToken cancel = {}) override;

private:
    // The callers keep the client alive until their request has answered.
    template<typename T>
    QCoro::Task<Result<T>> observe(QCoro::Task<Result<T>> request);

    const std::shared_ptr<APIClientProtocol> m_client;
    const std::shared_ptr<PendingWork> m_work;
    bool m_sawRejection = false;
};

} // namespace Tolvan
