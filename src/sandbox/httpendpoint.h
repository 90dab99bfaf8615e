#pragma once

#include "httpreply.h"
#include "httprequest.h"

#include <QAbstractHttpServer>
#include <QCoro/QCoroTask>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>

#include <functional>

namespace Tolvan {

// A loopback HTTP (or HTTPS) listener that hands each request to an
// asynchronous handler and writes its answer once it is ready, so that a slow
// answer never holds up the others.
class HttpEndpoint : public QAbstractHttpServer {
    Q_OBJECT
public:
    using Handler = std::function<QCoro::Task<HttpReply>(HttpRequest)>;
    // Larger bodies are refused before any handler sees them.
    static constexpr qsizetype maximumBodySize = 1024 * 1024;

    explicit HttpEndpoint(Handler handler, QObject *parent = nullptr);

    // Listens on 127.0.0.1; the port in use, or 0 when it could not listen.
    quint16 listenOnLoopback(quint16 port);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    QCoro::Task<> answer(HttpRequest request, QHttpServerResponder responder,
                         QPointer<QTcpSocket> socket);
    static void write(QHttpServerResponder &responder, const HttpReply &reply);

    Handler m_handler;
};

} // namespace Tolvan
