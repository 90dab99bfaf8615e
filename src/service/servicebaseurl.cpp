#include "servicebaseurl.h"

#include <QHostAddress>

namespace Tolvan {

namespace {

constexpr char variableName[] = "TOLVAN_BASE_URL";

QUrl refuse(QString *error, const QString &message)
{
    if (error) {
        *error = message;
    }
    return {};
}

} // namespace

QUrl ServiceBaseURL::builtIn()
{
    return QUrl(QStringLiteral("https://tolvan.app/"));
}

QUrl ServiceBaseURL::fromEnvironment(QString *error)
{
    if (!qEnvironmentVariableIsSet(variableName)) {
        return builtIn();
    }
    return resolve(qEnvironmentVariable(variableName), error);
}

QUrl ServiceBaseURL::resolve(const QString &configured, QString *error, const QString &setting)
{
    const QString name = setting.isEmpty() ? QLatin1String(variableName) : setting;
    const QUrl url(configured.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        return refuse(error, QStringLiteral("%1 must be an http or https address, such as "
                                            "https://tolvan.app/ (it is \"%2\").")
                                 .arg(name, configured));
    }
    if (scheme == QLatin1String("http") && !isLoopbackHost(url.host())) {
        return refuse(error, QStringLiteral("%1 may use plain http only for this machine "
                                            "(localhost, 127.0.0.1 or ::1); use https for %2.")
                                 .arg(name, url.host()));
    }
    return url;
}

bool ServiceBaseURL::isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace Tolvan
