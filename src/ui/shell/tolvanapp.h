#pragma once

#include "authstore.h"
#include "billingstore.h"
#include "desktopappearance.h"
#include "desktopurlopener.h"
#include "dialogconfirmationprompt.h"
#include "globalcopyshortcut.h"
#include "historystore.h"
#include "instancerequest.h"
#include "settingsstore.h"
#include "systemclipboard.h"
#include "systemclock.h"
#include "theme.h"
#include "translationstore.h"
#include "traymenu.h"
#include "userpreferences.h"
#include "windowscenes.h"
#include "writingstore.h"
#include "x11keysource.h"
#include "x11windowactivator.h"

#include <QObject>
#include <QUrl>

#include <memory>

namespace Tolvan {

// The application shell: it makes every long-lived object once, in a fixed
// order, wires them together and owns them for the process's life. QML
// reaches each store through a singleton that answers this instance's.
class TolvanApp : public QObject {
    Q_OBJECT

public:
    TolvanApp(const QUrl &baseURL, std::shared_ptr<CredentialStorageProtocol> storage,
              QObject *parent = nullptr);
    ~TolvanApp() override;

    // The one instance, while it lives.
    static TolvanApp *instance();

    AuthStore &auth() { return m_auth; }
    UserPreferences &preferences() { return m_preferences; }
    BillingStore &billing() { return m_billing; }
    HistoryStore &history() { return m_history; }
    TranslationStore &translation() { return m_translation; }
    WritingStore &writing() { return m_writing; }
    GlobalCopyShortcut &copyShortcut() { return m_copyShortcut; }
    SettingsStore &settings() { return m_settings; }
    Theme &theme() { return m_theme; }
    WindowScenes &scenes() { return m_scenes; }

    // The tray icon, once the first window is drawn: the first frame does
    // not wait for it.
    void showTrayIcon();
    // A request from the command line of this start or of a later one.
    void handleRequest(const InstanceRequest &request);
    // The clipboard published as a double copy for `workspace` (the path
    // where no global keyboard watch exists), after the window is active.
    void handleClipboardRequest(Workspace workspace, const QString &activationToken);

private:
    void closeMainWindowContent();

    // Platform services first: the stores and the shortcut hold references.
    DesktopAppearance m_appearance;
    Theme m_theme;
    std::shared_ptr<APIClientProtocol> m_client;
    std::shared_ptr<DesktopURLOpener> m_urlOpener;
    SystemClock m_clock;
    X11KeySource m_keys;
    SystemClipboard m_clipboard;
    DialogConfirmationPrompt m_prompt;
    X11WindowActivator m_activator;

    AuthStore m_auth;
    UserPreferences m_preferences;
    BillingStore m_billing;
    HistoryStore m_history;
    TranslationStore m_translation;
    WritingStore m_writing;
    GlobalCopyShortcut m_copyShortcut;
    SettingsStore m_settings;

    WindowScenes m_scenes;
    TrayMenu m_tray;
};

} // namespace Tolvan
