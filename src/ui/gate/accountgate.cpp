#include "accountgate.h"

#include "tolvanapp.h"

namespace Tolvan {

AccountGate::AccountGate(QObject *parent)
    : QObject(parent)
    , m_auth(&TolvanApp::instance()->auth())
    , m_billing(&TolvanApp::instance()->billing())
{
    connect(m_auth, &AuthStore::phaseChanged, this, [this] {
        if (m_auth->phase() == AuthStore::Phase::Authenticated) {
            signIn();
        }
    });
}

void AccountGate::setWindow(QQuickWindow *window)
{
    if (window == m_window) {
        return;
    }
    if (m_window) {
        disconnect(m_window, nullptr, this, nullptr);
    }
    m_window = window;
    Q_EMIT windowChanged();
    if (!m_window) {
        return;
    }
    connect(m_window, &QWindow::activeChanged, this, [this] {
        // The first appearance restores; later activations refresh.
        if (m_window->isActive() && m_hasAppeared) {
            becomeActive();
        }
    });
    if (!m_hasAppeared) {
        m_hasAppeared = true;
        appear();
    }
}

QCoro::Task<> AccountGate::appear()
{
    QPointer<BillingStore> billing = m_billing;
    co_await m_auth->handleWindowActivation();
    if (billing) {
        co_await billing->load(false);
    }
}

QCoro::Task<> AccountGate::becomeActive()
{
    QPointer<BillingStore> billing = m_billing;
    co_await m_auth->handleWindowActivation();
    if (billing) {
        co_await billing->refresh();
    }
}

QCoro::Task<> AccountGate::signIn()
{
    co_await m_billing->load(false);
}

} // namespace Tolvan
