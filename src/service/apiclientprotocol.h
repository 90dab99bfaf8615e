#pragma once

#include "billingresponse.h"
#include "cancellationtoken.h"
#include "historylistresponse.h"
#include "result.h"
#include "tokenpair.h"
#include "translationlanguage.h"
#include "translationrequest.h"

#include <QCoro/QCoroTask>

#include <optional>

namespace Tolvan {

// Every request the service answers. Each operation suspends while its request
// is in flight and resumes on the main thread with the value or the error to
// show; cancelling `cancel` stops the transfer (the result is then a cancelled
// transport error). Nothing is cached, retried or refreshed here.
class APIClientProtocol {
public:
    virtual ~APIClientProtocol() = default;

    virtual QCoro::Task<Result<BillingResponse>> fetchBilling(QString accessToken,
                                                              CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<QUrl>> createCheckout(BillingPlanID plan, QString accessToken,
                                                     CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<QUrl>> createPortal(QString accessToken,
                                                   CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<HistoryListResponse>>
    fetchHistory(std::optional<HistoryKind> type, QString search, qint64 page, QString accessToken,
                 CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<HistoryEntry>> fetchHistoryEntry(qint64 id, QString accessToken,
                                                                CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<void>> deleteHistoryEntry(qint64 id, QString accessToken,
                                                         CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<void>> clearHistory(QString accessToken,
                                                   CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<void>> requestOTP(QString email, CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<TokenPair>> verifyOTP(QString email, QString code,
                                                     CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<TokenPair>> refresh(QString refreshToken,
                                                   CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<void>> revoke(QString refreshToken,
                                             CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<QList<TranslationLanguage>>>
    fetchLanguages(QString accessToken, CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<QString>> translate(TranslationRequest request, QString accessToken,
                                                   CancellationToken cancel = {}) = 0;
    virtual QCoro::Task<Result<QString>> improve(QString text, QString accessToken,
                                                 CancellationToken cancel = {}) = 0;
};

} // namespace Tolvan
