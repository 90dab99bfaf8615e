#include "settingsstore.h"

#include "applicationappearance.h"
#include "propertyassignment.h"
#include "userpreferences.h"

namespace Tolvan {

SettingsStore::SettingsStore(UserPreferences &preferences, bool isPreview,
                             ApplicationAppearance *appearance, LoginItemService loginItems,
                             QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_isPreview(isPreview)
    , m_applicationAppearance(appearance)
    , m_loginItems(std::move(loginItems))
{
    if (m_isPreview) {
        return;
    }
    // Applied without writing it back: the stored value stays as it was, even
    // one that reads as the default.
    m_appearance = m_preferences.storedAppearance();
    if (m_applicationAppearance) {
        m_applicationAppearance->apply(m_appearance);
    }
    refreshLoginItemStatus();
}

void SettingsStore::setAppearance(AppAppearance appearance)
{
    const bool changed = appearance != m_appearance;
    m_appearance = appearance;
    if (!m_isPreview) {
        m_preferences.setStoredAppearance(appearance);
        if (m_applicationAppearance) {
            m_applicationAppearance->apply(appearance);
        }
    }
    if (changed) {
        Q_EMIT appearanceChanged();
    }
}

void SettingsStore::refreshLoginItemStatus()
{
    if (m_isPreview) {
        return;
    }
    setLaunchAtLoginValue(m_loginItems.isEnabled());
}

void SettingsStore::setLaunchAtLogin(bool enabled)
{
    if (m_isUpdatingLoginItem) {
        return;
    }
    if (m_isPreview) {
        setLaunchAtLoginValue(enabled);
        return;
    }
    setIsUpdatingLoginItem(true);
    setLoginItemMessage(std::nullopt);
    const std::optional<QString> failure =
        enabled ? m_loginItems.registerApplication() : m_loginItems.unregisterApplication();
    if (failure) {
        setLoginItemMessage(QStringLiteral("Could not change launch at login. ") + *failure);
    }
    refreshLoginItemStatus();
    setIsUpdatingLoginItem(false);
}

void SettingsStore::setLaunchAtLoginValue(bool launchAtLogin)
{
    assignProperty(this, m_launchAtLogin, launchAtLogin, &SettingsStore::launchAtLoginChanged);
}

void SettingsStore::setIsUpdatingLoginItem(bool isUpdatingLoginItem)
{
    assignProperty(this, m_isUpdatingLoginItem, isUpdatingLoginItem,
                   &SettingsStore::isUpdatingLoginItemChanged);
}

void SettingsStore::setLoginItemMessage(const std::optional<QString> &message)
{
    assignProperty(this, m_loginItemMessage, message, &SettingsStore::loginItemMessageChanged);
}

} // namespace Tolvan
