#pragma once

#include <QNetworkReply>
#include <QString>
#include <QUrl>

namespace Tolvan {

// Which family of service operations an error belongs to; it selects the
// error's texts.
enum class ErrorFamily { Auth, Translation, Languages, Writing, History, Billing };

// Every failure the user can be shown, each carrying its own text.
//
// The service families (AuthClientError, TranslationError, WritingError,
// LanguageCatalogError, HistoryError, BillingError) share one shape told apart
// by family(); CredentialStorageError is the keychain() case. Transport and
// decoding errors carry the message of the layer that raised them, unchanged.
class ServiceError {
public:
    enum class Kind {
        Response,
        SubscriptionRequired,
        InvalidResponse,
        UnsafeURL,
        Keychain,
        Transport,
        Decoding,
    };

    static ServiceError response(ErrorFamily family, int status, const QString &detail);
    static ServiceError subscriptionRequired(ErrorFamily family, const QString &detail,
                                             const QUrl &billingURL);
    static ServiceError invalidResponse(ErrorFamily family);
    static ServiceError unsafeURL();
    // `message` is the keyring's own text for the failure; empty when it has none.
    static ServiceError keychain(int status, const QString &message);
    static ServiceError transport(QNetworkReply::NetworkError code, const QString &message);
    static ServiceError decoding(const QString &message);

    Kind kind() const { return m_kind; }
    ErrorFamily family() const { return m_family; }
    // The HTTP status of a response error, or the keyring status of a keychain error.
    int status() const { return m_status; }
    QString detail() const { return m_detail; }
    QUrl billingURL() const { return m_billingURL; }
    QNetworkReply::NetworkError networkError() const { return m_networkError; }
    bool isCancellation() const;

    // The text shown to the user, as it stands.
    QString text() const;

    bool operator==(const ServiceError &) const = default;

private:
    ServiceError(Kind kind, ErrorFamily family)
        : m_kind(kind)
        , m_family(family)
    {
    }

    Kind m_kind;
    ErrorFamily m_family;
    int m_status = 0;
    QString m_detail;
    QUrl m_billingURL;
    QNetworkReply::NetworkError m_networkError = QNetworkReply::NoError;
};

} // namespace Tolvan
