#pragma once

#include "clock.h"
#include "httpreply.h"
#include "httprequest.h"
#include "sandboxoptions.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QUrl>

#include <memory>

namespace Tolvan {

class SandboxDatabase;

// The stand-in service: the client's API over HTTP on 127.0.0.1, the billing
// pages over HTTPS on a second loopback port, and the development routes.
class Sandbox : public QObject {
    Q_OBJECT
public:
    explicit Sandbox(SandboxOptions options, std::shared_ptr<Clock> clock = {},
                     QObject *parent = nullptr);
    ~Sandbox() override;

    // Opens the database, loads the certificate and starts listening.
    bool start(QString *error);

    QUrl baseURL() const;
    QUrl pagesURL() const;

    // Answers one request of the API port, as its endpoint does; fuzzers call
    // it directly. Only after a successful start().
    QCoro::Task<HttpReply> serve(HttpRequest request);

Q_SIGNALS:
    // A sign-in code was "mailed": the outbox.
    void codeMailed(const QString &email, const QString &code);

private:
    struct Parts;

    SandboxOptions m_options;
    std::shared_ptr<Clock> m_clock;
    CancellationToken m_stopping;
    std::unique_ptr<SandboxDatabase> m_database;
    // Built on start; the stores in it hold the database connection.
    std::unique_ptr<Parts> m_parts;
};

} // namespace Tolvan
