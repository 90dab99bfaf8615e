#pragma once

#include <QString>

#include <optional>

namespace Tolvan {

// Opening the application at login, through the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/app.tolvan.Tolvan.desktop: written to register,
// removed to unregister. The entry starts the app in the tray only.
class LoginItemService {
public:
    // The user's own autostart entry.
    LoginItemService();
    // Another entry file, for tests and tools that must not touch the user's own.
    explicit LoginItemService(QString entryFilePath);

    static QString defaultEntryFilePath();
    QString entryFilePath() const { return m_entryFilePath; }

    // Registered when the entry exists and the user has not hidden it
    // (Hidden=true, as desktop settings tools write to switch an entry off).
    bool isEnabled() const;

    // Each answers the failure's description, or none on success.
    std::optional<QString> registerApplication() const;
    // An entry that is already gone counts as unregistered.
    std::optional<QString> unregisterApplication() const;

private:
    QString m_entryFilePath;
};

} // namespace Tolvan
