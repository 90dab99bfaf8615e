#include "globalcopyshortcut.h"

#include "clipboardsource.h"
#include "confirmationprompt.h"
#include "keyeventsource.h"
#include "userpreferences.h"
#include "windowraiser.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace Tolvan {

namespace {

ConfirmationPrompt::Request enableRequest()
{
    return {
        .message = QStringLiteral("Enable Ctrl+C, Ctrl+C"),
        .informativeText = QStringLiteral(
            "Press Ctrl+C twice quickly in another app to open Tolvan, paste into your "
            "last-used workspace, and automatically translate or improve the text. Both "
            "presses still copy normally."),
        .confirmButton = QStringLiteral("Enable"),
        .cancelButton = QStringLiteral("Cancel"),
    };
}

// The text as copied, surrounding white space included, unless nothing but
// white space was copied.
std::optional<QString> usableText(const std::optional<QString> &clipboardText)
{
    if (!clipboardText || clipboardText->trimmed().isEmpty()) {
        return std::nullopt;
    }
    return clipboardText;
}

QVariant optionalValue(const std::optional<QString> &text)
{
    return text ? QVariant(*text) : QVariant();
}

} // namespace

GlobalCopyShortcut::GlobalCopyShortcut(UserPreferences &preferences, bool startsMonitoring,
                                       Platform platform, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_platform(platform)
    , m_startsMonitoring(startsMonitoring)
{
    if (!startsMonitoring) {
        return;
    }
    m_isEnabled = m_preferences.isDoubleCopyEnabled();

    connect(&m_platform.keys, &KeyEventSource::keyEvent, this, &GlobalCopyShortcut::handleKeyEvent);
    connect(&m_platform.keys, &KeyEventSource::activeApplicationChanged, this,
            &GlobalCopyShortcut::sourceApplicationChanged);
    connect(&m_platform.keys, &KeyEventSource::interrupted, this,
            &GlobalCopyShortcut::handleInterruption);
    connect(&m_platform.clipboard, &ClipboardSource::changed, this,
            &GlobalCopyShortcut::noteClipboardChange);
    if (qGuiApp) {
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive) {
                        refreshPermission();
                    }
                });
    }
    if (QCoreApplication::instance()) {
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &GlobalCopyShortcut::stop);
    }
    refreshPermission();
}

GlobalCopyShortcut::~GlobalCopyShortcut()
{
    // A waiting hand-off wakes, finds the shortcut gone and ends.
    cancelPasteTask();
    if (m_isMonitoring) {
        m_platform.keys.stop();
    }
}

void GlobalCopyShortcut::setWindow(QWindow *window)
{
    m_window = window;
}

void GlobalCopyShortcut::setOpenWindow(std::function<void()> openWindow)
{
    m_openWindow = std::move(openWindow);
}

std::optional<QString> GlobalCopyShortcut::takePendingText()
{
    std::optional<QString> text = m_pendingText;
    setPendingText(std::nullopt);
    setHasPendingRequest(false);
    return text;
}

void GlobalCopyShortcut::toggle()
{
    // While the dialog is open the switch is already being turned on.
    if (!m_startsMonitoring || m_isConfirming) {
        return;
    }
    if (m_isEnabled) {
        setIsEnabled(false);
        stop();
        m_preferences.setDoubleCopyEnabled(false);
        return;
    }
    confirmAndEnable();
}

QCoro::Task<> GlobalCopyShortcut::confirmAndEnable()
{
    QPointer<GlobalCopyShortcut> self(this);
    m_isConfirming = true;
    const bool confirmed = co_await m_platform.prompt.confirm(enableRequest());
    if (!self) {
        co_return;
    }
    self->m_isConfirming = false;
    if (!confirmed) {
        co_return;
    }
    self->setIsEnabled(true);
    self->refreshPermission();
    self->m_preferences.setDoubleCopyEnabled(true);
}

void GlobalCopyShortcut::clearShortcutSessionText()
{
    setShortcutSessionText(std::nullopt);
    setPendingText(std::nullopt);
    setHasPendingRequest(false);
}

void GlobalCopyShortcut::refreshPermission()
{
    if (!m_startsMonitoring) {
        return;
    }
    setHasPermission(m_platform.keys.isAvailable());
    if (!m_isEnabled || !m_hasPermission) {
        stop();
        return;
    }
    if (!m_platform.keys.isRunning()) {
        setIsMonitoring(m_platform.keys.start());
    }
}

void GlobalCopyShortcut::stop()
{
    m_platform.keys.stop();
    setIsMonitoring(false);
    cancelPasteTask();
    m_recogniser.resetPressState();
}

void GlobalCopyShortcut::windowWillClose(QWindow *window)
{
    if (!window || window != m_window) {
        return;
    }
    m_window = nullptr;
    clearShortcutSessionText();
}

void GlobalCopyShortcut::sourceApplicationChanged()
{
    m_recogniser.resetPressState();
}

void GlobalCopyShortcut::handleKeyEvent(const KeyEvent &event)
{
    switch (m_recogniser.handleKeyEvent(event)) {
    case DoubleCopyRecogniser::Outcome::FirstPress:
        m_clipboardChangesAtFirstPress = m_clipboardChanges;
        break;
    case DoubleCopyRecogniser::Outcome::DoubleCopy:
        schedulePaste();
        break;
    case DoubleCopyRecogniser::Outcome::None:
        break;
    }
}

void GlobalCopyShortcut::handleInterruption()
{
    // The watch is gone; the next refreshPermission() starts a new one.
    m_recogniser.resetPressState();
    setIsMonitoring(false);
}

void GlobalCopyShortcut::noteClipboardChange()
{
    ++m_clipboardChanges;
    if (m_pasteTask) {
        m_pasteTask->clipboardChanged.cancel();
    }
}

void GlobalCopyShortcut::schedulePaste()
{
    cancelPasteTask();
    m_pasteTask.emplace();
    handOff(*m_pasteTask, m_clipboardChangesAtFirstPress);
}

void GlobalCopyShortcut::cancelPasteTask()
{
    if (!m_pasteTask) {
        return;
    }
    m_pasteTask->cancel.cancel();
    m_pasteTask->clipboardChanged.cancel();
    m_pasteTask.reset();
}

QCoro::Task<> GlobalCopyShortcut::handOff(PasteTask task, quint64 clipboardChangesAtFirstPress)
{
    QPointer<GlobalCopyShortcut> self(this);
    Clock &clock = m_platform.clock;
    const auto isLive = [&] { return self && !task.cancel.isCancelled() && self->m_isEnabled; };

    // The other application finishes its own copy meanwhile.
    const bool waited = co_await clock.sleep(handOffDelay, task.cancel);
    if (!waited || !isLive()) {
        co_return;
    }
    if (self->m_clipboardChanges == clipboardChangesAtFirstPress) {
        co_await clock.sleep(copyDeadline - handOffDelay, task.clipboardChanged);
        if (!isLive() || self->m_clipboardChanges == clipboardChangesAtFirstPress) {
            co_return;
        }
    }
    self->publishRequest(self->m_platform.clipboard.plainText(),
                         self->m_preferences.lastWorkspace());
}

void GlobalCopyShortcut::publishClipboardRequest(Workspace workspace)
{
    publishRequest(m_platform.clipboard.plainText(), workspace);
}

void GlobalCopyShortcut::publishRequest(const std::optional<QString> &clipboardText,
                                        Workspace workspace)
{
    const std::optional<QString> text = usableText(clipboardText);
    setPendingText(text);
    setShortcutSessionText(text);
    setRequestedWorkspace(workspace);
    setHasPendingRequest(true);
    setRequestID(QUuid::createUuid());
    bringForward();
}

void GlobalCopyShortcut::bringForward()
{
    if (m_window) {
        m_platform.raiser.bringForward(*m_window);
    } else if (m_openWindow) {
        m_openWindow();
    }
}

QVariant GlobalCopyShortcut::pendingTextValue() const
{
    return optionalValue(m_pendingText);
}

QVariant GlobalCopyShortcut::shortcutSessionTextValue() const
{
    return optionalValue(m_shortcutSessionText);
}

void GlobalCopyShortcut::setIsEnabled(bool value)
{
    if (m_isEnabled == value) {
        return;
    }
    m_isEnabled = value;
    Q_EMIT isEnabledChanged();
}

void GlobalCopyShortcut::setHasPermission(bool value)
{
    if (m_hasPermission == value) {
        return;
    }
    m_hasPermission = value;
    Q_EMIT hasPermissionChanged();
}

void GlobalCopyShortcut::setIsMonitoring(bool value)
{
    if (m_isMonitoring == value) {
        return;
    }
    m_isMonitoring = value;
    Q_EMIT isMonitoringChanged();
}

void GlobalCopyShortcut::setRequestID(const QUuid &value)
{
    if (m_requestID == value) {
        return;
    }
    m_requestID = value;
    Q_EMIT requestIDChanged();
}

void GlobalCopyShortcut::setRequestedWorkspace(Workspace value)
{
    if (m_requestedWorkspace == value) {
        return;
    }
    m_requestedWorkspace = value;
    Q_EMIT requestedWorkspaceChanged();
}

void GlobalCopyShortcut::setPendingText(const std::optional<QString> &value)
{
    if (m_pendingText == value) {
        return;
    }
    m_pendingText = value;
    Q_EMIT pendingTextChanged();
}

void GlobalCopyShortcut::setHasPendingRequest(bool value)
{
    if (m_hasPendingRequest == value) {
        return;
    }
    m_hasPendingRequest = value;
    Q_EMIT hasPendingRequestChanged();
}

void GlobalCopyShortcut::setShortcutSessionText(const std::optional<QString> &value)
{
    if (m_shortcutSessionText == value) {
        return;
    }
    m_shortcutSessionText = value;
    Q_EMIT shortcutSessionTextChanged();
}

} // namespace Tolvan
