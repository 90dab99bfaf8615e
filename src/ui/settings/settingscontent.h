#pragma once

#include "authstore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

class BillingStore;
class GlobalCopyShortcut;
class SettingsStore;

// What the Settings window shows beyond the stores' own values: the account
// card's texts and action, the double-copy status block. It also keeps the
// launch-at-login status and the subscription fresh: when the window appears
// and whenever the app becomes active again. Shown before any main window,
// it restores the saved session itself.
class SettingsContent : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString accountTitle READ accountTitle NOTIFY accountChanged)
    Q_PROPERTY(QString accountDetail READ accountDetail NOTIFY accountChanged)
    Q_PROPERTY(AccountAction accountAction READ accountAction NOTIFY accountChanged)
    Q_PROPERTY(QString accountActionTitle READ accountActionTitle NOTIFY accountChanged)
    Q_PROPERTY(QString accountActionSymbol READ accountActionSymbol NOTIFY accountChanged)
    Q_PROPERTY(bool showsRecoveryActions READ showsRecoveryActions NOTIFY accountChanged)
    Q_PROPERTY(bool showsDoubleCopyStatus READ showsDoubleCopyStatus NOTIFY doubleCopyChanged)
    Q_PROPERTY(QString doubleCopyStatusTitle READ doubleCopyStatusTitle NOTIFY doubleCopyChanged)
    Q_PROPERTY(QString doubleCopyStatusDetail READ doubleCopyStatusDetail NOTIFY doubleCopyChanged)

public:
    // The one button of the account card.
    enum class AccountAction { None, SignOut, SignIn };
    Q_ENUM(AccountAction)

    struct DoubleCopyStatus {
        bool isShown = false;
        QString title;
        QString detail;
    };

    // Follows the running app's stores and refreshes them at once.
    explicit SettingsContent(QObject *parent = nullptr);

    QString accountTitle() const;
    QString accountDetail() const;
    AccountAction accountAction() const;
    // The button's title and symbol; empty without a button.
    QString accountActionTitle() const;
    QString accountActionSymbol() const;
    bool showsRecoveryActions() const;
    bool showsDoubleCopyStatus() const { return doubleCopyStatus().isShown; }
    QString doubleCopyStatusTitle() const { return doubleCopyStatus().title; }
    QString doubleCopyStatusDetail() const { return doubleCopyStatus().detail; }

    static QString accountTitle(AuthStore::Phase phase, bool isBusy);
    static AccountAction accountAction(AuthStore::Phase phase, bool hasSession);
    // Shown while the feature is on and the keyboard watch does not run.
    static DoubleCopyStatus doubleCopyStatus(bool isEnabled, bool hasPermission, bool isMonitoring);

    // The account card's button and the recovery actions.
    Q_INVOKABLE void runAccountAction();
    Q_INVOKABLE void retrySession();
    Q_INVOKABLE void openMainWindow();

Q_SIGNALS:
    void accountChanged();
    void doubleCopyChanged();

private:
    DoubleCopyStatus doubleCopyStatus() const;
    void refresh(bool appeared);

    QPointer<AuthStore> m_auth;
    QPointer<BillingStore> m_billing;
    QPointer<GlobalCopyShortcut> m_shortcut;
    QPointer<SettingsStore> m_settings;
};

} // namespace Tolvan
