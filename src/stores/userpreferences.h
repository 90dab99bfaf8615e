#pragma once

#include "wireenums.h"

#include <QSettings>
#include <QString>

#include <optional>

namespace Tolvan {

// The user's choices kept between launches, in one INI file. It fixes each
// preference's key, value type and default; a stored value that cannot be
// read yields the default, and nothing is reported.
class UserPreferences {
public:
    // The user's own file, $XDG_CONFIG_HOME/tolvan/tolvan.conf.
    UserPreferences();
    // Another file, for tests and tools that must not touch the user's own.
    explicit UserPreferences(const QString &settingsFilePath);

    Q_DISABLE_COPY_MOVE(UserPreferences)

    static QString defaultSettingsFilePath();
    QString settingsFilePath() const;

    // Translate or write only: "write" reads as write, anything else as translate.
    Workspace lastWorkspace() const;
    // History is never stored; the preference keeps the last editing workspace.
    void setLastWorkspace(Workspace workspace);

    AppAppearance storedAppearance() const;
    void setStoredAppearance(AppAppearance appearance);

    bool isDoubleCopyEnabled() const;
    void setDoubleCopyEnabled(bool enabled);

    // None removes the key.
    std::optional<QString> sourceLanguageCode() const;
    void setSourceLanguageCode(const std::optional<QString> &code);
    std::optional<QString> targetLanguageCode() const;
    void setTargetLanguageCode(const std::optional<QString> &code);

private:
    std::optional<QString> languageCode(const QString &key) const;
    void setLanguageCode(const QString &key, const std::optional<QString> &code);

    QSettings m_settings;
};

} // namespace Tolvan
