#pragma once

#include "instancerequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace Tolvan {

// The clipboard shortcuts as the desktop's own, where the XDG desktop portal
// offers GlobalShortcuts (the Wayland desktops): the user binds them once in
// the desktop's settings, and each press arrives as the request that
// `tolvan --translate-clipboard` or `--improve-clipboard` makes.
class GlobalShortcutsPortal : public QObject {
    Q_OBJECT

public:
    explicit GlobalShortcutsPortal(QObject *parent = nullptr);

    // Opens a portal session and binds both shortcuts; without the portal,
    // nothing happens and the launcher's actions remain the way.
    void bind();

signals:
    void requested(const InstanceRequest &request);

private slots:
    void versionRead(const QDBusMessage &reply);
    void sessionCreated(uint response, const QVariantMap &results);
    void shortcutsBound(uint response, const QVariantMap &results);
    void activated(const QDBusObjectPath &session, const QString &shortcutID, qulonglong timestamp,
                   const QVariantMap &options);

private:
    // Listens for the answer to the next request before making it, so that
    // a quick answer is not missed.
    QString awaitResponse(const char *slot);
    void stopAwaiting();
    void call(const QString &method, const QVariantList &arguments);

    QString m_requestPath;
    const char *m_responseSlot = nullptr;
    QString m_sessionPath;
    int m_tokenCount = 0;
};

} // namespace Tolvan
