#include "serviceerror.h"

namespace Tolvan {

namespace {

QString invalidResponseText(ErrorFamily family)
{
    switch (family) {
    case ErrorFamily::Auth:
        return QStringLiteral("The server returned an unexpected response. Please try again.");
    case ErrorFamily::Translation:
        return QStringLiteral(
            "The translation service returned an invalid response. Please try again.");
    case ErrorFamily::Languages:
        return QStringLiteral(
            "The language service returned no usable languages. Please try again.");
    case ErrorFamily::Writing:
        return QStringLiteral(
            "The writing service returned an invalid response. Please try again.");
    case ErrorFamily::History:
        return QStringLiteral(
            "The history service returned an invalid response. Please try again.");
    case ErrorFamily::Billing:
        return QStringLiteral(
            "The billing service returned an invalid response. Please try again.");
    }
    return {};
}

QString keyringAdvice(int status)
{
    switch (status) {
    case -25293:
    case -128:
        return QStringLiteral("Retry and allow Tolvan to access its saved credentials when your "
                              "desktop asks.");
    case -34018:
        return QStringLiteral("Start your desktop's keyring service (for example GNOME Keyring or "
                              "KWallet), then retry.");
    case -25308:
        return QStringLiteral("Unlock your login keyring, then retry.");
    default:
        return QStringLiteral("Please retry.");
    }
}

} // namespace

ServiceError ServiceError::response(ErrorFamily family, int status, const QString &detail)
{
    ServiceError error(Kind::Response, family);
    error.m_status = status;
    error.m_detail = detail;
    return error;
}

ServiceError ServiceError::subscriptionRequired(ErrorFamily family, const QString &detail,
                                                const QUrl &billingURL)
{
    ServiceError error(Kind::SubscriptionRequired, family);
    error.m_detail = detail;
    error.m_billingURL = billingURL;
    return error;
}

ServiceError ServiceError::invalidResponse(ErrorFamily family)
{
    return ServiceError(Kind::InvalidResponse, family);
}

ServiceError ServiceError::unsafeURL()
{
    return ServiceError(Kind::UnsafeURL, ErrorFamily::Billing);
}

ServiceError ServiceError::keychain(int status, const QString &message)
{
    ServiceError error(Kind::Keychain, ErrorFamily::Auth);
    error.m_status = status;
    error.m_detail = message;
    return error;
}

ServiceError ServiceError::transport(QNetworkReply::NetworkError code, const QString &message)
{
    ServiceError error(Kind::Transport, ErrorFamily::Auth);
    error.m_networkError = code;
    error.m_detail = message;
    return error;
}

ServiceError ServiceError::decoding(const QString &message)
{
    ServiceError error(Kind::Decoding, ErrorFamily::Auth);
    error.m_detail = message;
    return error;
}

bool ServiceError::isCancellation() const
{
    return m_kind == Kind::Transport && m_networkError == QNetworkReply::OperationCanceledError;
}

QString ServiceError::text() const
{
    switch (m_kind) {
    case Kind::Response:
    case Kind::SubscriptionRequired:
    case Kind::Transport:
    case Kind::Decoding:
        return m_detail;
    case Kind::InvalidResponse:
        return invalidResponseText(m_family);
    case Kind::UnsafeURL:
        return QStringLiteral("The billing service returned an unsafe link. Please try again.");
    case Kind::Keychain: {
        const QString message =
            m_detail.isEmpty() ? QStringLiteral("Unknown keyring error") : m_detail;
        return QStringLiteral("Your saved session could not be accessed. ") + message +
               QStringLiteral(" (Keyring ") + QString::number(m_status) + QStringLiteral("). ") +
               keyringAdvice(m_status);
    }
    }
    return {};
}

} // namespace Tolvan
