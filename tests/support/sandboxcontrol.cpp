#include "sandboxcontrol.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QTimer>

namespace Tolvan::Test {

namespace {

constexpr int answerLimitMs = 30'000;

} // namespace

nlohmann::json SandboxControl::Answer::json() const
{
    return nlohmann::json::parse(body.toStdString(), nullptr, false);
}

SandboxControl::SandboxControl(QUrl baseURL, const QString &certificatePath)
    : m_baseURL(std::move(baseURL))
{
    if (!certificatePath.isEmpty()) {
        m_trusted = QSslCertificate::fromPath(certificatePath);
    }
}

SandboxControl::Answer SandboxControl::await(QNetworkReply *reply)
{
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(answerLimitMs, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();
    }
    if (!reply->isFinished()) {
        reply->abort();
    }
    Answer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                  reply->readAll()};
    reply->deleteLater();
    return answer;
}

SandboxControl::Answer SandboxControl::send(const QByteArray &method, const QString &path,
                                            const QByteArray &body, const QString &accessToken)
{
    QNetworkRequest request(m_baseURL.resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    if (!accessToken.isEmpty()) {
        request.setRawHeader("Authorization", "Bearer " + accessToken.toUtf8());
    }
    return await(m_network.sendCustomRequest(request, method, body));
}

QString SandboxControl::outboxCode(const QString &email)
{
    const Answer answer = send("GET", QStringLiteral("sandbox/outbox?email=") +
                                          QString::fromLatin1(QUrl::toPercentEncoding(email)));
    const nlohmann::json json = answer.json();
    return answer.status == 200 ? QString::fromStdString(json.value("code", "")) : QString();
}

TokenPair SandboxControl::signIn(const QString &email)
{
    const nlohmann::json address{{"email", email.toStdString()}};
    send("POST", QStringLiteral("api/auth/otp/request"), QByteArray::fromStdString(address.dump()));
    const nlohmann::json verification{{"email", email.toStdString()},
                                      {"code", outboxCode(email).toStdString()}};
    const Answer answer = send("POST", QStringLiteral("api/auth/otp/verify"),
                               QByteArray::fromStdString(verification.dump()));
    auto pair = TokenPair::fromJson(answer.json());
    return pair ? pair.value() : TokenPair();
}

SandboxControl::Answer SandboxControl::setSubscription(const nlohmann::json &subscription)
{
    return send("POST", QStringLiteral("sandbox/subscription"),
                QByteArray::fromStdString(subscription.dump()));
}

SandboxControl::Answer SandboxControl::injectFault(const nlohmann::json &fault)
{
    return send("POST", QStringLiteral("sandbox/faults"), QByteArray::fromStdString(fault.dump()));
}

SandboxControl::Answer SandboxControl::clearFaults()
{
    return send("DELETE", QStringLiteral("sandbox/faults"));
}

SandboxControl::Answer SandboxControl::openPage(const QUrl &url, const QByteArray &form)
{
    QNetworkRequest request(url);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificates(m_trusted);
    request.setSslConfiguration(tls);
    if (form.isEmpty()) {
        return await(m_network.get(request));
    }
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("application/x-www-form-urlencoded"));
    return await(m_network.post(request, form));
}

bool SandboxControl::startTrial(const QUrl &checkoutURL, const QString &plan)
{
    const Answer page = openPage(checkoutURL);
    // The form whose hidden "plan" field names the plan: <form … action="…"><input … value="plan">
    const QRegularExpression form(
        QStringLiteral("<form method=\"post\" action=\"([^\"]+)\">"
                       "<input type=\"hidden\" name=\"plan\" value=\"%1\">")
            .arg(QRegularExpression::escape(plan)));
    const auto match = form.match(QString::fromUtf8(page.body));
    if (page.status != 200 || !match.hasMatch()) {
        return false;
    }
    const QUrl action = checkoutURL.resolved(QUrl(match.captured(1)));
    return openPage(action, "plan=" + QUrl::toPercentEncoding(plan)).status == 200;
}

} // namespace Tolvan::Test
