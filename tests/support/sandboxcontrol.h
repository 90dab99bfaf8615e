#pragma once

#include "tokenpair.h"

#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <QUrl>

#include <nlohmann/json.hpp>

namespace Tolvan::Test {

// Plain HTTP calls to a running sandbox, each waited for: its development
// routes (outbox, subscription, faults), raw requests for what the client
// cannot send, and the billing pages as a person's browser would use them.
class SandboxControl {
public:
    struct Answer {
        // 0 when no HTTP answer came (a transport failure).
        int status = 0;
        QByteArray body;

        nlohmann::json json() const;
    };

    // `certificatePath`: the pages' certificate, trusted for the page calls.
    explicit SandboxControl(QUrl baseURL, const QString &certificatePath = {});

    Answer send(const QByteArray &method, const QString &path, const QByteArray &body = {},
                const QString &accessToken = {});

    // The latest code sent to `email`, from the outbox route.
    QString outboxCode(const QString &email);
    // Signs in through the outbox; the token pair, or an empty one on failure.
    TokenPair signIn(const QString &email);
    Answer setSubscription(const nlohmann::json &subscription);
    Answer injectFault(const nlohmann::json &fault);
    Answer clearFaults();

    // Opens a billing page; posts `form` (URL-encoded) when given.
    Answer openPage(const QUrl &url, const QByteArray &form = {});
    // Opens a checkout page and presses the trial button of `plan`; true when
    // the page answered the press with 200.
    bool startTrial(const QUrl &checkoutURL, const QString &plan);

private:
    Answer await(QNetworkReply *reply);

    QUrl m_baseURL;
    QList<QSslCertificate> m_trusted;
    QNetworkAccessManager m_network;
};

} // namespace Tolvan::Test
