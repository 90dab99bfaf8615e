#include "singleinstance.h"

#include <QDir>
#include <QLocalSocket>

namespace Tolvan {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int answerTimeoutMs = 5000;
constexpr char acknowledgement[] = "ok\n";
constexpr qint64 maximumRequestBytes = 4096;

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

QString SingleInstance::defaultSocketPath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QDir(folder).filePath(QStringLiteral("app.tolvan.Tolvan"));
}

SingleInstance::Outcome SingleInstance::claimOrForward(const InstanceRequest &request,
                                                       QString *error)
{
    // Twice: another start may win the race to listen between our two steps.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (forward(m_socketPath, request)) {
            return Outcome::Forwarded;
        }
        // Nobody answers: whatever is left at the path is stale.
        QLocalServer::removeServer(m_socketPath);
        if (m_server.listen(m_socketPath)) {
            return Outcome::Primary;
        }
    }
    if (error) {
        *error = tr("Tolvan could not listen on %1: %2").arg(m_socketPath, m_server.errorString());
    }
    return Outcome::Failed;
}

bool SingleInstance::forward(const QString &socketPath, const InstanceRequest &request)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    socket.write(request.encoded());
    if (!socket.waitForBytesWritten(answerTimeoutMs)) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(answerTimeoutMs)) {
            return false;
        }
    }
    return socket.readLine() == acknowledgement;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A request is one short line; anything longer is not ours.
                if (socket->bytesAvailable() > maximumRequestBytes) {
                    socket->abort();
                }
                return;
            }
            const auto request = InstanceRequest::decode(socket->readLine());
            socket->write(request ? acknowledgement : "refused\n");
            socket->disconnectFromServer();
            if (request) {
                Q_EMIT requestReceived(*request);
            }
        });
    }
}

} // namespace Tolvan
