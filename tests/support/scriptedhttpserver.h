#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QUrl>

namespace Tolvan::Test {

// A loopback HTTP/1.1 server that answers from a script and records every
// request as it arrived: method, target, headers in order, body.
class ScriptedHttpServer : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        // Close the connection without answering (a transport failure).
        bool drop = false;
        // Never answer (for cancellation and time-out tests).
        bool hold = false;
    };
    struct Recorded {
        QByteArray method;
        QByteArray target;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray header(const QByteArray &name) const;
    };

    ScriptedHttpServer();

    QUrl baseURL() const;
    // Answers for the next requests, in order; once used up, every request gets 500.
    void enqueue(Reply reply);
    const QList<Recorded> &requests() const { return m_requests; }

Q_SIGNALS:
    void requestReceived();

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    QList<Reply> m_script;
    QList<Recorded> m_requests;
};

} // namespace Tolvan::Test
