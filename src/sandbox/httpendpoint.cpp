#include "httpendpoint.h"

#include <QHttpServerRequest>

namespace Tolvan {

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    default:
        return "UNKNOWN";
    }
}

} // namespace

HttpEndpoint::HttpEndpoint(Handler handler, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_handler(std::move(handler))
{
}

quint16 HttpEndpoint::listenOnLoopback(quint16 port)
{
    return listen(QHostAddress::LocalHost, port);
}

bool HttpEndpoint::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    if (request.body().size() > maximumBodySize) {
        write(responder,
              HttpReply::error(
                  413, "payload_too_large",
                  QStringLiteral("The request body exceeds %1 bytes.").arg(maximumBodySize)));
        return true;
    }
    HttpRequest copy{
        .method = methodName(request.method()),
        .path = request.url().path(QUrl::FullyDecoded),
        .query = request.query(),
        .headers = request.headers(),
        .body = request.body(),
        .peer = request.remoteAddress(),
    };
    answer(std::move(copy), std::move(responder), socket);
    return true;
}

void HttpEndpoint::missingHandler(const QHttpServerRequest &, QTcpSocket *)
{
    // Every request is handled above; nothing is ever missing.
}

QCoro::Task<> HttpEndpoint::answer(HttpRequest request, QHttpServerResponder responder,
                                   QPointer<QTcpSocket> socket)
{
    const HttpReply reply = co_await m_handler(std::move(request));
    // The client may have gone while the answer was prepared.
    if (!socket) {
        co_return;
    }
    if (reply.drop) {
        socket->abort();
        co_return;
    }
    write(responder, reply);
}

void HttpEndpoint::write(QHttpServerResponder &responder, const HttpReply &reply)
{
    const auto status = static_cast<QHttpServerResponder::StatusCode>(reply.status);
    if (reply.body.isEmpty()) {
        responder.write(status);
    } else {
        responder.write(reply.body, reply.contentType, status);
    }
}

} // namespace Tolvan
