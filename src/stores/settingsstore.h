#pragma once

#include "loginitemservice.h"
#include "wireenums.h"

#include <QObject>
#include <QString>

#include <optional>

namespace Tolvan {

class ApplicationAppearance;
class UserPreferences;

// The state behind the Settings screen: the appearance, which it stores and
// applies to the whole application, and launch at login, which it reads from
// and writes to the login-item service. Confined to the main thread.
//
// A preview store (isPreview) is inert: it never touches the preferences, the
// application's appearance or the login-item service.
class SettingsStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(Tolvan::AppAppearance appearance READ appearance WRITE setAppearance NOTIFY
                   appearanceChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool requiresLoginApproval READ requiresLoginApproval CONSTANT)
    Q_PROPERTY(bool isUpdatingLoginItem READ isUpdatingLoginItem NOTIFY isUpdatingLoginItemChanged)
    Q_PROPERTY(QString loginItemMessage READ loginItemMessageText NOTIFY loginItemMessageChanged)
    Q_PROPERTY(bool hasLoginItemMessage READ hasLoginItemMessage NOTIFY loginItemMessageChanged)
    Q_PROPERTY(bool isPreview READ isPreview CONSTANT)

public:
    // `appearance` may be absent where nothing is drawn (the command-line
    // client); the choice is then only stored. Both must outlive the store.
    SettingsStore(UserPreferences &preferences, bool isPreview,
                  ApplicationAppearance *appearance = nullptr,
                  LoginItemService loginItems = LoginItemService(), QObject *parent = nullptr);

    AppAppearance appearance() const { return m_appearance; }
    // Stores and applies the appearance on every call, also of the value
    // already held; observers hear only of a change.
    void setAppearance(AppAppearance appearance);

    bool launchAtLogin() const { return m_launchAtLogin; }
    // An autostart entry needs no approval on this desktop.
    bool requiresLoginApproval() const { return false; }
    bool isUpdatingLoginItem() const { return m_isUpdatingLoginItem; }
    std::optional<QString> loginItemMessage() const { return m_loginItemMessage; }
    QString loginItemMessageText() const { return m_loginItemMessage.value_or(QString()); }
    bool hasLoginItemMessage() const { return m_loginItemMessage.has_value(); }
    bool isPreview() const { return m_isPreview; }

    // Reads whether the application is registered to open at login.
    Q_INVOKABLE void refreshLoginItemStatus();
    // Registers or unregisters the application; the switch then shows the
    // status read back, never the wish. Ignored while a change is running.
    Q_INVOKABLE void setLaunchAtLogin(bool enabled);

Q_SIGNALS:
    void appearanceChanged();
    void launchAtLoginChanged();
    void isUpdatingLoginItemChanged();
    void loginItemMessageChanged();

private:
    void setLaunchAtLoginValue(bool launchAtLogin);
    void setIsUpdatingLoginItem(bool isUpdatingLoginItem);
    void setLoginItemMessage(const std::optional<QString> &message);

    AppAppearance m_appearance = AppAppearance::System;
    bool m_launchAtLogin = false;
    bool m_isUpdatingLoginItem = false;
    std::optional<QString> m_loginItemMessage;
    UserPreferences &m_preferences;
    bool m_isPreview;
    ApplicationAppearance *m_applicationAppearance;
    LoginItemService m_loginItems;
};

} // namespace Tolvan
