#include "settingscontent.h"

#include "billingstore.h"
#include "globalcopyshortcut.h"
#include "settingsstore.h"
#include "tolvanapp.h"

#include <QGuiApplication>

namespace Tolvan {

SettingsContent::SettingsContent(QObject *parent)
    : QObject(parent)
    , m_auth(&TolvanApp::instance()->auth())
    , m_billing(&TolvanApp::instance()->billing())
    , m_shortcut(&TolvanApp::instance()->copyShortcut())
    , m_settings(&TolvanApp::instance()->settings())
{
    for (const auto signal :
         {&AuthStore::phaseChanged, &AuthStore::isBusyChanged, &AuthStore::sessionChanged}) {
        connect(m_auth, signal, this, &SettingsContent::accountChanged);
    }
    for (const auto signal :
         {&GlobalCopyShortcut::isEnabledChanged, &GlobalCopyShortcut::hasPermissionChanged,
          &GlobalCopyShortcut::isMonitoringChanged}) {
        connect(m_shortcut, signal, this, &SettingsContent::doubleCopyChanged);
    }
    // Opened with no main window (a start in the tray), the window itself
    // restores the saved session, and the subscription follows the sign-in.
    connect(m_auth, &AuthStore::phaseChanged, this, [this] {
        if (m_auth->phase() == AuthStore::Phase::Authenticated) {
            m_billing->startLoad(false);
        }
    });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    refresh(false);
                }
            });
    refresh(true);
}

QString SettingsContent::accountTitle() const
{
    return accountTitle(m_auth->phase(), m_auth->isBusy());
}

QString SettingsContent::accountDetail() const
{
    return m_auth->hasSession() ? m_auth->email() : QStringLiteral("Not signed in");
}

SettingsContent::AccountAction SettingsContent::accountAction() const
{
    return accountAction(m_auth->phase(), m_auth->hasSession());
}

QString SettingsContent::accountActionTitle() const
{
    switch (accountAction()) {
    case AccountAction::SignOut:
        return QStringLiteral("Sign out");
    case AccountAction::SignIn:
        return QStringLiteral("Sign in");
    case AccountAction::None:
        break;
    }
    return {};
}

QString SettingsContent::accountActionSymbol() const
{
    switch (accountAction()) {
    case AccountAction::SignOut:
        return QStringLiteral("rectangle.portrait.and.arrow.right");
    case AccountAction::SignIn:
        return QStringLiteral("person.crop.circle");
    case AccountAction::None:
        break;
    }
    return {};
}

bool SettingsContent::showsRecoveryActions() const
{
    return m_auth->phase() == AuthStore::Phase::Recovery;
}

QString SettingsContent::accountTitle(AuthStore::Phase phase, bool isBusy)
{
    if (isBusy) {
        return QStringLiteral("Please wait…");
    }
    switch (phase) {
    case AuthStore::Phase::Restoring:
        return QStringLiteral("Restoring your session…");
    case AuthStore::Phase::SignedOut:
        return QStringLiteral("Sign in to translate and improve text");
    case AuthStore::Phase::Authenticated:
        return QStringLiteral("Signed in");
    case AuthStore::Phase::Recovery:
        return QStringLiteral("Account needs attention");
    }
    return {};
}

SettingsContent::AccountAction SettingsContent::accountAction(AuthStore::Phase phase,
                                                              bool hasSession)
{
    if (hasSession) {
        return AccountAction::SignOut;
    }
    return phase == AuthStore::Phase::SignedOut ? AccountAction::SignIn : AccountAction::None;
}

SettingsContent::DoubleCopyStatus
SettingsContent::doubleCopyStatus(bool isEnabled, bool hasPermission, bool isMonitoring)
{
    if (!isEnabled || isMonitoring) {
        return {};
    }
    if (hasPermission) {
        return {true, QStringLiteral("The shortcut could not start"),
                QStringLiteral("Try turning the shortcut off and on again.")};
    }
    return {true, QStringLiteral("The shortcut is not available in this session"),
            QStringLiteral("Ctrl+C, Ctrl+C needs an X11 session. In a Wayland session, open\n"
                           "Tolvan from the tray menu or by running tolvan again.")};
}

void SettingsContent::runAccountAction()
{
    switch (accountAction()) {
    case AccountAction::SignOut:
        m_auth->startSignOut();
        break;
    case AccountAction::SignIn:
        openMainWindow();
        break;
    case AccountAction::None:
        break;
    }
}

void SettingsContent::retrySession()
{
    m_auth->startRetry();
}

void SettingsContent::openMainWindow()
{
    TolvanApp::instance()->scenes().openMainWindow();
}

SettingsContent::DoubleCopyStatus SettingsContent::doubleCopyStatus() const
{
    return doubleCopyStatus(m_shortcut->isEnabled(), m_shortcut->hasPermission(),
                            m_shortcut->isMonitoring());
}

void SettingsContent::refresh(bool appeared)
{
    if (appeared && m_auth->phase() == AuthStore::Phase::Restoring) {
        m_auth->startWindowActivation();
    }
    m_settings->refreshLoginItemStatus();
    if (appeared) {
        m_billing->startLoad(false);
    } else {
        m_billing->startRefresh();
    }
}

} // namespace Tolvan
