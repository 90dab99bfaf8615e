#pragma once

#include "apiclientprotocol.h"

#include <QNetworkAccessManager>
#include <QUrl>

#include <chrono>

namespace Tolvan {

// Talks to the service over HTTPS: builds each request, checks the status and
// the body, and maps every failure to the operation's error family.
class APIClient : public APIClientProtocol {
public:
    static constexpr std::chrono::milliseconds defaultTransferTimeout{30'000};

    // The base URL of the environment (or the built-in site).
    APIClient();
    explicit APIClient(QUrl baseURL,
                       std::chrono::milliseconds transferTimeout = defaultTransferTimeout);

    QUrl baseURL() const { return m_baseURL; }

    // True for an https link with a host: the only kind of billing page we open.
    static bool isSafeBillingURL(const QUrl &url);

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
    QCoro::Task<Result<QString>> translate(TranslationRequest translation, QString accessToken,
                                           CancellationToken cancel = {}) override;
    QCoro::Task<Result<QString>> improve(QString text, QString accessToken,
                                         CancellationToken cancel = {}) override;

private:
    struct Request {
        QByteArray method;
        QString path;
        ErrorFamily family;
        QString query;
        std::optional<nlohmann::json> body;
        // Absent for the sign-in operations, which carry no bearer token.
        std::optional<QString> accessToken;
        int successStatus = 200;
        // Only translate and improve read a 402 as "subscription required".
        bool readsSubscriptionRequired = false;
    };
    struct Answer {
        int status = 0;
        QByteArray body;
    };

    // Sends the request; the answer for its success status, or the error.
    // `request` is taken by reference: GCC 12 mis-destroys aggregate temporaries
    // passed by value into a coroutine, so callers keep a named request alive
    // across the await.
    QCoro::Task<Result<Answer>> send(const Request &request, CancellationToken cancel);
    static ServiceError errorForStatus(const Request &request, const Answer &answer);

    QUrl m_baseURL;
    std::chrono::milliseconds m_transferTimeout;
    QNetworkAccessManager m_network;
};

} // namespace Tolvan
