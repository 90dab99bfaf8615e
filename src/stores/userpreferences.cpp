#include "userpreferences.h"

#include <QStandardPaths>

namespace Tolvan {

namespace {

const QString workspaceKey = QStringLiteral("preferences.workspace");
const QString appearanceKey = QStringLiteral("preferences.appearance");
const QString doubleCopyEnabledKey = QStringLiteral("preferences.doubleCopyEnabled");
const QString sourceLanguageCodeKey = QStringLiteral("preferences.sourceLanguageCode");
const QString targetLanguageCodeKey = QStringLiteral("preferences.targetLanguageCode");

// The stored words are lower case, unlike the workspace raw values.
const QString translateWord = QStringLiteral("translate");
const QString writeWord = QStringLiteral("write");

} // namespace

UserPreferences::UserPreferences()
    : UserPreferences(defaultSettingsFilePath())
{
}

UserPreferences::UserPreferences(const QString &settingsFilePath)
    : m_settings(settingsFilePath, QSettings::IniFormat)
{
}

QString UserPreferences::defaultSettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tolvan/tolvan.conf");
}

QString UserPreferences::settingsFilePath() const
{
    return m_settings.fileName();
}

Workspace UserPreferences::lastWorkspace() const
{
    return m_settings.value(workspaceKey).toString() == writeWord ? Workspace::Write
                                                                  : Workspace::Translate;
}

void UserPreferences::setLastWorkspace(Workspace workspace)
{
    switch (workspace) {
    case Workspace::Translate:
        m_settings.setValue(workspaceKey, translateWord);
        break;
    case Workspace::Write:
        m_settings.setValue(workspaceKey, writeWord);
        break;
    case Workspace::History:
        break;
    }
}

AppAppearance UserPreferences::storedAppearance() const
{
    return fromRawValue<AppAppearance>(m_settings.value(appearanceKey).toString())
        .value_or(AppAppearance::System);
}

void UserPreferences::setStoredAppearance(AppAppearance appearance)
{
    m_settings.setValue(appearanceKey, rawValue(appearance));
}

bool UserPreferences::isDoubleCopyEnabled() const
{
    // The INI file holds text; only a written true reads as true.
    return m_settings.value(doubleCopyEnabledKey).toString() == QLatin1String("true");
}

void UserPreferences::setDoubleCopyEnabled(bool enabled)
{
    m_settings.setValue(doubleCopyEnabledKey, enabled);
}

std::optional<QString> UserPreferences::sourceLanguageCode() const
{
    return languageCode(sourceLanguageCodeKey);
}

void UserPreferences::setSourceLanguageCode(const std::optional<QString> &code)
{
    setLanguageCode(sourceLanguageCodeKey, code);
}

std::optional<QString> UserPreferences::targetLanguageCode() const
{
    return languageCode(targetLanguageCodeKey);
}

void UserPreferences::setTargetLanguageCode(const std::optional<QString> &code)
{
    setLanguageCode(targetLanguageCodeKey, code);
}

std::optional<QString> UserPreferences::languageCode(const QString &key) const
{
    const QVariant stored = m_settings.value(key);
    // A list (a value with commas in the INI file) is no language code.
    if (stored.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    QString code = stored.toString();
    if (code.isEmpty()) {
        return std::nullopt;
    }
    return code;
}

void UserPreferences::setLanguageCode(const QString &key, const std::optional<QString> &code)
{
    if (code) {
        m_settings.setValue(key, *code);
    } else {
        m_settings.remove(key);
    }
}

} // namespace Tolvan
