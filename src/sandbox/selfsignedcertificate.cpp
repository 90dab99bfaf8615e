#include "selfsignedcertificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace Tolvan {

namespace {

QString keyPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("sandbox-key.pem"));
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SelfSignedCertificate::SelfSignedCertificate(QSslCertificate certificate, QSslKey key)
    : m_certificate(std::move(certificate))
    , m_key(std::move(key))
{
}

QString SelfSignedCertificate::certificatePath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("sandbox-certificate.pem"));
}

std::optional<SelfSignedCertificate> SelfSignedCertificate::loadOrCreate(const QString &folder,
                                                                         QString *error)
{
    const QString certificateFile = certificatePath(folder);
    const QString keyFile = keyPath(folder);
    if (!QFile::exists(certificateFile) || !QFile::exists(keyFile)) {
        QDir().mkpath(folder);
        if (!create(certificateFile, keyFile, error)) {
            return std::nullopt;
        }
    }
    QSslCertificate certificate(contents(certificateFile), QSsl::Pem);
    QSslKey key(contents(keyFile), QSsl::Ec, QSsl::Pem, QSsl::PrivateKey);
    if (certificate.isNull() || key.isNull()) {
        *error = QStringLiteral("The certificate in %1 could not be read.").arg(folder);
        return std::nullopt;
    }
    return SelfSignedCertificate(std::move(certificate), std::move(key));
}

bool SelfSignedCertificate::create(const QString &certificateFile, const QString &keyFile,
                                   QString *error)
{
    // Runs once, at start-up, before anything is served.
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("3650"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=Tolvan sandbox"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"),
                   QStringLiteral("-keyout"), keyFile, QStringLiteral("-out"), certificateFile});
    if (!openssl.waitForFinished(30'000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(openssl.readAll()).trimmed();
        *error = QStringLiteral("openssl could not create a certificate: %1")
                     .arg(output.isEmpty() ? openssl.errorString() : output);
        return false;
    }
    QFile::setPermissions(keyFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

} // namespace Tolvan
