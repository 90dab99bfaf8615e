#include "apiclient.h"

#include "autherrorenvelope.h"
#include "billingcheckoutrequest.h"
#include "billingcheckoutresponse.h"
#include "billingerrorenvelope.h"
#include "billingportalresponse.h"
#include "historyresponse.h"
#include "improverequest.h"
#include "improveresponse.h"
#include "languagesresponse.h"
#include "otprequest.h"
#include "otprequested.h"
#include "otpverification.h"
#include "refreshtokenrequest.h"
#include "servicebaseurl.h"
#include "translationresponse.h"

#include <QCoro/QCoroSignal>
#include <QNetworkReply>
#include <QRegularExpression>

#include <memory>

namespace Tolvan {

namespace {

constexpr int historyPageSize = 20;

QString fallbackPrefix(ErrorFamily family)
{
    switch (family) {
    case ErrorFamily::Auth:
        return QStringLiteral("Authentication failed (HTTP ");
    case ErrorFamily::Translation:
        return QStringLiteral("Translation failed (HTTP ");
    case ErrorFamily::Languages:
        return QStringLiteral("Unable to load languages (HTTP ");
    case ErrorFamily::Writing:
        return QStringLiteral("Writing improvement failed (HTTP ");
    case ErrorFamily::History:
        return QStringLiteral("Unable to update history (HTTP ");
    case ErrorFamily::Billing:
        return QStringLiteral("Billing is unavailable (HTTP ");
    }
    return {};
}

// The family's response error; without a detail from the server, its fixed text.
ServiceError makeServiceError(int status, const std::optional<QString> &detail, ErrorFamily family)
{
    if (detail) {
        return ServiceError::response(family, status, *detail);
    }
    const bool hasRejectedSessionText =
        family != ErrorFamily::Auth && family != ErrorFamily::Languages;
    if (status == 401 && hasRejectedSessionText) {
        return ServiceError::response(
            family, status,
            QStringLiteral("Your session was rejected. Please sign out and sign in again."));
    }
    return ServiceError::response(family, status,
                                  fallbackPrefix(family) + QString::number(status) +
                                      QStringLiteral("). Please try again."));
}

template<typename Record>
Result<Record> decodeBody(const QByteArray &body)
{
    auto document = JsonFields::parse(body);
    if (!document) {
        return document.error();
    }
    return Record::fromJson(document.value());
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

Result<TokenPair> checkedTokenPair(const QByteArray &body)
{
    // A body that does not decode reports the decoder's own error.
    auto pair = decodeBody<TokenPair>(body);
    if (!pair) {
        return pair;
    }
    const TokenPair &tokens = pair.value();
    if (tokens.tokenType != QLatin1String("Bearer") || tokens.accessToken.isEmpty() ||
        tokens.refreshToken.isEmpty() || tokens.expiresIn < 1 || tokens.refreshExpiresIn < 1) {
        return ServiceError::invalidResponse(ErrorFamily::Auth);
    }
    return pair;
}

bool isAcceptablePlanList(const QList<BillingPlan> &plans)
{
    static const QRegularExpression currencyCode(QStringLiteral("^[A-Z]{3}$"));
    if (plans.isEmpty()) {
        return false;
    }
    for (qsizetype i = 0; i < plans.size(); ++i) {
        const BillingPlan &plan = plans[i];
        for (qsizetype j = 0; j < i; ++j) {
            if (plans[j].id == plan.id) {
                return false;
            }
        }
        if (plan.amountMinor < 0 || isBlank(plan.name) ||
            !currencyCode.match(plan.currency).hasMatch() ||
            plan.trialInterval != QLatin1String("day") || plan.trialIntervalCount < 1) {
            return false;
        }
    }
    return true;
}

QString historyQuery(const std::optional<HistoryKind> &type, const QString &search, qint64 page)
{
    QString query = QStringLiteral("page=%1&page_size=%2").arg(page).arg(historyPageSize);
    if (type) {
        query += QStringLiteral("&type=") + rawValue(*type);
    }
    const QString trimmed = search.trimmed();
    if (!trimmed.isEmpty()) {
        query += QStringLiteral("&search=") + QString::fromLatin1(QUrl::toPercentEncoding(trimmed));
    }
    return query;
}

} // namespace

APIClient::APIClient()
    : APIClient(ServiceBaseURL::fromEnvironment())
{
}

APIClient::APIClient(QUrl baseURL, std::chrono::milliseconds transferTimeout)
    : m_baseURL(std::move(baseURL))
    , m_transferTimeout(transferTimeout)
{
}

bool APIClient::isSafeBillingURL(const QUrl &url)
{
    return url.scheme().toLower() == QLatin1String("https") && !url.host().isEmpty();
}

QCoro::Task<Result<APIClient::Answer>> APIClient::send(const Request &request,
                                                       CancellationToken cancel)
{
    // The path goes after the base URL's own path, one component at a time.
    QUrl url = m_baseURL;
    QString path = url.path(QUrl::FullyEncoded);
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    url.setPath(path + request.path, QUrl::StrictMode);
    if (!request.query.isEmpty()) {
        url.setQuery(request.query, QUrl::StrictMode);
    }
    if (!m_baseURL.isValid() || !url.isValid()) {
        co_return ServiceError::invalidResponse(request.family);
    }

    QNetworkRequest networkRequest(url);
    networkRequest.setTransferTimeout(int(m_transferTimeout.count()));
    // Never carry the bearer token to another site.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::SameOriginRedirectPolicy);
    networkRequest.setRawHeader("Content-Type", "application/json");
    networkRequest.setRawHeader("Accept", "application/json");
    if (request.accessToken) {
        networkRequest.setRawHeader("Authorization", "Bearer " + request.accessToken->toUtf8());
    }

    if (cancel.isCancelled()) {
        co_return ServiceError::transport(QNetworkReply::OperationCanceledError,
                                          QStringLiteral("Operation canceled"));
    }

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        request.body ? m_network.sendCustomRequest(networkRequest, request.method,
                                                   QByteArray::fromStdString(request.body->dump()))
                     : m_network.sendCustomRequest(networkRequest, request.method),
        [](QNetworkReply *finished) { finished->deleteLater(); });

    // A time-out and an abort both end the reply as "cancelled"; only ours is.
    bool aborted = false;
    const auto cancelConnection = cancel.onCancel(reply.get(), [&aborted, &reply] {
        aborted = true;
        reply->abort();
    });
    if (!reply->isFinished()) {
        co_await qCoro(reply.get(), &QNetworkReply::finished);
    }
    QObject::disconnect(cancelConnection);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (reply->error() == QNetworkReply::OperationCanceledError && !aborted) {
            co_return ServiceError::transport(QNetworkReply::TimeoutError,
                                              QStringLiteral("The request timed out."));
        }
        if (reply->error() != QNetworkReply::NoError) {
            co_return ServiceError::transport(reply->error(), reply->errorString());
        }
        co_return ServiceError::invalidResponse(request.family);
    }

    Answer answer{.status = status.toInt(), .body = reply->readAll()};
    if (answer.status != request.successStatus) {
        co_return errorForStatus(request, answer);
    }
    co_return answer;
}

ServiceError APIClient::errorForStatus(const Request &request, const Answer &answer)
{
    if (request.readsSubscriptionRequired && answer.status == 402) {
        const auto envelope = decodeBody<BillingErrorEnvelope>(answer.body);
        if (envelope && isSafeBillingURL(envelope.value().billingURL)) {
            return ServiceError::subscriptionRequired(request.family, envelope.value().error.detail,
                                                      envelope.value().billingURL);
        }
    }
    const auto envelope = decodeBody<AuthErrorEnvelope>(answer.body);
    return makeServiceError(answer.status,
                            envelope ? std::optional(envelope.value().error.detail) : std::nullopt,
                            request.family);
}

QCoro::Task<Result<BillingResponse>> APIClient::fetchBilling(QString accessToken,
                                                             CancellationToken cancel)
{
    const Request request{.method = "GET",
                          .path = QStringLiteral("api/billing"),
                          .family = ErrorFamily::Billing,
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    auto billing = decodeBody<BillingResponse>(answer.value().body);
    if (!billing || !isAcceptablePlanList(billing.value().plans)) {
        co_return ServiceError::invalidResponse(ErrorFamily::Billing);
    }
    co_return billing;
}

QCoro::Task<Result<QUrl>> APIClient::createCheckout(BillingPlanID plan, QString accessToken,
                                                    CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/billing/checkout"),
                          .family = ErrorFamily::Billing,
                          .body = BillingCheckoutRequest{.plan = plan}.toJson(),
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    const auto checkout = decodeBody<BillingCheckoutResponse>(answer.value().body);
    if (!checkout || !isSafeBillingURL(checkout.value().checkoutURL)) {
        co_return ServiceError::unsafeURL();
    }
    co_return checkout.value().checkoutURL;
}

QCoro::Task<Result<QUrl>> APIClient::createPortal(QString accessToken, CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/billing/portal"),
                          .family = ErrorFamily::Billing,
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    const auto portal = decodeBody<BillingPortalResponse>(answer.value().body);
    if (!portal || !isSafeBillingURL(portal.value().portalURL)) {
        co_return ServiceError::unsafeURL();
    }
    co_return portal.value().portalURL;
}

QCoro::Task<Result<HistoryListResponse>> APIClient::fetchHistory(std::optional<HistoryKind> type,
                                                                 QString search, qint64 page,
                                                                 QString accessToken,
                                                                 CancellationToken cancel)
{
    const Request request{.method = "GET",
                          .path = QStringLiteral("api/history"),
                          .family = ErrorFamily::History,
                          .query = historyQuery(type, search, page),
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    auto list = decodeBody<HistoryListResponse>(answer.value().body);
    if (!list) {
        co_return ServiceError::invalidResponse(ErrorFamily::History);
    }
    const HistoryPagination &pagination = list.value().pagination;
    if (pagination.page != page || pagination.pageSize != historyPageSize ||
        pagination.totalCount < 0 || pagination.totalPages < 0) {
        co_return ServiceError::invalidResponse(ErrorFamily::History);
    }
    co_return list;
}

QCoro::Task<Result<HistoryEntry>> APIClient::fetchHistoryEntry(qint64 id, QString accessToken,
                                                               CancellationToken cancel)
{
    const Request request{.method = "GET",
                          .path = QStringLiteral("api/history/") + QString::number(id),
                          .family = ErrorFamily::History,
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    auto entry = decodeBody<HistoryResponse>(answer.value().body);
    if (!entry || entry.value().history.id != id) {
        co_return ServiceError::invalidResponse(ErrorFamily::History);
    }
    co_return std::move(entry).value().history;
}

QCoro::Task<Result<void>> APIClient::deleteHistoryEntry(qint64 id, QString accessToken,
                                                        CancellationToken cancel)
{
    const Request request{.method = "DELETE",
                          .path = QStringLiteral("api/history/") + QString::number(id),
                          .family = ErrorFamily::History,
                          .accessToken = accessToken,
                          .successStatus = 204};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    co_return {};
}

QCoro::Task<Result<void>> APIClient::clearHistory(QString accessToken, CancellationToken cancel)
{
    const Request request{.method = "DELETE",
                          .path = QStringLiteral("api/history"),
                          .family = ErrorFamily::History,
                          .accessToken = accessToken,
                          .successStatus = 204};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    co_return {};
}

QCoro::Task<Result<void>> APIClient::requestOTP(QString email, CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/auth/otp/request"),
                          .family = ErrorFamily::Auth,
                          .body = OTPRequest{.email = email}.toJson(),
                          .successStatus = 202};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    const auto requested = decodeBody<OTPRequested>(answer.value().body);
    if (!requested || requested.value().status != QLatin1String("code_sent")) {
        co_return ServiceError::invalidResponse(ErrorFamily::Auth);
    }
    co_return {};
}

QCoro::Task<Result<TokenPair>> APIClient::verifyOTP(QString email, QString code,
                                                    CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/auth/otp/verify"),
                          .family = ErrorFamily::Auth,
                          .body = OTPVerification{.email = email, .code = code}.toJson()};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    co_return checkedTokenPair(answer.value().body);
}

QCoro::Task<Result<TokenPair>> APIClient::refresh(QString refreshToken, CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/auth/refresh"),
                          .family = ErrorFamily::Auth,
                          .body = RefreshTokenRequest{.refreshToken = refreshToken}.toJson()};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    co_return checkedTokenPair(answer.value().body);
}

QCoro::Task<Result<void>> APIClient::revoke(QString refreshToken, CancellationToken cancel)
{
    const Request request{.method = "DELETE",
                          .path = QStringLiteral("api/auth/session"),
                          .family = ErrorFamily::Auth,
                          .body = RefreshTokenRequest{.refreshToken = refreshToken}.toJson(),
                          .successStatus = 204};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    co_return {};
}

QCoro::Task<Result<QList<TranslationLanguage>>> APIClient::fetchLanguages(QString accessToken,
                                                                          CancellationToken cancel)
{
    const Request request{.method = "GET",
                          .path = QStringLiteral("api/languages"),
                          .family = ErrorFamily::Languages,
                          .accessToken = accessToken};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    auto catalogue = decodeBody<LanguagesResponse>(answer.value().body);
    if (!catalogue) {
        co_return ServiceError::invalidResponse(ErrorFamily::Languages);
    }
    co_return std::move(catalogue).value().languages;
}

QCoro::Task<Result<QString>> APIClient::translate(TranslationRequest translation,
                                                  QString accessToken, CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/translate"),
                          .family = ErrorFamily::Translation,
                          .body = translation.toJson(),
                          .accessToken = accessToken,
                          .readsSubscriptionRequired = true};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    const auto answered = decodeBody<TranslationResponse>(answer.value().body);
    if (!answered || isBlank(answered.value().translation)) {
        co_return ServiceError::invalidResponse(ErrorFamily::Translation);
    }
    co_return answered.value().translation;
}

QCoro::Task<Result<QString>> APIClient::improve(QString text, QString accessToken,
                                                CancellationToken cancel)
{
    const Request request{.method = "POST",
                          .path = QStringLiteral("api/improve"),
                          .family = ErrorFamily::Writing,
                          .body = ImproveRequest{.text = text}.toJson(),
                          .accessToken = accessToken,
                          .readsSubscriptionRequired = true};
    const auto answer = co_await send(request, cancel);
    if (!answer) {
        co_return answer.error();
    }
    const auto improved = decodeBody<ImproveResponse>(answer.value().body);
    if (!improved || isBlank(improved.value().improvedText)) {
        co_return ServiceError::invalidResponse(ErrorFamily::Writing);
    }
    co_return improved.value().improvedText;
}

} // namespace Tolvan
