#pragma once

#include "instancerequest.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace Tolvan {

// One Tolvan per user session: the first start listens on a local socket in
// the user's runtime folder; a later start hands its request to it and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Primary, Forwarded, Failed };

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);

    // $XDG_RUNTIME_DIR/app.tolvan.Tolvan, so separate runtime folders
    // (separate sessions, separate test runs) never meet.
    static QString defaultSocketPath();

    // Hands `request` to a running instance, or becomes the running one. A
    // socket left by a crashed instance is removed, not a reason to refuse.
    // Runs before the event loop starts; waits at most a few seconds.
    Outcome claimOrForward(const InstanceRequest &request, QString *error);

    // Hands `request` to a running instance; false when none answers. Needs
    // no display, so it can run before the GUI starts.
    static bool forward(const QString &socketPath, const InstanceRequest &request);

Q_SIGNALS:
    void requestReceived(const Tolvan::InstanceRequest &request);

private:
    void acceptConnection();

    QString m_socketPath;
    QLocalServer m_server;
};

} // namespace Tolvan
