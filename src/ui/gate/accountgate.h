#pragma once

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

class AuthStore;
class BillingStore;

// Wakes the session where the main window's root sees it: when the window
// first appears (restoring the saved session), whenever it becomes active
// again, and when the account turns signed in; each time the subscription
// follows.
class AccountGate : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickWindow *window READ window WRITE setWindow NOTIFY windowChanged)

public:
    explicit AccountGate(QObject *parent = nullptr);

    QQuickWindow *window() const { return m_window; }
    void setWindow(QQuickWindow *window);

Q_SIGNALS:
    void windowChanged();

private:
    QCoro::Task<> appear();
    QCoro::Task<> becomeActive();
    QCoro::Task<> signIn();

    QPointer<AuthStore> m_auth;
    QPointer<BillingStore> m_billing;
    QPointer<QQuickWindow> m_window;
    bool m_hasAppeared = false;
};

} // namespace Tolvan
