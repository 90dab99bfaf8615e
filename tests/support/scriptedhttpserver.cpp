#include "scriptedhttpserver.h"

#include <QTcpSocket>

namespace Tolvan::Test {

QByteArray ScriptedHttpServer::Recorded::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

ScriptedHttpServer::ScriptedHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

QUrl ScriptedHttpServer::baseURL() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
}

void ScriptedHttpServer::enqueue(Reply reply)
{
    m_script.append(std::move(reply));
}

void ScriptedHttpServer::serve(QTcpSocket *socket)
{
    // Wait until the head and the whole body (by Content-Length) have arrived.
    QByteArray buffered = socket->property("buffered").toByteArray() + socket->readAll();
    socket->setProperty("buffered", buffered);
    const qsizetype headEnd = buffered.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        return;
    }
    Recorded request;
    const QList<QByteArray> lines = buffered.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            request.headers.append(
                {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
    }
    const qsizetype length = request.header("Content-Length").toLongLong();
    if (buffered.size() - headEnd - 4 < length) {
        return;
    }
    request.body = buffered.mid(headEnd + 4, length);
    socket->setProperty("buffered", QByteArray());
    m_requests.append(request);

    const Reply reply = m_script.isEmpty() ? Reply{.status = 500} : m_script.takeFirst();
    Q_EMIT requestReceived();
    if (reply.hold) {
        return;
    }
    if (reply.drop) {
        socket->abort();
        return;
    }
    // Clients read the status code; the reason phrase is only for people.
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\n";
    answer += "Content-Type: application/json\r\n";
    answer += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    answer += "Connection: close\r\n\r\n";
    answer += reply.body;
    socket->write(answer);
    socket->disconnectFromHost();
}

} // namespace Tolvan::Test
