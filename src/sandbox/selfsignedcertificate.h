#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

#include <optional>

namespace Tolvan {

// The certificate of the billing pages: self-signed for 127.0.0.1, made with
// openssl on the first start and kept in the data folder afterwards.
class SelfSignedCertificate {
public:
    static std::optional<SelfSignedCertificate> loadOrCreate(const QString &folder, QString *error);

    static QString certificatePath(const QString &folder);

    QSslCertificate certificate() const { return m_certificate; }
    QSslKey key() const { return m_key; }

private:
    SelfSignedCertificate(QSslCertificate certificate, QSslKey key);

    static bool create(const QString &certificateFile, const QString &keyFile, QString *error);

    QSslCertificate m_certificate;
    QSslKey m_key;
};

} // namespace Tolvan
