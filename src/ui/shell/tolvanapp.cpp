#include "tolvanapp.h"

#include "apiclient.h"

#include <QCoreApplication>
#include <QTimer>

namespace Tolvan {

namespace {

TolvanApp *s_instance = nullptr;

// How long a clipboard request waits for its window to be active, which is
// when a Wayland desktop lets the app read the clipboard.
constexpr int activationWaitMs = 2000;

} // namespace

TolvanApp::TolvanApp(const QUrl &baseURL, std::shared_ptr<CredentialStorageProtocol> storage,
                     QObject *parent)
    : QObject(parent)
    , m_theme(m_appearance)
    , m_client(std::make_shared<APIClient>(baseURL))
    , m_urlOpener(std::make_shared<DesktopURLOpener>())
    , m_activator([this] { return m_keys.lastEventTime(); })
    , m_auth(m_client, std::move(storage))
    , m_billing(&m_auth, m_urlOpener, m_client)
    , m_history(&m_auth, m_client)
    , m_translation(&m_auth, m_client, &m_preferences)
    , m_writing(&m_auth, m_client)
    , m_copyShortcut(
          m_preferences, true,
          GlobalCopyShortcut::Platform{m_keys, m_clipboard, m_clock, m_prompt, m_activator})
    , m_settings(m_preferences, false, &m_appearance)
    , m_scenes(m_copyShortcut, m_activator, [this] { closeMainWindowContent(); })
{
    Q_ASSERT(!s_instance);
    s_instance = this;
    m_appearance.watchDesktop();
    m_copyShortcut.setOpenWindow([this] { m_scenes.openMainWindow(); });
    connect(&m_tray, &TrayMenu::openRequested, &m_scenes, &WindowScenes::openMainWindow);
    connect(&m_tray, &TrayMenu::settingsRequested, &m_scenes, &WindowScenes::openSettingsWindow);
    connect(&m_tray, &TrayMenu::quitRequested, qApp, &QCoreApplication::quit);
}

TolvanApp::~TolvanApp()
{
    s_instance = nullptr;
}

TolvanApp *TolvanApp::instance()
{
    return s_instance;
}

void TolvanApp::showTrayIcon()
{
    m_tray.show();
}

void TolvanApp::handleRequest(const InstanceRequest &request)
{
    m_activator.setActivationToken(request.activationToken);
    switch (request.action) {
    case InstanceRequest::Action::Open:
        m_scenes.openMainWindow();
        break;
    case InstanceRequest::Action::OpenInBackground:
        break;
    case InstanceRequest::Action::OpenSettings:
        m_scenes.openSettingsWindow();
        break;
    case InstanceRequest::Action::Quit:
        QCoreApplication::quit();
        break;
    case InstanceRequest::Action::TranslateClipboard:
        handleClipboardRequest(Workspace::Translate, request.activationToken);
        break;
    case InstanceRequest::Action::ImproveClipboard:
        handleClipboardRequest(Workspace::Write, request.activationToken);
        break;
    }
}

void TolvanApp::handleClipboardRequest(Workspace workspace, const QString &activationToken)
{
    m_activator.setActivationToken(activationToken);
    m_scenes.openMainWindow();
    QQuickWindow *window = m_scenes.mainWindow();
    if (!window) {
        return;
    }
    const auto publish = [this, workspace] { m_copyShortcut.publishClipboardRequest(workspace); };
    if (window->isActive()) {
        publish();
        return;
    }
    // Once, at the activation or when the wait is over, whichever comes first.
    auto *waiter = new QObject(window);
    connect(window, &QWindow::activeChanged, waiter, [waiter, window, publish] {
        if (window->isActive()) {
            delete waiter;
            publish();
        }
    });
    QTimer::singleShot(activationWaitMs, waiter, [waiter, publish] {
        delete waiter;
        publish();
    });
}

void TolvanApp::closeMainWindowContent()
{
    m_translation.cancelRequest(true);
    m_translation.setText(QString());
    m_writing.cancelRequest(true);
    m_writing.setText(QString());
    m_copyShortcut.clearShortcutSessionText();
}

} // namespace Tolvan
